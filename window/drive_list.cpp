#include "window/drive_list.h"

#include <stdexcept>

#include "window/native_text.h"

namespace window {

DriveList::DriveList(const ControlDesign& design, const DriveSource& source,
                     const std::filesystem::path& start_folder)
    : design_(design), source_(source) {
    selected_ = resolve(text_of_path(normalised_folder(start_folder), start_folder));
}

void DriveList::set_Drive(std::string_view drive_or_folder) {
    window::Drive drive = resolve(drive_or_folder);
    if (drive.root == selected_.root) {
        return;
    }
    selected_ = std::move(drive);
    if (change_) {
        change_();
    }
}

window::Drive DriveList::resolve(std::string_view drive_or_folder) const {
    const std::vector<window::Drive> drives = source_.drives();
    if (auto named = drive_named(drive_or_folder, drives)) {
        return *named;
    }
    const std::filesystem::path folder = path_of_text(drive_or_folder);
    if (folder.is_absolute()) {
        if (auto holding = drive_of(folder, drives)) {
            return *holding;
        }
    }
    throw std::invalid_argument("\"" + std::string(drive_or_folder) +
                                "\" is neither a drive nor a folder on one of the drives");
}

}  // namespace window
