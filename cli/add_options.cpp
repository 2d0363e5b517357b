#include "cli/add_options.h"

#include <stdexcept>
#include <string_view>

#include "cli/options.h"
#include "songdb/program_folder.h"
#include "window/native_text.h"

namespace cli {
namespace {

constexpr const char* kCatalogueName = "LISTSONG.mdb";

// An option of add that takes a value, and how its usage names the value.
struct ValueOption {
    std::string_view name;
    std::string_view value;
};

constexpr ValueOption kValueOptions[] = {
    {"--midi", "DIR"}, {"--cur", "DIR"},          {"--lyr", "DIR"},
    {"--db", "FILE"},  {"--map-path", "FROM=TO"},
};

const ValueOption* value_option(std::string_view name) {
    for (const ValueOption& option : kValueOptions) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    }
    return text;
}

void require_folders(const AddOptions& options) {
    std::vector<std::string> names;
    std::vector<std::string> files;
    for (const FolderOption& option : kFolderOptions) {
        if ((options.*option.folder).empty()) {
            names.push_back(std::string(option.option) + " DIR");
            files.emplace_back(option.files);
        }
    }
    if (!names.empty()) {
        throw UsageError("add is missing " + listed(names) + ": name the " +
                         (names.size() == 1 ? "folder" : "folders") +
                         " whose sub-folders hold the " + listed(files) + " files");
    }
}

UsageError missing_value(const ValueOption& option) {
    return UsageError(std::string(option.name) + " needs a value: write " +
                      std::string(option.name) + " " + std::string(option.value));
}

void set_value(AddOptions& options, const ValueOption& option, const std::string& value) {
    const std::string_view name = option.name;
    if (value.empty()) {
        throw missing_value(option);
    }
    if (name == "--midi") {
        options.midi = value;
    } else if (name == "--cur") {
        options.cur = value;
    } else if (name == "--lyr") {
        options.lyr = value;
    } else if (name == "--db") {
        options.database = window::path_of_text(value);
    } else {
        try {
            options.paths.add(songdb::parse_path_mapping(value));
        } catch (const std::invalid_argument& e) {
            throw UsageError(e.what());
        }
    }
}

}  // namespace

const std::array<FolderOption, 3> kFolderOptions = {{
    {&AddOptions::midi, "--midi", "MIDI"},
    {&AddOptions::cur, "--cur", "cursor"},
    {&AddOptions::lyr, "--lyr", "lyric"},
}};

AddOptions parse_add_options(const std::vector<std::string>& args) {
    AddOptions options;
    std::vector<std::string> rest;  // --codepage, and what is no option of add's own
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const ValueOption* option = value_option(name);
        if (option == nullptr) {
            rest.push_back(arg);
            continue;
        }
        if (equals != std::string::npos) {
            set_value(options, *option, arg.substr(equals + 1));
        } else if (i + 1 == args.size() || args[i + 1].starts_with("--")) {
            // The next argument is an option of its own: this one's value was left out.
            throw missing_value(*option);
        } else {
            set_value(options, *option, args[++i]);
        }
    }
    const Options common = parse_options(rest, false);
    if (!common.positional.empty()) {
        throw UsageError("add takes no argument '" + common.positional[0] +
                         "' alone: write each folder after its option, as in --midi DIR");
    }
    require_folders(options);
    options.code_page = common.code_page;
    if (options.database.empty()) {
        options.database = songdb::running_program_folder() / kCatalogueName;
    }
    return options;
}

}  // namespace cli
