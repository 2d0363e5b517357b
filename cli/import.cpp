// listsong import FILE TABLE CSV: appends the CSV's rows to the table
// (csv_import.h).
#include "cli/commands.h"
#include "cli/csv_import.h"
#include "cli/options.h"
#include "window/native_text.h"

namespace cli {

int run_import(const std::vector<std::string>& args, std::ostream& out) {
    const Options options = parse_options(args, false);
    if (options.positional.size() != 3) {
        throw UsageError("import needs FILE TABLE CSV, not " +
                         std::to_string(options.positional.size()) +
                         " arguments: name the catalogue, its table and the CSV file");
    }
    jet::OpenOptions open_options;
    open_options.code_page = options.code_page;
    import_csv(window::path_of_text(options.positional[0]), options.positional[1],
               window::path_of_text(options.positional[2]), open_options, out);
    return 0;
}

}  // namespace cli
