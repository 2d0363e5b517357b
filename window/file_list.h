// The model of a file list (MidFile, CurFile, LyrFile): the files of one
// folder that match its pattern, which the update pairs by position.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "window/design_table.h"
#include "window/list_index.h"

namespace window {

// What a file list shows of one folder: the folder as its Path gives it, and
// the bare names of the files that match the list's pattern.
struct FileListing {
    std::string path_text;
    std::vector<std::string> names;
};

// The names of the files of one folder that match the list's pattern ("*.mid"),
// without regard to case, sorted by name_before(). It shows no folder until its
// Path is first written.
class FileList {
  public:
    explicit FileList(const ControlDesign& design);

    const std::string& Pattern() const { return pattern_; }
    const std::string& Path() const { return path_text_; }

    // Reads the folder anew, also when it is the current one. Throws FolderError
    // when it cannot be listed; the list then keeps what it held.
    void set_Path(std::string_view folder);
    // The two halves of set_Path: reading the folder, which touches nothing of
    // the list but its pattern and so may run on another thread while the
    // list is in use, and showing what was read.
    FileListing read(std::string_view folder) const;
    void show(FileListing listing);

    ListIndex ListCount() const { return static_cast<ListIndex>(names_.size()); }
    // Counts the readings of a folder, so that a view can tell whether the
    // list still holds what it last showed without comparing the names.
    std::uint64_t revision() const { return revision_; }
    // The bare name of file i, 0 <= i < ListCount(); any other i throws
    // std::out_of_range.
    const std::string& List(ListIndex i) const;

    const ControlDesign& design() const { return design_; }

  private:
    const ControlDesign& design_;
    const std::string pattern_;
    std::string path_text_;
    std::vector<std::string> names_;
    std::uint64_t revision_ = 0;
};

}  // namespace window
