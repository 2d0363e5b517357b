// listsong check FILE: verifies every page, usage map, row and index of the
// database, prints one line per finding and a summary, and exits 1 when any
// finding is an error.
#include "jet/check.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "window/native_text.h"

namespace cli {
namespace {

// 2155 -> "2,155"
std::string with_thousands(std::size_t n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

std::string counted(std::size_t n, const std::string& one, const std::string& many) {
    return with_thousands(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int run_check(const std::vector<std::string>& args, std::ostream& out) {
    const Options options = parse_options(args, false);
    if (options.positional.size() != 1) {
        throw UsageError(
            options.positional.empty()
                ? "check needs a FILE: name the catalogue to check"
                : "check takes one FILE: name one, in quotes if its name holds blanks");
    }
    const auto db =
        jet::Database::open(window::path_of_text(options.positional[0]), {options.code_page});
    const jet::CheckReport report = jet::check_database(*db);
    for (const jet::Finding& finding : report.findings) {
        out << jet::format_finding(finding) << "\n";
    }
    const jet::CheckSummary& s = report.summary;
    out << "check: " << counted(s.tables, "table", "tables") << ", "
        << counted(s.pages, "page", "pages") << ", " << counted(s.rows, "row", "rows") << ", "
        << counted(s.indexes, "index", "indexes") << " (" << with_thousands(s.index_entries)
        << " entries): "
        << (s.errors == 0 ? std::string("no errors") : counted(s.errors, "error", "errors"))
        << (s.warnings == 0 ? "" : ", " + counted(s.warnings, "warning", "warnings")) << "\n";
    return report.ok() ? 0 : 1;
}

}  // namespace cli
