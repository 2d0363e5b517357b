// bench/update: the whole update, side by side with the I/O it cannot avoid.
//
// usage: update LISTSONG [--folder DIR] [--triples N] [--songs N] [--existing N] [--rounds N]
//
// Generates under DIR (default: a fresh temporary folder, removed at the end)
// three trees of --triples sub-folders (default 100) with --songs songs each
// (default 1,000): a MIDI, a cursor and a three-line lyric file per song, some
// titles in Thai as Windows-874 bytes. A catalogue made by the engine is given
// --existing rows (default 50,000) untimed. Then, each in a process of its own,
// so that each has its own peak memory:
//   floor    the least work the job needs, written plainly without the
//            product's code: each folder's entries read once (directory_iterator,
//            whose kind comes from the listing, so no stat of an entry), and
//            every lyric file opened, read once into a 4 KiB buffer and closed;
//            no database
//   find     for comparison, `find` over the three trees running `head -n 3`
//            on every lyric file (through std::system)
//   add      `listsong add` into a copy of the catalogue
//   window   the window object on the headless toolkit, "Update database"
//            pressed, into another copy
//   qt       the desktop window under Qt's offscreen platform, its "Update
//            database" button clicked, into a third copy; the status line is
//            shown and Qt processes events once per song
// The window and qt runs also time their update alone, from the button press
// to the closing "  Update Ok " message, and send that figure to the parent
// through a pipe: what the user waits for once the window is up, without the
// toolkit's start-up, which at 10,000 songs is a third of the whole.
// The five run one after the other in each of --rounds rounds (default 3),
// each update into a fresh copy of the catalogue, and the best round of each
// counts, as the machine's other work only ever slows a run down. It reports
// the wall time, the user and system CPU time, the songs per second and the
// peak resident memory (getrusage, which counts the find run's own children)
// of each, and the ratios add/floor, floor/find, window/add and qt/add of the
// wall times: for the windows, of the update alone and of the whole process.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iomanip>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "jet/create_database.h"
#include "qt/main_window.h"
#include "qt/qt_toolkit.h"
#include "songdb/song_table.h"
#include "songdb/update.h"
#include "tests/window/headless_toolkit.h"
#include "window/re_name_fold.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kThai = 874;

struct Settings {
    fs::path listsong;
    fs::path folder;
    bool own_folder = true;
    long triples = 100;
    long songs = 1000;
    long existing = 50000;
    long rounds = 3;
};

long parse_count(const std::string& flag, const std::string& text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) {
        throw std::runtime_error(flag + " needs a count, not '" + text + "'");
    }
    return value;
}

Settings parse(int argc, char** argv) {
    if (argc < 2) {
        throw std::runtime_error(
            "usage: update LISTSONG [--folder DIR] [--triples N] [--songs N] [--existing N] "
            "[--rounds N]");
    }
    Settings settings;
    settings.listsong = fs::absolute(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 == argc) {
            throw std::runtime_error(flag + " needs a value");
        }
        const std::string value = argv[++i];
        if (flag == "--folder") {
            settings.folder = fs::absolute(value);
            settings.own_folder = false;
        } else if (flag == "--triples") {
            settings.triples = parse_count(flag, value);
        } else if (flag == "--songs") {
            settings.songs = parse_count(flag, value);
        } else if (flag == "--existing") {
            settings.existing = parse_count(flag, value);
        } else if (flag == "--rounds") {
            settings.rounds = std::max(1L, parse_count(flag, value));
        } else {
            throw std::runtime_error("unknown option " + flag);
        }
    }
    if (settings.own_folder) {
        settings.folder =
            fs::temp_directory_path() / ("listsong-bench-update-" + std::to_string(::getpid()));
    }
    return settings;
}

// The texts one after the other.
std::string join(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts) {
        text += part;
    }
    return text;
}

void write_file(const fs::path& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary);
    out << contents;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string number(long value, int width) {
    std::string text = std::to_string(value);
    return std::string(width > static_cast<int>(text.size()) ? width - text.size() : 0, '0') + text;
}

void generate_tree(const Settings& s) {
    // "เพลง" and "นักร้อง" in Windows-874.
    const std::string thai_title = "\xE0\xBE\xC5\xA7";
    const std::string thai_artist = "\xB9\xD1\xA1\xC3\xE9\xCD\xA7";
    for (long t = 0; t < s.triples; ++t) {
        const std::string folder = join({"f", number(t, 3)});
        for (const char* root : {"midi", "cur", "lyr"}) {
            fs::create_directories(s.folder / root / folder);
        }
        for (long k = 0; k < s.songs; ++k) {
            const std::string name = number(t * s.songs + k, 7);
            write_file(s.folder / "midi" / folder / join({name, ".mid"}), "MThd");
            write_file(s.folder / "cur" / folder / join({name, ".cur"}), "0 0\r\n");
            const bool thai = k % 4 == 0;
            write_file(s.folder / "lyr" / folder / join({name, ".Lyr"}),
                       join({thai ? thai_title : "Song", " ", name, "\r\n",
                             thai ? thai_artist : "Artist", "\r\nla la la\r\nmore\r\n"}));
        }
    }
}

void fill_catalogue(const fs::path& path, long rows) {
    jet::create_database(path, songdb::song_table());
    songdb::dao::JetEngine engine(kThai);
    const auto db = engine.OpenDatabase(path);
    const auto songs = db->OpenRecordset("SELECT * FROM Song");
    for (long i = 0; i < rows; ++i) {
        songs->AddNew();
        const std::string n = std::to_string(i);
        songs->set_field("songID", join({"x", number(i, 5)}));
        songs->set_field("songName", join({"Existing song ", n}));
        songs->set_field("artid", "Existing artist");
        songs->set_field("MidPath", join({"/old/midi/", n, ".mid"}));
        songs->set_field("CurPath", join({"/old/cur/", n, ".cur"}));
        songs->set_field("Lyrpath", join({"/old/lyr/", n, ".Lyr"}));
        songs->Update();
    }
    db->Close();
}

struct Measure {
    double seconds = 0;
    double user_seconds = 0;
    double system_seconds = 0;
    long peak_kib = 0;
    // The child's own timing of its update, when it sends one.
    std::optional<double> update_seconds;
};

// Where a measured child sends the seconds its update took.
class UpdateTimeReport {
  public:
    explicit UpdateTimeReport(int descriptor) : descriptor_(descriptor) {}

    void send(double seconds) const {
        if (::write(descriptor_, &seconds, sizeof seconds) != sizeof seconds) {
            throw std::runtime_error("cannot send the update's time to the benchmark");
        }
    }

  private:
    int descriptor_;
};

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double seconds_of(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Runs `work` in a child process; its time and peak memory, and the time of
// its update when it reports one. The child's exit code 0 is success.
Measure in_child(const std::function<int(const UpdateTimeReport&)>& work) {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        ::close(pipe_ends[0]);
        int code = 1;
        try {
            code = work(UpdateTimeReport(pipe_ends[1]));
        } catch (const std::exception& e) {
            std::cerr << "bench/update: " << e.what() << "\n";
        }
        std::cout.flush();
        ::_exit(code);
    }
    ::close(pipe_ends[1]);
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child) {
        throw std::runtime_error("wait4 failed");
    }
    const double seconds = seconds_since(start);
    std::optional<double> update_seconds;
    double reported = 0;
    if (::read(pipe_ends[0], &reported, sizeof reported) == sizeof reported) {
        update_seconds = reported;
    }
    ::close(pipe_ends[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("a measured run failed");
    }
    return {seconds, seconds_of(usage.ru_utime), seconds_of(usage.ru_stime), usage.ru_maxrss,
            update_seconds};
}

// The paths of the entries of `folder` that are sub-folders (or, when not
// `folders`, files), in byte order. The kind is the one the folder's listing
// gives (d_type), so no entry is looked up on its own; the tree holds no links.
std::vector<fs::path> entries_of(const fs::path& folder, bool folders) {
    std::vector<fs::path> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (folders ? entry.is_directory() : entry.is_regular_file()) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The line ends among the first 4 KiB of the file, read with one open, one
// read and one close: all that three short lyric lines need.
long line_ends_at_start(const fs::path& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        throw std::runtime_error("cannot open " + file.string());
    }
    char start[4096];
    const ssize_t got = ::read(descriptor, start, sizeof start);
    ::close(descriptor);
    if (got < 0) {
        throw std::runtime_error("cannot read " + file.string());
    }
    return static_cast<long>(std::count(start, start + got, '\n'));
}

int io_floor(const Settings& s) {
    const std::vector<fs::path> midi_folders = entries_of(s.folder / "midi", true);
    const std::vector<fs::path> cur_folders = entries_of(s.folder / "cur", true);
    const std::vector<fs::path> lyr_folders = entries_of(s.folder / "lyr", true);
    long files = 0;
    long line_ends = 0;
    for (std::size_t i = 0; i < midi_folders.size(); ++i) {
        files += static_cast<long>(entries_of(midi_folders[i], false).size());
        files += static_cast<long>(entries_of(cur_folders.at(i), false).size());
        for (const fs::path& lyric : entries_of(lyr_folders.at(i), false)) {
            line_ends += line_ends_at_start(lyric);
            ++files;
        }
    }
    return files > 0 && line_ends > 0 ? 0 : 1;
}

// `find` over the three trees, with `head -n 3` of every lyric file: the same
// listing and reading done by the system's own tools.
int find_and_head(const Settings& s) {
    const std::string command =
        join({"find '", (s.folder / "midi").string(), "' '", (s.folder / "cur").string(), "' '",
              (s.folder / "lyr").string(),
              "' -type f -name '*.Lyr' -exec head -q -n 3 -- {} + "
              ">/dev/null"});
    return std::system(command.c_str()) == 0 ? 0 : 1;
}

int through_window(const Settings& s, const fs::path& program_folder,
                   const UpdateTimeReport& update_time) {
    window::testing::HeadlessToolkit toolkit(s.folder, program_folder);
    toolkit.add_drive(s.folder.root_path(), "root");
    window::ReNameFold window(toolkit);
    window.load();
    songdb::dao::JetEngine engine(kThai);
    songdb::UpdateTarget target = songdb::program_target(window);
    target.engine = [&engine]() -> songdb::dao::DBEngine& { return engine; };
    songdb::bind_update(window, target);
    window.Dir1.set_Path((s.folder / "midi").string());
    window.Dir2.set_Path((s.folder / "cur").string());
    window.Dir3.set_Path((s.folder / "lyr").string());
    const auto pressed = Clock::now();
    window.CmdChDir.press();
    update_time.send(seconds_since(pressed));
    const auto& messages = toolkit.messages();
    if (messages.size() != 1 || messages[0].prompt != "  Update Ok ") {
        std::cerr << "bench/update: the window's update did not end with \"  Update Ok \"\n";
        return 1;
    }
    return 0;
}

// The Qt toolkit with the benchmark's own start and program folders.
class BenchToolkit : public listsong_qt::QtToolkit {
  public:
    BenchToolkit(fs::path start_folder, fs::path program_folder)
        : start_folder_(std::move(start_folder)), program_folder_(std::move(program_folder)) {}

    fs::path program_folder() const override { return program_folder_; }
    fs::path start_folder() const override { return start_folder_; }

  private:
    fs::path start_folder_;
    fs::path program_folder_;
};

int through_qt_window(const Settings& s, const fs::path& program_folder,
                      const UpdateTimeReport& update_time) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int argc = 1;
    char name[] = "update";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    BenchToolkit toolkit(s.folder, program_folder);
    window::ReNameFold window(toolkit);
    songdb::dao::JetEngine engine(kThai);
    songdb::UpdateTarget target = songdb::program_target(window);
    target.engine = [&engine]() -> songdb::dao::DBEngine& { return engine; };
    songdb::bind_update(window, target);
    listsong_qt::MainWindow view(window);
    toolkit.attach(view, [&view] { view.show_model(); });
    window.load();
    view.show_model();
    view.show();
    window.Dir1.set_Path((s.folder / "midi").string());
    window.Dir2.set_Path((s.folder / "cur").string());
    window.Dir3.set_Path((s.folder / "lyr").string());
    view.show_model();

    // The closing message box is read and closed as soon as it is up; the
    // update's time ends when the box is seen.
    std::vector<QString> prompts;
    Clock::time_point clicked;
    double update_seconds = 0;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (prompts.empty()) {
                update_seconds = seconds_since(clicked);
            }
            prompts.push_back(box->text());
            box->accept();
        }
    });
    closer.start();
    clicked = Clock::now();
    dynamic_cast<QPushButton&>(view.control("CmdChDir")).click();
    update_time.send(update_seconds);
    if (prompts.size() != 1 || prompts[0] != "  Update Ok ") {
        std::cerr << "bench/update: the Qt window's update did not end with \"  Update Ok \"\n";
        return 1;
    }
    return 0;
}

int through_listsong_add(const Settings& s, const fs::path& database) {
    const std::string listsong = s.listsong.string();
    const std::string midi = (s.folder / "midi").string();
    const std::string cur = (s.folder / "cur").string();
    const std::string lyr = (s.folder / "lyr").string();
    const std::string db = database.string();
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        return 1;
    }
    ::execl(listsong.c_str(), listsong.c_str(), "add", "--midi", midi.c_str(), "--cur", cur.c_str(),
            "--lyr", lyr.c_str(), "--db", db.c_str(), "--codepage", "874",
            static_cast<char*>(nullptr));
    return 1;
}

void report(const char* name, const Measure& m, long songs) {
    std::cout << std::left << std::setw(8) << name << std::right << std::fixed
              << std::setprecision(2) << std::setw(7) << m.seconds << " s" << std::setw(7)
              << m.user_seconds << " s user" << std::setw(7) << m.system_seconds << " s system"
              << std::setw(9) << static_cast<long>(songs / (m.seconds > 0 ? m.seconds : 1))
              << " songs/s" << std::setw(6) << m.peak_kib / 1024 << " MB peak";
    if (m.update_seconds) {
        std::cout << std::setw(7) << *m.update_seconds << " s update";
    }
    std::cout << "\n";
}

// The window's update time over add's, and beside it the whole process's.
void report_window_ratio(const char* name, const Measure& window, const Measure& add) {
    std::cout << std::left << std::setw(14) << name << std::right
              << window.update_seconds.value_or(window.seconds) / add.seconds
              << " (target at most 1.2; whole process " << window.seconds / add.seconds << ")\n";
}

// The better of two measurements of the same run: the shorter, by the
// update's own time where the run reports one.
void keep_best(std::optional<Measure>& best, const Measure& m) {
    if (!best ||
        m.update_seconds.value_or(m.seconds) < best->update_seconds.value_or(best->seconds)) {
        best = m;
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Settings s = parse(argc, argv);
        fs::create_directories(s.folder);
        const long songs = s.triples * s.songs;
        std::cout << "generating " << s.triples << " folder triples of " << s.songs
                  << " songs and a catalogue of " << s.existing << " rows in " << s.folder.string()
                  << std::endl;
        generate_tree(s);
        const fs::path catalogue = s.folder / "catalogue.mdb";
        fs::remove(catalogue);
        fill_catalogue(catalogue, s.existing);

        const fs::path add_db = s.folder / "add" / "LISTSONG.mdb";
        const fs::path window_db = s.folder / "window" / "LISTSONG.mdb";
        const fs::path qt_db = s.folder / "qt" / "LISTSONG.mdb";
        auto fresh_copy = [&catalogue](const fs::path& copy) {
            fs::create_directories(copy.parent_path());
            fs::copy_file(catalogue, copy, fs::copy_options::overwrite_existing);
        };
        std::optional<Measure> floor, find, add, win, qt;
        for (long round = 0; round < s.rounds; ++round) {
            keep_best(floor, in_child([&](const UpdateTimeReport&) { return io_floor(s); }));
            keep_best(find, in_child([&](const UpdateTimeReport&) { return find_and_head(s); }));
            fresh_copy(add_db);
            keep_best(add, in_child([&](const UpdateTimeReport&) {
                          return through_listsong_add(s, add_db);
                      }));
            fresh_copy(window_db);
            keep_best(win, in_child([&](const UpdateTimeReport& update_time) {
                          return through_window(s, window_db.parent_path(), update_time);
                      }));
            fresh_copy(qt_db);
            keep_best(qt, in_child([&](const UpdateTimeReport& update_time) {
                          return through_qt_window(s, qt_db.parent_path(), update_time);
                      }));
        }

        std::cout << songs << " songs, best of " << s.rounds << " rounds\n";
        report("floor", *floor, songs);
        report("find", *find, songs);
        report("add", *add, songs);
        report("window", *win, songs);
        report("qt", *qt, songs);
        std::cout << std::setprecision(2) << "add / floor   " << add->seconds / floor->seconds
                  << " (target at most 1.5)\n"
                  << "floor / find  " << floor->seconds / find->seconds << "\n";
        report_window_ratio("window / add", *win, *add);
        report_window_ratio("qt / add", *qt, *add);
        std::cout.flush();
        if (s.own_folder) {
            fs::remove_all(s.folder);
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "bench/update: " << e.what() << "\n";
        return 1;
    }
}
