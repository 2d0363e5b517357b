#include "window/folder_list.h"

#include <stdexcept>
#include <system_error>

#include "window/errors.h"
#include "window/folder_listing.h"
#include "window/native_text.h"

namespace window {

namespace fs = std::filesystem;

FolderList::FolderList(const ControlDesign& design, const DriveSource& source,
                       const fs::path& start_folder)
    : design_(design), source_(source) {
    stand_at(normalised_folder(start_folder));
}

void FolderList::set_Path(std::string_view folder_or_drive) {
    const fs::path folder = folder_to_open(folder_or_drive);
    if (folder == folder_) {
        return;
    }
    stand_at(folder);
    if (change_) {
        change_();
    }
}

const std::string& FolderList::List(ListIndex i) const {
    if (i < 0 || i >= ListCount()) {
        throw std::out_of_range(std::string(design_.name) + " has no sub-folder " +
                                std::to_string(i) + "; it holds " + std::to_string(ListCount()));
    }
    return sub_folders_[static_cast<std::size_t>(i)];
}

fs::path FolderList::folder_to_open(std::string_view folder_or_drive) const {
    const auto drive = drive_named(folder_or_drive, source_.drives());
    if (!drive) {
        return normalised_folder(path_of_text(folder_or_drive));
    }
    if (!source_.drive_ready(*drive)) {
        throw DriveNotReady("Drive " + drive->text + " is not ready");
    }
    const auto last = last_folder_on_drive_.find(normalised_folder(drive->root));
    std::error_code error;
    if (last != last_folder_on_drive_.end() && fs::is_directory(last->second, error)) {
        return last->second;
    }
    return normalised_folder(drive->root);
}

// Lists the folder first, so that a failure leaves the list as it was.
void FolderList::stand_at(const fs::path& folder) {
    std::vector<std::string> sub_folders = list_sub_folders(folder);
    path_text_ = text_of_path(folder, folder);
    folder_ = folder;
    sub_folders_ = std::move(sub_folders);
    ++revision_;
    if (const auto drive = drive_of(folder, source_.drives())) {
        last_folder_on_drive_[normalised_folder(drive->root)] = folder;
    }
}

}  // namespace window
