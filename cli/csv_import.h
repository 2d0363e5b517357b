// Appending the rows of a CSV file to a table: the work of `listsong import`
// without its command line, so that it can be run on any file system.
#pragma once

#include <filesystem>
#include <ostream>
#include <string_view>

#include "jet/database.h"

namespace cli {

// Appends the rows of the CSV file `csv` to the table `table` of `database`,
// opened for writing with `open_options`. The header row names the columns;
// every later row is converted from its text as Access converts a field set
// from a string, and stored by its own insert. The first row refused stops
// the import; the rows before it stay stored. Once rows have been tried it
// writes "stored N rows" to `out`, also when it then fails. Throws
// std::runtime_error naming the CSV file and the line at fault.
void import_csv(const std::filesystem::path& database, std::string_view table,
                const std::filesystem::path& csv, jet::OpenOptions open_options, std::ostream& out);

}  // namespace cli
