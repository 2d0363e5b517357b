// bench/read: how fast the engine reads a database, beside mdb-export.
//
// usage: read FILE [TABLE...] [--codepage N] [--runs N]
//
// For each table (default: every user table) it reads every row and formats
// each as `listsong dump` does (CSV lines, written to /dev/null), so the work
// matches what mdb-export does. It then runs `mdb-export FILE TABLE` with its
// output on /dev/null as a child process for the same tables. Each side is
// timed over --runs runs (default 3) and the fastest is kept. Memory is the
// peak resident set: of this process for the engine (getrusage), of the
// largest child for mdb-export (wait4).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/value_text.h"

namespace {

using Clock = std::chrono::steady_clock;

// A command line the program cannot run: printed with the usage text, exit 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::string file;
    std::vector<std::string> tables;
    std::optional<int> code_page;
    int runs = 3;
};

struct Timing {
    std::uint64_t rows = 0;
    double seconds = 0;
    long peak_kib = 0;
    std::string failure;  // empty when the run succeeded
};

int parse_number(const std::string& option, const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) {
        throw UsageError(option + " needs a positive number, not '" + text + "'");
    }
    return value;
}

Arguments parse_arguments(int argc, char** argv) {
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--codepage" || arg == "--runs") && i + 1 < argc) {
            const int value = parse_number(arg, argv[++i]);
            (arg == "--runs" ? args.runs : args.code_page.emplace()) = value;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option '" + arg + "'");
        } else if (args.file.empty()) {
            args.file = arg;
        } else {
            args.tables.push_back(arg);
        }
    }
    if (args.file.empty()) {
        throw UsageError("no FILE given");
    }
    return args;
}

// Reads every row of the table and writes it as a dump CSV line to `out`.
std::uint64_t dump_table(jet::Database& db, const jet::TableDefinition& table, std::FILE* out) {
    std::uint64_t rows = 0;
    std::string line;
    db.for_each_row(table, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
        line.clear();
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += i ? "," : "";
            line += jet::csv_value(row[i], table.columns[i].type, db.code_page());
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
        ++rows;
    });
    return rows;
}

Timing time_engine(const Arguments& args, const std::string& table_name) {
    std::FILE* out = std::fopen("/dev/null", "w");
    if (out == nullptr) {
        throw std::runtime_error("cannot open /dev/null");
    }
    Timing best;
    for (int run = 0; run < args.runs; ++run) {
        const auto start = Clock::now();
        const auto db = jet::Database::open(args.file, {args.code_page});
        const std::uint64_t rows = dump_table(*db, db->table(table_name), out);
        std::fflush(out);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (run == 0 || seconds < best.seconds) {
            best.seconds = seconds;
        }
        best.rows = rows;
    }
    std::fclose(out);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    best.peak_kib = usage.ru_maxrss;
    return best;
}

// One run of `mdb-export FILE TABLE > /dev/null`.
Timing run_mdb_export(const std::string& file, const std::string& table) {
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, STDOUT_FILENO) < 0) {
            _exit(126);
        }
        execlp("mdb-export", "mdb-export", file.c_str(), table.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        throw std::runtime_error("wait4 failed");
    }
    Timing timing;
    timing.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    timing.peak_kib = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        timing.failure = WIFEXITED(status) && WEXITSTATUS(status) == 127
                             ? "mdb-export not found"
                             : "mdb-export failed (status " + std::to_string(status) + ")";
    }
    return timing;
}

Timing time_mdb_export(const Arguments& args, const std::string& table) {
    Timing best;
    for (int run = 0; run < args.runs; ++run) {
        const Timing timing = run_mdb_export(args.file, table);
        if (!timing.failure.empty()) {
            return timing;
        }
        if (run == 0 || timing.seconds < best.seconds) {
            best.seconds = timing.seconds;
        }
        best.peak_kib = std::max(best.peak_kib, timing.peak_kib);
    }
    return best;
}

std::string rate(std::uint64_t rows, double seconds) {
    return seconds > 0 ? std::to_string(static_cast<std::uint64_t>(rows / seconds)) : "-";
}

void print_line(const std::string& name, std::uint64_t rows, const Timing& engine,
                const Timing& other) {
    std::cout << std::left << std::setw(28) << name << std::right << std::setw(9) << rows
              << std::setw(12) << std::fixed << std::setprecision(2) << engine.seconds * 1000
              << std::setw(12) << rate(rows, engine.seconds);
    if (other.failure.empty()) {
        std::cout << std::setw(12) << other.seconds * 1000 << std::setw(12)
                  << rate(rows, other.seconds);
    } else {
        std::cout << "  " << other.failure;
    }
    std::cout << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Arguments args = parse_arguments(argc, argv);
        if (args.tables.empty()) {
            args.tables = jet::Database::open(args.file, {args.code_page})->table_names();
        }
        std::cout << "file: " << args.file << ", best of " << args.runs << " runs\n"
                  << std::left << std::setw(28) << "table" << std::right << std::setw(9) << "rows"
                  << std::setw(12) << "engine ms" << std::setw(12) << "rows/s" << std::setw(12)
                  << "export ms" << std::setw(12) << "rows/s"
                  << "\n";
        Timing engine_total;
        Timing export_total;
        for (const std::string& table : args.tables) {
            const Timing engine = time_engine(args, table);
            const Timing other = time_mdb_export(args, table);
            print_line(table, engine.rows, engine, other);
            engine_total.rows += engine.rows;
            engine_total.seconds += engine.seconds;
            engine_total.peak_kib = std::max(engine_total.peak_kib, engine.peak_kib);
            export_total.seconds += other.seconds;
            export_total.peak_kib = std::max(export_total.peak_kib, other.peak_kib);
            if (export_total.failure.empty()) {
                export_total.failure = other.failure;
            }
        }
        print_line("all tables", engine_total.rows, engine_total, export_total);
        std::cout << "peak memory (max RSS): engine " << engine_total.peak_kib
                  << " KiB (whole process), mdb-export " << export_total.peak_kib
                  << " KiB (largest child)\n";
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "read: " << e.what()
                  << "\nusage: read FILE [TABLE...] [--codepage N] [--runs N]\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "read: " << e.what() << "\n";
        return 1;
    }
}
