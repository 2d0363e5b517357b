// listsong-window: the desktop window that fills the song catalogue.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "qt/main_window.h"
#include "qt/qt_toolkit.h"
#include "qt/window_arguments.h"
#include "songdb/update.h"
#include "songdb/update_options.h"
#include "window/re_name_fold.h"

namespace {

using listsong_qt::sort_window_arguments;
using listsong_qt::WindowArguments;

constexpr const char* kProgram = "listsong-window";

// On Linux a window needs an X or Wayland display, unless Qt is told to use
// another platform.
bool display_named() {
#if defined(_WIN32) || defined(__APPLE__)
    return true;
#else
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
#endif
}

QtMessageHandler qt_default_handler = nullptr;
// While Qt opens the display, its messages are held back: if it fails, the
// first of them says why in one line.
bool opening_display = false;
std::vector<std::pair<QtMsgType, QString>> held_messages;

// Qt ends the program on a fatal message, such as a display it cannot open;
// say so in one line instead of aborting.
void report_fatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        const QString cause = held_messages.empty() ? message : held_messages.front().second;
        std::fprintf(stderr, "%s: cannot open the window: %s\n", kProgram,
                     cause.toLocal8Bit().constData());
        std::_Exit(1);
    }
    if (opening_display) {
        held_messages.emplace_back(type, message);
        return;
    }
    qt_default_handler(type, context, message);
}

// Passes on the messages held back while the display opened.
void release_held_messages() {
    opening_display = false;
    for (const auto& [type, message] : held_messages) {
        qt_default_handler(type, QMessageLogContext(), message);
    }
    held_messages.clear();
}

// A wrong argument: its cause and the usage on stderr, exit code 2.
int refuse_argument(const std::string& cause) {
    std::cerr << kProgram << ": " << cause << '\n' << songdb::kWindowUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    WindowArguments arguments =
        sort_window_arguments(std::vector<std::string>(argv + 1, argv + argc));
    if (arguments.help) {
        std::cout << songdb::kWindowUsage;
        return 0;
    }
    songdb::UpdateOptions options;
    try {
        options = songdb::parse_update_options(arguments.own);
    } catch (const std::invalid_argument& wrong) {
        return refuse_argument(wrong.what());
    }
    if (!display_named()) {
        std::cerr << kProgram
                  << ": no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)\n";
        return 1;
    }
    qt_default_handler = qInstallMessageHandler(report_fatal);
    opening_display = true;
    // QApplication takes its own arguments out of qt_argv and keeps the rest.
    std::vector<char*> qt_argv{argv[0]};
    for (std::string& arg : arguments.toolkit) {
        qt_argv.push_back(arg.data());
    }
    int qt_argc = static_cast<int>(qt_argv.size());
    qt_argv.push_back(nullptr);
    QApplication application(qt_argc, qt_argv.data());
    release_held_messages();
    if (qt_argc > 1) {
        return refuse_argument(std::string("unknown argument '") + qt_argv[1] + "'");
    }
    QApplication::setApplicationName("ListSong");

    try {
        listsong_qt::QtToolkit toolkit;
        window::ReNameFold model(toolkit);
        songdb::bind_update(model, songdb::window_target(model, options));
        listsong_qt::MainWindow view(model);
        toolkit.attach(view, [&view] { view.show_model(); });
        model.load();
        view.show_model();
        view.show();
        return QApplication::exec();
    } catch (const std::exception& failure) {
        std::cerr << kProgram << ": " << failure.what() << '\n';
        return 1;
    }
}
