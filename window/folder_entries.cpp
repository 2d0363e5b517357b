#include "window/folder_entries.h"

#include <optional>

#include "window/native_text.h"

namespace window {

namespace fs = std::filesystem;

namespace {

std::string display_name(const fs::path& folder) {
    const fs::path name = folder.filename();
    return name.empty() ? text_of_path(folder, folder) : text_of_path(name, folder);
}

}  // namespace

std::vector<FolderEntry> folder_entries(const FolderList& model, const std::vector<Drive>& drives) {
    const fs::path current = path_of_text(model.Path());
    const std::optional<Drive> drive = drive_of(current, drives);
    const fs::path drive_root = drive ? drive->root : current.root_path();
    std::vector<FolderEntry> entries;
    const std::string root_text = text_of_path(drive_root, drive_root);
    entries.push_back(FolderEntry{root_text, root_text, 0, true});

    fs::path step = drive_root;
    int depth = 0;
    for (const fs::path& component : current.lexically_relative(drive_root)) {
        if (component.empty() || component == ".") {
            continue;
        }
        step /= component;
        entries.push_back(FolderEntry{text_of_path(step, step), display_name(step), ++depth, true});
    }
    for (ListIndex i = 0; i < model.ListCount(); ++i) {
        const std::string& sub_folder = model.List(i);
        entries.push_back(
            FolderEntry{sub_folder, display_name(path_of_text(sub_folder)), depth + 1, false});
    }
    return entries;
}

}  // namespace window
