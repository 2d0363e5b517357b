#include "cli/console_toolkit.h"

#include <stdexcept>

#include "window/mounted_drives.h"

namespace cli {

ConsoleToolkit::ConsoleToolkit(std::filesystem::path program_folder,
                               std::filesystem::path start_folder)
    : program_folder_(std::move(program_folder)), start_folder_(std::move(start_folder)) {}

std::vector<window::Drive> ConsoleToolkit::drives() const {
    return window::mounted_drives();
}

bool ConsoleToolkit::drive_ready(const window::Drive& drive) const {
    return window::root_listable(drive.root);
}

void ConsoleToolkit::message_box(const std::string& prompt, int, const std::optional<std::string>&,
                                 const std::string&) {
    throw std::logic_error("the command line has no message box for \"" + prompt + "\"");
}

}  // namespace cli
