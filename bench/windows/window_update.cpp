// bench/windows/window-update: the window's update of a song tree, timed in
// process. The window of listsong-window.exe is built on its Win32 toolkit,
// its folder lists are pointed at the tree's three folders, and "Update
// database" is clicked as a click does it (BM_CLICK); the time runs from the
// click to the end of the box that says the update is over, which is closed
// as soon as it is up. Prints the seconds and the box's title.
//
//   window-update MIDI CUR LYR DATABASE
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "songdb/update.h"
#include "songdb/update_options.h"
#include "tests/win32/message_box_closer.h"
#include "win32/main_window.h"
#include "win32/wide_text.h"
#include "win32/win32_toolkit.h"
#include "window/native_text.h"
#include "window/re_name_fold.h"

namespace {

using listsong_win32::utf8_of;

int time_update(const std::string& midi, const std::string& cur, const std::string& lyr,
                const std::string& database) {
    listsong_win32::Win32Toolkit toolkit;
    window::ReNameFold model(toolkit);
    songdb::UpdateOptions options;
    options.database = window::path_of_text(database);
    songdb::bind_update(model, songdb::window_target(model, options));
    listsong_win32::MainWindow view(model);
    toolkit.attach(view.handle(), [&view] { view.show_model(); });
    model.load();
    view.show();
    model.Dir1.set_Path(midi);
    model.Dir2.set_Path(cur);
    model.Dir3.set_Path(lyr);
    view.show_model();

    const listsong_win32::testing::MessageBoxCloser closer;
    const auto start = std::chrono::steady_clock::now();
    SendMessageW(view.control("CmdChDir"), BM_CLICK, 0, 0);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (closer.seen().size() != 1) {
        std::fprintf(stderr, "window-update: the update showed %zu boxes, not one\n",
                     closer.seen().size());
        return 1;
    }
    std::printf("window: %.2f s, box \"%s\"\n", took.count(), closer.seen()[0].title.c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: window-update MIDI CUR LYR DATABASE\n");
        return 2;
    }
    try {
        return time_update(utf8_of(argv[1]), utf8_of(argv[2]), utf8_of(argv[3]), utf8_of(argv[4]));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "window-update: %s\n", failure.what());
        return 1;
    }
}
