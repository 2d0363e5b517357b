// listsong add --midi DIR --cur DIR --lyr DIR [--db FILE] [--codepage N]: the
// window's update on the sub-folders of three folders, without a screen. The
// window object is built on a console toolkit, its three folder lists are
// pointed at the folders, and the update the button runs is run on them, so
// the listing, the order and every row are those of the window. On a terminal
// a progress line shows the folders done, the songs stored, the songs per
// second and the current folder; elsewhere one plain line per folder is
// written. A failure names its cause, the folder and the file, and exits 1.
#include <optional>
#include <string>
#include <vector>

#include "cli/add_progress.h"
#include "cli/commands.h"
#include "cli/console_toolkit.h"
#include "cli/options.h"
#include "cli/program_folder.h"
#include "songdb/update.h"
#include "window/native_text.h"

namespace cli {
namespace {

struct AddOptions {
    std::string midi;
    std::string cur;
    std::string lyr;
    std::filesystem::path database;
    std::optional<int> code_page;
};

AddOptions parse_add_options(const std::vector<std::string>& args) {
    AddOptions options;
    std::vector<std::string> rest;
    std::optional<std::string> database;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string* value = arg == "--midi"  ? &options.midi
                             : arg == "--cur" ? &options.cur
                             : arg == "--lyr" ? &options.lyr
                                              : nullptr;
        if (value == nullptr && arg != "--db") {
            rest.push_back(arg);
            continue;
        }
        if (i + 1 == args.size()) {
            throw UsageError(arg + " needs a value");
        }
        if (value != nullptr) {
            *value = args[++i];
        } else {
            database = args[++i];
        }
    }
    const Options common = parse_options(rest, false);
    if (!common.positional.empty()) {
        throw UsageError("add takes no argument '" + common.positional[0] + "'");
    }
    if (options.midi.empty() || options.cur.empty() || options.lyr.empty()) {
        throw UsageError("add needs --midi DIR, --cur DIR and --lyr DIR");
    }
    options.code_page = common.code_page;
    options.database =
        database ? window::path_of_text(*database) : running_program_folder() / "LISTSONG.mdb";
    return options;
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

}  // namespace

int run_add(const std::vector<std::string>& args, std::ostream& out, LineRedraw redraw) {
    const AddOptions options = parse_add_options(args);
    ConsoleToolkit toolkit(options.database.parent_path(),
                           std::filesystem::current_path().root_path());
    window::ReNameFold window(toolkit);
    choose_folder(window.Dir1, options.midi, &window::ReNameFold::Dir1_Change, window);
    choose_folder(window.Dir2, options.cur, &window::ReNameFold::Dir2_Change, window);
    choose_folder(window.Dir3, options.lyr, &window::ReNameFold::Dir3_Change, window);
    for (const auto& [list, root] :
         {std::pair{&window.List1, &window.Dir1}, std::pair{&window.List2, &window.Dir2},
          std::pair{&window.List3, &window.Dir3}}) {
        if (list->ListCount() == 0) {
            throw std::runtime_error("the folder " + root->Path() +
                                     " holds no sub-folders: there is nothing to store");
        }
    }

    songdb::dao::JetEngine engine(options.code_page);
    AddProgress progress(out, redraw, window.List1.ListCount());
    songdb::UpdateTarget target;
    target.engine = [&engine]() -> songdb::dao::DBEngine& { return engine; };
    target.database = options.database;
    target.song_stored = [&](const songdb::StoredSong& song) {
        progress.song_stored(song.mid_path);
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
