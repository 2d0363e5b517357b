// bench/append: how fast the engine appends rows to a table with a text
// primary key and further indexes, and whether a row's cost stays flat as
// the table grows.
//
// usage: append FILE [--table NAME] [--warm-up N] [--rows N]
//
// The run is done three times: without the rollback journal, with it but
// nothing forced to the disk (JournalMode::On), and with durable saves
// (JournalMode::Synchronous, as `listsong` writes), each on its own copy of
// FILE, FILE.bench-no-journal, FILE.bench-unsynced and FILE.bench (the
// original is never written). Into
// the copy's table (default Customers, whose key is a 5-letter text code) it
// appends --warm-up rows (default 50,000) untimed, then --rows rows (default
// 100,000) timed, noting the time the first tenth took. It reports rows per
// second, the ratio of the whole timed run to its first tenth (a flat cost
// per row gives 10), the journal's cost and that of durable saves (time with
// / time without) and the peak resident memory (getrusage). Times are given as wall-clock time
// and as the process's CPU time, which a busy machine does not inflate.
// Checking the results is left to `listsong check`.
#include <sys/resource.h>
#include <time.h>

#include <charconv>
#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/table_writer.h"
#include "jet/write_error.h"

namespace {

using Clock = std::chrono::steady_clock;

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::string file;
    std::string table = "Customers";
    long warm_up = 50000;
    long rows = 100000;
};

long parse_count(const std::string& option, const std::string& text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) {
        throw UsageError(option + " needs a positive number, not '" + text + "'");
    }
    return value;
}

Arguments parse_arguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                throw UsageError(arg + " needs a value");
            }
            return argv[++i];
        };
        if (arg == "--table") {
            arguments.table = value();
        } else if (arg == "--warm-up") {
            arguments.warm_up = parse_count(arg, value());
        } else if (arg == "--rows") {
            arguments.rows = parse_count(arg, value());
        } else if (arguments.file.empty() && arg.rfind("--", 0) != 0) {
            arguments.file = arg;
        } else {
            throw UsageError("unexpected argument '" + arg + "'");
        }
    }
    if (arguments.file.empty()) {
        throw UsageError("no FILE given");
    }
    return arguments;
}

// The n-th five-letter code AAAAA, AAAAB, …: distinct keys in no sorted order
// of insertion once mixed by a multiplier prime to 26^5.
std::string code(long n) {
    constexpr long kCodes = 26L * 26 * 26 * 26 * 26;
    long mixed = (n * 7919L + 12345L) % kCodes;
    std::string text(5, 'A');
    for (int i = 4; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = static_cast<char>('A' + mixed % 26);
        mixed /= 26;
    }
    return text;
}

// Fills every text column with values derived from the row number; the key
// column gets a code the file does not hold yet.
class CustomerRows {
  public:
    explicit CustomerRows(const jet::TableWriter& writer) : writer_(writer) {}

    std::vector<std::optional<jet::Value>> row(long n) const {
        const auto& columns = writer_.table().columns;
        std::vector<std::optional<jet::Value>> values(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].type != jet::ColumnType::Text) {
                continue;
            }
            std::string text =
                i == 0 ? code(n) : columns[i].name + " " + std::to_string(n * 31 % 9973);
            text.resize(std::min<std::size_t>(text.size(), columns[i].size));
            values[i] = jet::Value{jet::Text{text}};
        }
        return values;
    }

  private:
    const jet::TableWriter& writer_;
};

// Wall-clock and CPU seconds of this process.
struct Instant {
    Clock::time_point wall = Clock::now();
    double cpu = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }();
};

struct Span {
    double wall = 0;
    double cpu = 0;
};

Span since(const Instant& start) {
    const Instant now;
    return {std::chrono::duration<double>(now.wall - start.wall).count(), now.cpu - start.cpu};
}

struct Measurement {
    Span total;
    Span first_tenth;
    std::filesystem::path copy;
};

Measurement measure(const Arguments& arguments, jet::JournalMode journal,
                    const std::string& suffix) {
    const std::filesystem::path copy = arguments.file + suffix;
    std::filesystem::copy_file(arguments.file, copy,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    jet::OpenOptions options;
    options.code_page = 1252;
    options.writable = true;
    options.journal = journal;
    auto db = jet::Database::open(copy, options);
    jet::TableWriter writer(*db, arguments.table);
    const CustomerRows rows(writer);

    long n = 0;
    // A generated code may be one the table already holds: the next one is taken.
    auto append_one = [&] {
        for (;;) {
            try {
                writer.insert(rows.row(n++));
                return;
            } catch (const jet::WriteRefused& e) {
                if (e.kind() != jet::WriteRefused::Kind::DuplicateKey) {
                    throw;
                }
            }
        }
    };
    for (long i = 0; i < arguments.warm_up; ++i) {
        append_one();
    }
    const long tenth = std::max(1L, arguments.rows / 10);
    Measurement result;
    result.copy = copy;
    const Instant start;
    for (long i = 0; i < arguments.rows; ++i) {
        append_one();
        if (i + 1 == tenth) {
            result.first_tenth = since(start);
        }
    }
    db->close();
    result.total = since(start);
    return result;
}

void report(const Arguments& arguments, const std::string& title, const Measurement& m) {
    const long tenth = std::max(1L, arguments.rows / 10);
    const auto rows_per_second = [&](double seconds) {
        return static_cast<long>(static_cast<double>(arguments.rows) / seconds);
    };
    std::cout << title << ":\n"
              << "  wall clock: " << m.total.wall << " s, " << rows_per_second(m.total.wall)
              << " rows/s; time for " << arguments.rows << " rows / time for " << tenth
              << " rows: " << m.total.wall / m.first_tenth.wall << "\n"
              << "  CPU time:   " << m.total.cpu << " s, " << rows_per_second(m.total.cpu)
              << " rows/s; time for " << arguments.rows << " rows / time for " << tenth
              << " rows: " << m.total.cpu / m.first_tenth.cpu << "\n"
              << "  result: " << m.copy.string() << " ("
              << static_cast<double>(std::filesystem::file_size(m.copy)) / 1048576.0 << " MB)\n";
}

int run(const Arguments& arguments) {
    const Measurement without = measure(arguments, jet::JournalMode::Off, ".bench-no-journal");
    const Measurement unsynced = measure(arguments, jet::JournalMode::On, ".bench-unsynced");
    const Measurement with = measure(arguments, jet::JournalMode::Synchronous, ".bench");

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::cout << std::fixed << std::setprecision(2) << "table " << arguments.table << ": "
              << arguments.warm_up << " rows appended first, then " << arguments.rows << " rows\n";
    report(arguments, "without the journal", without);
    report(arguments, "with the journal, nothing forced to the disk", unsynced);
    report(arguments, "with the journal and durable saves", with);
    std::cout << "journal cost (unsynced / without): wall clock "
              << unsynced.total.wall / without.total.wall << ", CPU time "
              << unsynced.total.cpu / without.total.cpu << "\n"
              << "durable saves cost (durable / unsynced): wall clock "
              << with.total.wall / unsynced.total.wall << ", CPU time "
              << with.total.cpu / unsynced.total.cpu << "\n"
              << "peak memory: " << usage.ru_maxrss / 1024.0 << " MB\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(parse_arguments(argc, argv));
    } catch (const UsageError& e) {
        std::cerr << "append: " << e.what()
                  << "\nusage: append FILE [--table NAME] [--warm-up N] [--rows N]\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "append: " << e.what() << "\n";
        return 1;
    }
}
