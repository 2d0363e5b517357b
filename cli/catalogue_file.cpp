#include "cli/catalogue_file.h"

#include <stdexcept>
#include <string>
#include <system_error>

#include "cli/options.h"
#include "jet/file_system.h"
#include "window/native_text.h"

namespace cli {
namespace {

// The path as it is typed on a command line: in double quotes when it holds
// a blank, which would otherwise split it in two.
std::string typed_path(const std::string& path) {
    return path.find_first_of(" \t") == std::string::npos ? path : "\"" + path + "\"";
}

// A command whose first argument names the catalogue it opens, and how many
// arguments it takes besides its options.
struct CatalogueCommand {
    std::string_view name;
    bool allow_json;
    std::size_t least_arguments;
    std::size_t most_arguments;
};

constexpr std::size_t kAnyNumber = static_cast<std::size_t>(-1);

constexpr CatalogueCommand kCatalogueCommands[] = {
    {"info", false, 1, 1},
    {"dump", true, 1, kAnyNumber},
    {"check", false, 1, 1},
    {"import", false, 3, 3},
};

}  // namespace

void require_catalogue(const std::filesystem::path& file, std::string_view another) {
    std::error_code error;
    if (std::filesystem::exists(file, error) || error) {
        return;
    }
    const std::string path = jet::path_text(file);
    throw std::runtime_error("no catalogue at " + path + ": make one with `listsong create " +
                             typed_path(path) + "`, or name " + std::string(another));
}

void require_named_catalogue(std::string_view command, const std::vector<std::string>& args) {
    for (const CatalogueCommand& known : kCatalogueCommands) {
        if (known.name != command) {
            continue;
        }
        const Options options = parse_options(args, known.allow_json);
        const std::size_t count = options.positional.size();
        if (count >= known.least_arguments && count <= known.most_arguments) {
            require_catalogue(window::path_of_text(options.positional[0]), "an existing one");
        }
    }
}

}  // namespace cli
