// The model of a folder list (Dir1, Dir2, Dir3): a current folder and its
// sub-folders, and the Change it raises when the folder changes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "window/design_table.h"
#include "window/drive.h"
#include "window/event_handler.h"
#include "window/list_index.h"

namespace window {

// A current folder and its direct sub-folders, sorted by name_before(), each as
// a full path without a trailing separator.
class FolderList {
  public:
    // Stands at `start_folder`, raising nothing. Throws FolderError when it
    // cannot be listed.
    FolderList(const ControlDesign& design, const DriveSource& source,
               const std::filesystem::path& start_folder);

    // The current folder as a full path.
    const std::string& Path() const { return path_text_; }

    // Opens a folder given by its full path, or a drive given by its text: then
    // the folder that this list last stood at on that drive, or else the drive's
    // root. Raises Change when the current folder changes, nothing when it stays.
    // On failure the list keeps its folder and throws: DriveNotReady for a drive
    // that is not ready, FolderError for a folder that cannot be listed.
    void set_Path(std::string_view folder_or_drive);

    ListIndex ListCount() const { return static_cast<ListIndex>(sub_folders_.size()); }
    // The full path of sub-folder i, 0 <= i < ListCount(); any other i throws
    // std::out_of_range.
    const std::string& List(ListIndex i) const;

    // Counts the listings the list has stood at, so that a front end redraws
    // it only when the folder or its sub-folders may have changed.
    std::uint64_t revision() const { return revision_; }

    void on_change(EventHandler handler) { change_ = std::move(handler); }

    const ControlDesign& design() const { return design_; }

  private:
    std::filesystem::path folder_to_open(std::string_view folder_or_drive) const;
    void stand_at(const std::filesystem::path& folder);

    const ControlDesign& design_;
    const DriveSource& source_;
    std::filesystem::path folder_;
    std::string path_text_;
    std::vector<std::string> sub_folders_;
    // The folder this list last stood at on each drive, by the drive's root.
    std::map<std::filesystem::path, std::filesystem::path> last_folder_on_drive_;
    EventHandler change_;
    std::uint64_t revision_ = 0;
};

}  // namespace window
