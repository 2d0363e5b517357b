// listsong add --midi DIR --cur DIR --lyr DIR [--db FILE] [--codepage N]: the
// window's update on the sub-folders of three folders, without a screen. The
// window object is built on a console toolkit, its three folder lists are
// pointed at the folders, and the update the button runs is run on them, so
// the listing, the order and every row are those of the window. On a terminal
// a progress line shows the folders done, the songs stored, the songs per
// second and the current folder; elsewhere one plain line per folder is
// written. A failure names its cause, the folder and the file, and exits 1.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <iomanip>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console_toolkit.h"
#include "cli/options.h"
#include "songdb/update.h"
#include "window/native_text.h"

namespace cli {
namespace {

using Clock = std::chrono::steady_clock;

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

class Progress {
  public:
    Progress(std::ostream& out, bool terminal, std::int64_t folders)
        : out_(out), terminal_(terminal), folders_(folders), start_(Clock::now()) {}

    void song_stored(const std::string& mid_path) {
        ++songs_;
        ++folder_songs_;
        if (terminal_ && Clock::now() - last_draw_ > std::chrono::milliseconds(100)) {
            draw(mid_path.substr(0, mid_path.find_last_of('/')));
        }
    }

    void folder_done(const std::string& folder) {
        ++folders_done_;
        if (terminal_) {
            draw(folder);
        } else {
            out_ << folder << ": " << folder_songs_ << (folder_songs_ == 1 ? " song" : " songs")
                 << "\n";
        }
        folder_songs_ = 0;
    }

    void finish(const std::filesystem::path& database) {
        if (terminal_) {
            out_ << "\r\x1b[K";
        }
        out_ << "stored " << songs_ << (songs_ == 1 ? " song" : " songs") << " from "
             << folders_done_ << (folders_done_ == 1 ? " folder" : " folders") << " in "
             << std::fixed << std::setprecision(1) << seconds() << " s into " << database.string()
             << "\n";
    }

    // Ends the progress line so that a message after it starts on its own line.
    void interrupt() {
        if (terminal_ && drawn_) {
            out_ << "\n";
        }
        out_.flush();
    }

  private:
    double seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

    void draw(const std::string& folder) {
        constexpr int kBarWidth = 20;
        const int filled =
            folders_ > 0 ? static_cast<int>(folders_done_ * kBarWidth / folders_) : kBarWidth;
        const double elapsed = seconds();
        const auto rate = elapsed > 0 ? static_cast<std::int64_t>(songs_ / elapsed) : 0;
        out_ << "\r\x1b[K[" << std::string(filled, '#') << std::string(kBarWidth - filled, '-')
             << "] " << folders_done_ << "/" << folders_ << " folders  " << songs_ << " songs  "
             << rate << " songs/s  " << folder << std::flush;
        last_draw_ = Clock::now();
        drawn_ = true;
    }

    std::ostream& out_;
    bool terminal_;
    std::int64_t folders_;
    std::int64_t folders_done_ = 0;
    std::int64_t songs_ = 0;
    std::int64_t folder_songs_ = 0;
    Clock::time_point start_;
    Clock::time_point last_draw_;
    bool drawn_ = false;
};

}  // namespace

int run_add(const std::vector<std::string>& args, std::ostream& out) {
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
    Progress progress(out, isatty(STDOUT_FILENO) != 0, window.List1.ListCount());
    songdb::UpdateTarget target;
    target.engine = [&engine]() -> songdb::dao::DBEngine& { return engine; };
    target.database = options.database;
    target.song_stored = [&](const songdb::StoredSong& song) {
        progress.song_stored(song.mid_path);
    };
    target.folder_done = [&](const std::string& folder) { progress.folder_done(folder); };
    try {
        songdb::update_songs(window, target);
    } catch (const std::exception&) {
        progress.interrupt();
        throw;
    }
    progress.finish(options.database);
    return 0;
}

}  // namespace cli
