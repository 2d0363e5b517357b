// libFuzzer target over the read side of the engine. Each input is written to
// an in-memory file and read the way `listsong info` and `listsong dump --json`
// read a database, plus the walk of every real index and a lookup of some of
// the keys the walk met.
//
// The engine's own exceptions (jet::Error and its kinds, CodePageError,
// IndexKeyError) are how it refuses a damaged file, and so are expected
// outcomes, as is the out_of_range that json_value raises for a date outside
// the years 0000-9999. Anything else escapes to libFuzzer and is a finding:
// a crash, a sanitizer report, another exception (std::bad_alloc from an
// allocation sized by a corrupt count, for one), or a timeout. A broken
// promise that the commands rely on (an index naming a column the table
// lacks) aborts with a message.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "jet/database.h"
#include "jet/database_pager.h"
#include "jet/error.h"
#include "jet/index_key.h"
#include "jet/index_reader.h"
#include "jet/value_text.h"

namespace {

// Pages kept in memory: small, so that eviction is exercised too.
constexpr std::size_t kCachePages = 16;
// Keys of each index that are looked up again, and rows fetched per lookup.
constexpr std::size_t kKeysLookedUp = 4;
constexpr std::size_t kRowsFetchedPerKey = 4;

[[noreturn]] void broken_promise(const std::string& what) {
    std::fprintf(stderr, "read_fuzzer: %s\n", what.c_str());
    std::abort();
}

// One anonymous in-memory file, rewritten for every input; the database opens
// it by its /proc path.
class InputFile {
  public:
    InputFile() : fd_(memfd_create("read_fuzzer.mdb", 0)) {
        if (fd_ < 0) {
            throw std::system_error(errno, std::generic_category(), "memfd_create");
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~InputFile() { close(fd_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& path() const { return path_; }

    void replace(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(fd_, 0) != 0) {
            throw std::system_error(errno, std::generic_category(), "ftruncate");
        }
        std::size_t written = 0;
        while (written < size) {
            const ssize_t n =
                pwrite(fd_, data + written, size - written, static_cast<off_t>(written));
            if (n <= 0) {
                throw std::system_error(errno, std::generic_category(), "pwrite");
            }
            written += static_cast<std::size_t>(n);
        }
    }

  private:
    int fd_;
    std::string path_;
};

// What `info` prints of a table's indexes, minus the printing.
std::size_t describe_indexes(const jet::TableDefinition& table) {
    std::size_t length = 0;
    for (const jet::LogicalIndex& logical : table.logical_indexes) {
        if (logical.real_index >= table.real_indexes.size()) {
            broken_promise("logical index '" + logical.name + "' of '" + table.name +
                           "' names a real index that does not exist");
        }
        length += logical.name.size();
        for (const jet::IndexColumn& ic : table.real_indexes[logical.real_index].columns) {
            const jet::Column* column = table.column_by_number(ic.column_number);
            if (column == nullptr) {
                broken_promise("an index of '" + table.name + "' names a missing column");
            }
            length += column->name.size();
        }
    }
    return length;
}

// Every row as `dump --json` formats it.
std::size_t dump_rows(jet::Database& db, const jet::TableDefinition& table) {
    std::size_t length = 0;
    std::string line;
    db.for_each_row(table, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
        if (row.size() != table.columns.size()) {
            broken_promise("a row of '" + table.name + "' has " + std::to_string(row.size()) +
                           " values for " + std::to_string(table.columns.size()) + " columns");
        }
        line.assign(1, '{');
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += table.columns[i].name;
            try {
                line += jet::json_value(row[i], table.columns[i].type, db.code_page());
            } catch (const std::out_of_range&) {
                line += "?";  // a date the text form cannot show
            }
        }
        line += "}";
        length += line.size();
    });
    return length;
}

// Walks the index in key order, then finds the rows of some of its keys.
void walk_and_look_up(jet::Database& db, const jet::TableDefinition& table,
                      const jet::RealIndex& index) {
    std::vector<std::vector<std::uint8_t>> keys;
    jet::walk_index(jet::pager_of(db), table, index, [&](const jet::IndexEntry& entry) {
        if (keys.size() < kKeysLookedUp) {
            keys.push_back(entry.key);
        } else {
            keys.back() = entry.key;  // the first keys and the last one
        }
    });
    for (const auto& key : keys) {
        const std::vector<jet::RowPointer> rows =
            jet::find_rows(jet::pager_of(db), table, index, key);
        for (std::size_t i = 0; i < rows.size() && i < kRowsFetchedPerKey; ++i) {
            const std::vector<jet::Value> row = db.read_row(table, rows[i]);
            jet::row_index_key(table, index, row);
        }
    }
}

void read_everything(const std::string& path) {
    jet::OpenOptions options;
    options.code_page = 1252;
    options.cache_pages = kCachePages;
    const auto db = jet::Database::open(path, options);
    db->table_names();
    for (const jet::CatalogueEntry& entry : db->catalogue()) {
        if (entry.type != jet::CatalogueEntry::kLocalTable) {
            continue;
        }
        // Each table on its own: a damaged one must not hide faults in the rest.
        try {
            const jet::TableDefinition& table = db->table(entry.name);
            describe_indexes(table);
            dump_rows(*db, table);
            for (const jet::RealIndex& index : table.real_indexes) {
                try {
                    walk_and_look_up(*db, table, index);
                } catch (const jet::Error&) {
                    // a damaged index or row: refused, as expected
                } catch (const jet::IndexKeyError&) {
                    // a row value that cannot be a key: refused, as expected
                }
            }
        } catch (const jet::Error&) {
            // a damaged table: refused, as expected
        } catch (const jet::CodePageError&) {
            // a name the code page cannot hold: refused, as expected
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static InputFile file;
    file.replace(data, size);
    try {
        read_everything(file.path());
    } catch (const jet::Error&) {
        // not an Access 97 file, or a damaged one: refused, as expected
    } catch (const jet::CodePageError&) {
        // a catalogue name the code page cannot hold: refused, as expected
    }
    return 0;
}
