#include "songdb/update_options.h"

#include <memory>
#include <stdexcept>

#include "jet/codepage.h"
#include "window/native_text.h"

namespace songdb {
namespace {

int code_page_number(const std::string& text) {
    std::size_t used = 0;
    int number = 0;
    try {
        number = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || !jet::CodePage::supported(number)) {
        throw std::invalid_argument(
            "--codepage needs the number of a supported code page "
            "(874, 1250 to 1258), not '" +
            text + "'");
    }
    return number;
}

}  // namespace

const char* const kWindowUsage =
    "usage: listsong-window [--db FILE] [--codepage N] [--map-path FROM=TO]...\n"
    "  --db FILE           the catalogue to update (default: LISTSONG.mdb beside the program)\n"
    "  --codepage N        the code page of the catalogue's text, e.g. 874 (Thai) or 1252\n"
    "  --map-path FROM=TO  store the paths of songs under FROM as under TO, e.g.\n"
    "                      /media/usb/Karaoke=D:\\Karaoke (repeatable)\n";

UpdateOptions parse_update_options(const std::vector<std::string>& args) {
    UpdateOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg != "--db" && arg != "--codepage" && arg != "--map-path") {
            throw std::invalid_argument("unknown argument '" + arg + "'");
        }
        if (i + 1 == args.size()) {
            throw std::invalid_argument(arg + " needs a value");
        }
        const std::string& value = args[++i];
        if (arg == "--db") {
            options.database = std::filesystem::absolute(window::path_of_text(value));
        } else if (arg == "--codepage") {
            options.code_page = code_page_number(value);
        } else {
            options.paths.add(parse_path_mapping(value));
        }
    }
    return options;
}

UpdateTarget window_target(const window::ReNameFold& window, const UpdateOptions& options) {
    UpdateTarget target;
    if (options.code_page) {
        auto engine = std::make_shared<std::unique_ptr<dao::JetEngine>>();
        target.engine = [engine, code_page = options.code_page]() -> dao::DBEngine& {
            if (!*engine) {
                *engine = std::make_unique<dao::JetEngine>(code_page);
            }
            return **engine;
        };
    }
    target.database = options.database ? *options.database : program_database(window);
    target.paths = options.paths;
    return target;
}

}  // namespace songdb
