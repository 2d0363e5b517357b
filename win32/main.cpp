// listsong-window: the window that fills the song catalogue, as a native
// Windows program.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "songdb/update.h"
#include "songdb/update_options.h"
#include "win32/command_line.h"
#include "win32/main_window.h"
#include "win32/wide_text.h"
#include "win32/win32_toolkit.h"
#include "window/re_name_fold.h"

namespace {

constexpr const char* kProgram = "listsong-window";

// A program without a console tells the user in a box; the text goes to
// `stream` too, for whoever started it from a script.
void tell(std::ostream& stream, const std::string& text, UINT icon) {
    stream << text << std::flush;
    MessageBoxW(nullptr, listsong_win32::utf16_of(text).c_str(),
                listsong_win32::utf16_of(kProgram).c_str(), MB_OK | icon);
}

std::vector<std::wstring> program_arguments() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        throw std::runtime_error("Windows could not split the command line (Windows error " +
                                 std::to_string(GetLastError()) + ")");
    }
    std::vector<std::wstring> after_name(arguments + (count > 0 ? 1 : 0), arguments + count);
    LocalFree(arguments);
    return after_name;
}

int run_window(const songdb::UpdateOptions& options) {
    listsong_win32::Win32Toolkit toolkit;
    window::ReNameFold model(toolkit);
    songdb::bind_update(model, songdb::window_target(model, options));
    listsong_win32::MainWindow view(model);
    toolkit.attach(view.handle(), [&view] { view.show_model(); });
    model.load();
    view.show_model();
    view.show();
    toolkit.run_message_loop();
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // What the program writes is UTF-8 with lines ending in LF alone, as
    // listsong.exe writes it.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    listsong_win32::CommandLine command;
    try {
        command = listsong_win32::read_command_line(program_arguments());
    } catch (const std::invalid_argument& wrong) {
        tell(std::cerr, std::string(kProgram) + ": " + wrong.what() + "\n" + songdb::kWindowUsage,
             MB_ICONERROR);
        return 2;
    }
    if (command.help) {
        tell(std::cout, songdb::kWindowUsage, MB_ICONINFORMATION);
        return 0;
    }
    try {
        return run_window(command.options);
    } catch (const std::exception& failure) {
        tell(std::cerr, std::string(kProgram) + ": " + failure.what() + "\n", MB_ICONERROR);
        return 1;
    }
}
