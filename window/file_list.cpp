#include "window/file_list.h"

#include <stdexcept>

#include "window/folder_listing.h"
#include "window/native_text.h"

namespace window {

FileList::FileList(const ControlDesign& design) : design_(design), pattern_(design.text) {}

void FileList::set_Path(std::string_view folder) {
    const std::filesystem::path path = normalised_folder(path_of_text(folder));
    std::vector<std::string> names = list_matching_files(path, pattern_);
    path_text_ = text_of_path(path, path);
    names_ = std::move(names);
    ++revision_;
}

const std::string& FileList::List(ListIndex i) const {
    if (i < 0 || i >= ListCount()) {
        throw std::out_of_range(std::string(design_.name) + " has no file " + std::to_string(i) +
                                "; it holds " + std::to_string(ListCount()));
    }
    return names_[static_cast<std::size_t>(i)];
}

}  // namespace window
