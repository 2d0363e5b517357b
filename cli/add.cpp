// listsong add --midi DIR --cur DIR --lyr DIR [--db FILE] [--codepage N]
// [--map-path FROM=TO]...: the window's update on the sub-folders of three
// folders, without a screen. The window object is built on a console
// toolkit, its three folder lists are pointed at the folders, and the update
// the button runs is run on them, so the listing, the order, the songs
// skipped and every row are those of the window. On a terminal a progress
// line shows the folders done, the songs stored and skipped, the songs per
// second and the current folder; elsewhere one plain line per folder is
// written. A failure names its cause, the folder and the file, and exits 1.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/add_options.h"
#include "cli/add_progress.h"
#include "cli/catalogue_file.h"
#include "cli/commands.h"
#include "cli/console_toolkit.h"
#include "jet/file_system.h"
#include "songdb/update.h"
#include "window/native_text.h"

namespace cli {
namespace {

// Refuses a folder that is not there before the window lists it.
void require_folder(const std::string& text, const FolderOption& option) {
    const std::filesystem::path folder = std::filesystem::absolute(window::path_of_text(text));
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw std::runtime_error("no folder at " + jet::path_text(folder) + ": name with " +
                                 option.option + " the folder whose sub-folders hold the " +
                                 option.files + " files");
    }
}

// Points a folder list at `folder` and has its list of sub-folders rebuilt,
// also when the list stood there already (the write then raises no change).
void choose_folder(window::FolderList& list, const std::string& folder,
                   void (window::ReNameFold::*refresh)(), window::ReNameFold& window) {
    const std::string before = list.Path();
    list.set_Path(folder);
    if (list.Path() == before) {
        (window.*refresh)();
    }
}

// The update stores the songs of each sub-folder; a folder without any,
// often the sub-folder itself named by mistake, has nothing to store.
void require_sub_folders(const window::ListBox& list, const window::FolderList& root,
                         const FolderOption& option) {
    if (list.ListCount() == 0) {
        throw std::runtime_error("the folder " + root.Path() +
                                 " holds no sub-folders, and add stores the songs of sub-folders: "
                                 "name with " +
                                 std::string(option.option) + " the folder above the folders of " +
                                 option.files + " files");
    }
}

}  // namespace

int run_add(const std::vector<std::string>& args, std::ostream& out, LineRedraw redraw) {
    const AddOptions options = parse_add_options(args);
    require_catalogue(options.database, "another with --db");
    for (const FolderOption& option : kFolderOptions) {
        require_folder(options.*option.folder, option);
    }

    ConsoleToolkit toolkit(options.database.parent_path(),
                           std::filesystem::current_path().root_path());
    window::ReNameFold window(toolkit);
    choose_folder(window.Dir1, options.midi, &window::ReNameFold::Dir1_Change, window);
    choose_folder(window.Dir2, options.cur, &window::ReNameFold::Dir2_Change, window);
    choose_folder(window.Dir3, options.lyr, &window::ReNameFold::Dir3_Change, window);
    require_sub_folders(window.List1, window.Dir1, kFolderOptions[0]);
    require_sub_folders(window.List2, window.Dir2, kFolderOptions[1]);
    require_sub_folders(window.List3, window.Dir3, kFolderOptions[2]);

    songdb::dao::JetEngine engine(options.code_page);
    AddProgress progress(out, redraw, window.List1.ListCount());
    songdb::UpdateTarget target;
    target.engine = [&engine]() -> songdb::dao::DBEngine& { return engine; };
    target.database = options.database;
    target.paths = options.paths;
    target.song_stored = [&](const songdb::StoredSong&) { progress.song_stored(window.MidFolder); };
    target.song_skipped = [&](const songdb::StoredSong&) {
        progress.song_skipped(window.MidFolder);
    };
    target.folder_done = [&](const std::string& folder) { progress.folder_done(folder); };
    songdb::UpdateRun run;
    try {
        songdb::update_and_log(window, target, run);
    } catch (const std::exception&) {
        progress.interrupt();
        throw;
    }
    progress.finish(options.database);
    return 0;
}

}  // namespace cli
