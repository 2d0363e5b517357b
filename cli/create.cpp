// listsong create FILE: a new, empty Access 97 catalogue holding the Song
// table. An existing file is never overwritten.
#include "cli/commands.h"
#include "cli/options.h"
#include "jet/create_database.h"
#include "songdb/song_table.h"
#include "window/native_text.h"

namespace cli {

int run_create(const std::vector<std::string>& args, std::ostream& out) {
    const Options options = parse_options(args, false);
    if (options.positional.size() != 1) {
        throw UsageError(
            options.positional.empty()
                ? "create needs a FILE: name the catalogue to make"
                : "create takes one FILE: name one, in quotes if its name holds blanks");
    }
    jet::create_database(window::path_of_text(options.positional[0]), songdb::song_table());
    out << "created " << options.positional[0] << "\n";
    return 0;
}

}  // namespace cli
