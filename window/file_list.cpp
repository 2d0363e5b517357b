#include "window/file_list.h"

#include <stdexcept>

#include "window/folder_listing.h"
#include "window/native_text.h"

namespace window {

FileList::FileList(const ControlDesign& design) : design_(design), pattern_(design.text) {}

void FileList::set_Path(std::string_view folder) {
    show(read(folder));
}

FileListing FileList::read(std::string_view folder) const {
    const std::filesystem::path path = normalised_folder(path_of_text(folder));
    std::vector<std::string> names = list_matching_files(path, pattern_);
    return {text_of_path(path, path), std::move(names)};
}

void FileList::show(FileListing listing) {
    path_text_ = std::move(listing.path_text);
    names_ = std::move(listing.names);
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
