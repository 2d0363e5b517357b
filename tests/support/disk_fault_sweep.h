// What the sweeps of disk failures over a write (an import, an update)
// share: a file system that keeps the first failure the faulty one injects,
// the disk a run left copied to a fresh one, that catalogue opened there the
// way the next command opens it, the reading of a failure's message, and the
// loop over the faults that gathers what every run got wrong.
//
// A sweep runs the write once on a sound disk to count its calls, then once
// per counted call and kind of failure on a fresh copy of the same starting
// catalogue, with that call failing (and, as a disk gone bad, every later
// one too; or a second call after it). Each run is judged by what it
// reported and by what the next open finds; what a run got wrong goes into
// a list of findings, so that a test reports every bad run at once instead
// of stopping at the first.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "jet/check.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/file_system.h"
#include "jet/journal.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/forwarding_file.h"
#include "tests/support/memory_file_system.h"

namespace fault_sweep {

// One way a run's disk fails.
struct Fault {
    std::size_t call = 0;  // the counted call that fails first
    jet_test::DiskFault kind = jet_test::DiskFault::InputOutput;
    bool every_later_call = false;  // the disk stays broken after it
    std::size_t second_call = 0;    // a later call that fails too; 0 for none

    std::string describe() const {
        return "call " + std::to_string(call) + ", " +
               (kind == jet_test::DiskFault::InputOutput ? "EIO" : "ENOSPC") +
               (every_later_call  ? ", every later call failing too"
                : second_call > 0 ? ", and call " + std::to_string(second_call)
                                  : ", once");
    }
};

class FailingDisk;

namespace detail {

class NotingFile : public jet_test::ForwardingFile {
  public:
    NotingFile(std::unique_ptr<jet::File> file, FailingDisk& disk)
        : ForwardingFile(std::move(file)), disk_(disk) {}

    std::size_t read_at(std::uint64_t offset, std::uint8_t* data, std::size_t size) override;
    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override;
    void truncate(std::uint64_t length) override;
    void sync(bool metadata) override;
    void reserve(std::uint64_t length) override;

  private:
    FailingDisk& disk_;
};

}  // namespace detail

// The file system a run is given: `disk` under a FaultyFileSystem armed with
// the fault, keeping the error of the first call that failed; that error's
// reason is the cause the run must report. A second failing call comes from
// a second FaultyFileSystem under the first, which sees every call but the
// one the first failed: its call k - 1 is the run's call k.
class FailingDisk : public jet::FileSystem {
  public:
    FailingDisk(jet::FileSystem& disk, const std::optional<Fault>& fault)
        : lower_(disk), upper_(static_cast<jet::FileSystem&>(lower_)) {
        if (fault) {
            upper_.fail_at(fault->call, fault->kind, fault->every_later_call);
            if (fault->second_call > fault->call) {
                lower_.fail_at(fault->second_call - 1, fault->kind);
            }
        }
    }
    FailingDisk(const FailingDisk&) = delete;
    FailingDisk& operator=(const FailingDisk&) = delete;

    // Counted calls of the run.
    std::size_t calls() const { return upper_.calls(); }
    // Whether a call failed.
    bool failed() const { return upper_.failed() || lower_.failed(); }
    // The first failure, as the failing call raised it.
    const std::optional<jet::FileError>& first() const { return first_; }

    // Runs a call of the faulty file system or of one of its files, keeping
    // the FileError it raises when it is the first failure.
    template <typename Call>
    auto noting(Call&& call) -> decltype(call()) {
        const bool failed_before = failed();
        try {
            return call();
        } catch (const jet::FileError& e) {
            if (!failed_before && failed() && !first_) {
                first_ = e;
            }
            throw;
        }
    }

    std::unique_ptr<jet::File> open(const std::filesystem::path& path,
                                    jet::OpenMode mode) override {
        return std::make_unique<detail::NotingFile>(noting([&] { return upper_.open(path, mode); }),
                                                    *this);
    }
    bool exists(const std::filesystem::path& path) override { return upper_.exists(path); }
    void remove(const std::filesystem::path& path) override {
        noting([&] { upper_.remove(path); });
    }
    void sync_folder(const std::filesystem::path& file) override {
        noting([&] { upper_.sync_folder(file); });
    }

  private:
    jet_test::FaultyFileSystem lower_;
    jet_test::FaultyFileSystem upper_;
    std::optional<jet::FileError> first_;
};

namespace detail {

inline std::size_t NotingFile::read_at(std::uint64_t offset, std::uint8_t* data, std::size_t size) {
    return disk_.noting([&] { return ForwardingFile::read_at(offset, data, size); });
}
inline void NotingFile::write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    disk_.noting([&] { ForwardingFile::write_at(offset, data, size); });
}
inline void NotingFile::truncate(std::uint64_t length) {
    disk_.noting([&] { ForwardingFile::truncate(length); });
}
inline void NotingFile::sync(bool metadata) {
    disk_.noting([&] { ForwardingFile::sync(metadata); });
}
inline void NotingFile::reserve(std::uint64_t length) {
    disk_.noting([&] { ForwardingFile::reserve(length); });
}

}  // namespace detail

// The faults of a sweep over `calls` counted calls: each call failing once
// with EIO and with ENOSPC, and failing with every later call, for every
// `broken_disk_step`-th call and the last.
inline std::vector<Fault> faults_up_to(std::size_t calls, std::size_t broken_disk_step) {
    std::vector<Fault> faults;
    for (std::size_t n = 1; n <= calls; ++n) {
        for (const auto kind : {jet_test::DiskFault::InputOutput, jet_test::DiskFault::NoSpace}) {
            faults.push_back({n, kind, false});
            if (n % broken_disk_step == 1 % broken_disk_step || n == calls) {
                faults.push_back({n, kind, true});
            }
        }
    }
    return faults;
}

// Two failing calls, EIO both: each of `calls` calls, then each of the
// `window` calls after it. A failed save puts its pages back with calls of
// its own, so the second call may lie past `calls`.
inline std::vector<Fault> fault_pairs(std::size_t calls, std::size_t window) {
    std::vector<Fault> faults;
    for (std::size_t n = 1; n <= calls; ++n) {
        for (std::size_t m = n + 1; m <= n + window; ++m) {
            faults.push_back({n, jet_test::DiskFault::InputOutput, false, m});
        }
    }
    return faults;
}

// The texts the failing calls give as their reason.
inline std::string input_output_error() {
    return std::strerror(EIO);
}
inline std::string no_space() {
    return std::strerror(ENOSPC);
}

// Whether `reason` is a reason the fault can give: EIO always, ENOSPC only
// when that is the fault (calls that take no room fail with EIO then).
inline bool reason_fits(const std::string& reason, const Fault& fault) {
    return reason == input_output_error() ||
           (fault.kind == jet_test::DiskFault::NoSpace && reason == no_space());
}

// What a run's message got wrong about its first cause, or empty: the
// message must hold the first failure's reason as "(reason)", and of the
// disk's reasons that one must come first, so that a later failure is told
// after it and never in its place.
inline std::string cause_problem(const std::string& message, const jet::FileError& first) {
    const std::string cause = "(" + first.reason() + ")";
    const std::size_t at = message.find(cause);
    if (at == std::string::npos) {
        return "the message does not hold the first cause " + cause + " (" + first.what() + ")";
    }
    for (const std::string& other : {input_output_error(), no_space()}) {
        const std::size_t other_at = message.find("(" + other + ")");
        if (other != first.reason() && other_at < at) {
            return "a later cause (" + other + ") is told before the first one " + cause;
        }
    }
    return "";
}

// What a run in which a call failed got wrong about that failure: the
// failure must have come through the disk the run was given, with a reason
// the fault can give, and the run must have ended with an error whose
// message tells that first cause. `done` says what the run had done, for a
// run that ended without an error.
inline std::vector<std::string> failure_problems(const Fault& fault,
                                                 const std::optional<jet::FileError>& first,
                                                 bool threw, const std::string& message,
                                                 const std::string& done) {
    if (!first) {
        return {"a call failed, but not through the file system it was given"};
    }
    std::vector<std::string> problems;
    if (!reason_fits(first->reason(), fault)) {
        problems.push_back("the failing call gave the reason '" + first->reason() + "'");
    }
    if (!threw) {
        problems.push_back("it ended without an error although a call failed (" +
                           std::string(first->what()) + "); " + done);
    } else if (const std::string wrong = cause_problem(message, *first); !wrong.empty()) {
        problems.push_back(wrong + "; the message: " + message);
    }
    return problems;
}

// The number K of "the last K inserts" in a failure's message: the inserts
// a failed save says it lost ("were not saved", or for a save that could not
// be undone "the next open rolls the last K inserts back"); 0 when it says
// none.
inline std::size_t inserts_said_lost(const std::string& message) {
    const std::string words = "the last ";
    const std::size_t at = message.find(words);
    if (at == std::string::npos) {
        return 0;
    }
    std::size_t count = 0;
    for (std::size_t i = at + words.size();
         i < message.size() && message[i] >= '0' && message[i] <= '9'; ++i) {
        count = count * 10 + static_cast<std::size_t>(message[i] - '0');
    }
    return count;
}

// Every file of `disk` (the database, its journal when one is left) on a
// fresh disk: what the next program to start finds.
inline std::unique_ptr<jet_test::MemoryFileSystem> copy_of(const jet_test::MemoryFileSystem& disk) {
    auto copy = std::make_unique<jet_test::MemoryFileSystem>();
    for (const std::filesystem::path& path : disk.paths()) {
        copy->set_file(path, *disk.file(path));
    }
    return copy;
}

// A catalogue as the next open found it.
struct Reopened {
    std::string error;                // why it could not be opened or read; empty when it could
    std::vector<std::string> damage;  // the check's errors
    std::vector<std::vector<jet::Value>> rows;
    const jet::CodePage* code_page = nullptr;
    bool journal_left = false;  // a journal is still beside it afterwards
};

// Opens the catalogue on `disk` for reading, or for writing and then closes
// it, as the next command would: the open rolls back what the journal holds.
// Then checks it and reads the rows of `table`.
inline Reopened reopen(jet_test::MemoryFileSystem& disk, const std::filesystem::path& database,
                       const std::string& table, bool writable, int code_page) {
    Reopened found;
    try {
        jet::OpenOptions options;
        options.code_page = code_page;
        options.writable = writable;
        options.file_system = &disk;
        const std::unique_ptr<jet::Database> db = jet::Database::open(database, options);
        found.code_page = &db->code_page();
        const jet::CheckReport report = jet::check_database(*db);
        for (const jet::Finding& finding : report.findings) {
            if (finding.severity == jet::Severity::Error) {
                found.damage.push_back(jet::format_finding(finding));
            }
        }
        db->for_each_row(db->table(table),
                         [&](jet::RowPointer, const std::vector<jet::Value>& row) {
                             found.rows.push_back(row);
                         });
        if (writable) {
            db->close();
        }
    } catch (const std::exception& e) {
        found.error = e.what();
    }
    found.journal_left = disk.exists(jet::journal_path(database));
    return found;
}

// What the next open got wrong, whatever the rows: an open that fails, a
// check that finds damage, a journal left behind. Prefixed with `how`.
inline std::vector<std::string> reopen_problems(const Reopened& found, const std::string& how) {
    std::vector<std::string> problems;
    if (!found.error.empty()) {
        problems.push_back(how + ": the next open failed: " + found.error);
        return problems;
    }
    if (!found.damage.empty()) {
        problems.push_back(how + ": the check found " + std::to_string(found.damage.size()) +
                           " errors, the first: " + found.damage.front());
    }
    if (found.journal_left) {
        problems.push_back(how + ": a journal is still there after the open");
    }
    return problems;
}

// The text of a Text column's value in UTF-8; "<null>" or "<not text>"
// otherwise.
inline std::string text_of(const jet::Value& value, const jet::CodePage& code_page) {
    if (const auto* text = std::get_if<jet::Text>(&value)) {
        return code_page.to_utf8(text->bytes);
    }
    return jet::is_null(value) ? "<null>" : "<not text>";
}

// A Long column's value; -1 when it holds none.
inline std::int64_t long_of(const jet::Value& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return *number;
    }
    return -1;
}

// A run's findings in one line: the first, and how many more there were.
inline std::string in_one_line(const std::vector<std::string>& problems) {
    std::string line = problems.front();
    if (problems.size() > 1) {
        line += " (+" + std::to_string(problems.size() - 1) + " more)";
    }
    return line;
}

// Up to `most` lines, with how many more there were.
inline std::string listed(const std::vector<std::string>& lines, std::size_t most = 25) {
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < most; ++i) {
        text += lines[i] + "\n";
    }
    if (lines.size() > most) {
        text += "... and " + std::to_string(lines.size() - most) + " more\n";
    }
    return text;
}

// Runs `judge` (what a run under a fault got wrong, empty when nothing) for
// each fault and fails the test with every bad run at once; prints how many
// `runs` ("imports", "updates") it made and how long they took.
template <typename Judge>
void sweep(const std::vector<Fault>& faults, const std::string& runs, Judge&& judge) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::string> findings;
    for (const Fault& fault : faults) {
        const std::vector<std::string> problems = judge(fault);
        if (!problems.empty()) {
            findings.push_back(in_one_line(problems));
        }
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(findings.empty()) << findings.size() << " of " << faults.size()
                                  << " runs went wrong:\n"
                                  << listed(findings);
    std::cout << "[ sweep    ] " << faults.size() << " " << runs << " in " << took.count()
              << " s\n";
}

}  // namespace fault_sweep
