// libFuzzer target over the write side of the engine. An input is a control
// block of kControlSize bytes followed by a database image:
//
//   byte 0     rows to insert, 0 to 8 (the byte modulo 9)
//   byte 1     which user table takes them (modulo the number of user tables)
//   byte 2     bits 0-1: pages the pager caches (4, 16, 64 or 512); bit 2: the
//              journal is synchronous; bit 3: values go through their text
//              form and value_from_text; bit 4: code page 874 instead of 1252
//   byte 3     unused
//   bytes 4-7  seed of the values the rows get (little-endian)
//
// The image is put into a MemoryFileSystem, checked as it is (check.h), opened
// for writing, given the rows through TableWriter, closed, opened again for
// reading and checked again.
//
// The engine's own exceptions (jet::Error and its kinds, CodePageError) are
// how it refuses a damaged file or a row, and so are expected outcomes.
// Anything else escapes to libFuzzer and is a finding: a crash, a sanitizer
// report, another exception, a timeout. When the image passed the check
// before the inserts, the writer must leave a sound file too, and a broken
// promise aborts with a message:
//   - the file opens again and the check finds no error;
//   - every row the writer accepted reads back with the values it was given,
//     and the table's row count grew by the rows accepted;
//   - an insert that failed left the file's bytes as they were;
//   - no journal is left beside the closed database.
// Seeds: tools/make_fuzz_seeds.py --control (the real Access 97 files) and
// make_write_seeds (new catalogues); see CMakeLists.txt.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jet/check.h"
#include "jet/codepage.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/journal.h"
#include "jet/table_writer.h"
#include "jet/value_parse.h"
#include "jet/value_text.h"
#include "jet/write_error.h"
#include "tests/support/memory_file_system.h"

namespace {

constexpr std::size_t kControlSize = 8;
constexpr unsigned kMostRows = 8;
const std::filesystem::path kPath = "fuzz/write_fuzzer.mdb";

struct Control {
    unsigned rows = 0;
    unsigned table = 0;
    std::size_t cache_pages = 512;
    jet::JournalMode journal = jet::JournalMode::On;
    bool through_text = false;
    int code_page = 1252;
    std::uint64_t seed = 0;
};

Control read_control(const std::uint8_t* data) {
    Control control;
    control.rows = data[0] % (kMostRows + 1);
    control.table = data[1];
    control.cache_pages = std::size_t{4} << (2 * (data[2] & 3));
    control.journal = (data[2] & 4) != 0 ? jet::JournalMode::Synchronous : jet::JournalMode::On;
    control.through_text = (data[2] & 8) != 0;
    control.code_page = (data[2] & 16) != 0 ? 874 : 1252;
    for (int i = 0; i < 4; ++i) {
        control.seed |= std::uint64_t{data[4 + i]} << (8 * i);
    }
    return control;
}

[[noreturn]] void broken_promise(const std::string& what) {
    std::fprintf(stderr, "write_fuzzer: %s\n", what.c_str());
    std::abort();
}

// splitmix64: every input gives the same values on every run.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : next() % n; }
    bool chance(unsigned percent) { return below(100) < percent; }

  private:
    std::uint64_t state_;
};

template <typename T>
T integer(Random& random) {
    switch (random.below(4)) {
        case 0:
            return std::numeric_limits<T>::min();
        case 1:
            return std::numeric_limits<T>::max();
        case 2:
            return static_cast<T>(random.below(10));
        default:
            return static_cast<T>(random.next());
    }
}

// Text bytes: ASCII, and from 0xA1 up the accented Windows-1252 letters and
// Thai Windows-874 letters, leaving out the bytes that 874 leaves undefined.
std::string text(Random& random, std::size_t length) {
    static const std::string pool = [] {
        std::string bytes;
        for (int c = 0x20; c < 0x7F; ++c) {
            bytes.push_back(static_cast<char>(c));
        }
        for (int c = 0xA1; c <= 0xFB; ++c) {
            if (c < 0xDB || c > 0xDE) {
                bytes.push_back(static_cast<char>(c));
            }
        }
        return bytes;
    }();
    std::string s(length, ' ');
    for (char& c : s) {
        c = pool[random.below(pool.size())];
    }
    return s;
}

std::vector<std::uint8_t> bytes(Random& random, std::size_t length) {
    std::vector<std::uint8_t> data(length);
    for (auto& b : data) {
        b = static_cast<std::uint8_t>(random.next());
    }
    return data;
}

// A Text or Binary length: now and then empty or one too many (both often
// refused), else full or short.
std::size_t length_within(Random& random, std::size_t size) {
    switch (random.below(32)) {
        case 0:
            return 0;
        case 1:
            return size + 1;
        case 2:
        case 3:
        case 4:
            return size;
        default:
            return 1 + random.below(std::min<std::size_t>(size, 64));
    }
}

// A Memo or OLE length: in the row, on one long-value page, or over several.
std::size_t long_value_length(Random& random) {
    const std::uint64_t roll = random.below(16);
    if (roll == 0) {
        return 0;
    }
    if (roll < 6) {
        return 1 + random.below(64);
    }
    if (roll < 10) {
        return 60 + random.below(400);
    }
    if (roll < 14) {
        return 1000 + random.below(3000);
    }
    return 4000 + random.below(12000);
}

jet::Value value_of_type(const jet::Column& column, Random& random) {
    using T = jet::ColumnType;
    switch (column.type) {
        case T::Boolean:
            return random.chance(50);
        case T::Byte:
            return integer<std::uint8_t>(random);
        case T::Integer:
            return integer<std::int16_t>(random);
        case T::Long:
            return integer<std::int32_t>(random);
        case T::Currency:
            return jet::Currency{integer<std::int64_t>(random)};
        case T::Single:
            return random.chance(20)
                       ? std::numeric_limits<float>::max()
                       : static_cast<float>(static_cast<std::int32_t>(random.next())) / 64;
        case T::Double:
            return random.chance(20)
                       ? std::numeric_limits<double>::denorm_min()
                       : static_cast<double>(static_cast<std::int64_t>(random.next())) / 1024.0;
        case T::DateTime: {
            // Years 100 to 9999, to the second.
            const double day = -657434.0 + static_cast<double>(random.below(657434 + 2958466));
            const double second = static_cast<double>(random.below(86400));
            return jet::DateTime{day < 0 ? day - second / 86400 : day + second / 86400};
        }
        case T::Guid: {
            jet::Guid guid;
            const auto data = bytes(random, guid.stored.size());
            std::copy(data.begin(), data.end(), guid.stored.begin());
            return guid;
        }
        case T::Text:
            return jet::Text{text(random, length_within(random, column.size))};
        case T::Binary:
            return jet::Bytes{bytes(random, length_within(random, column.size))};
        case T::Memo:
            return jet::Text{text(random, long_value_length(random))};
        case T::Ole:
            return jet::Bytes{bytes(random, long_value_length(random))};
    }
    return jet::Null{};
}

// The value for one column: unset now and then (the default applies), null
// now and then (never for Yes/No, whose null reads back as No), otherwise one
// of its type, given as it is or set from its text form as a caller would.
std::optional<jet::Value> value_for(const jet::Column& column, Random& random,
                                    const Control& control, const jet::CodePage& code_page) {
    if (random.chance(8)) {
        return std::nullopt;
    }
    if (column.type != jet::ColumnType::Boolean && random.chance(12)) {
        return jet::Value{jet::Null{}};
    }
    jet::Value value = value_of_type(column, random);
    if (!control.through_text || jet::is_null(value)) {
        return value;
    }
    const bool text_column =
        column.type == jet::ColumnType::Text || column.type == jet::ColumnType::Memo;
    std::string form = text_column ? code_page.to_utf8(std::get<jet::Text>(value).bytes)
                                   : jet::csv_value(value, column.type, code_page);
    if (random.chance(2)) {
        form.insert(random.below(form.size() + 1), 1, static_cast<char>(random.below(128)));
    }
    return jet::value_from_text(form, column, code_page);
}

struct Inserted {
    jet::RowPointer at;
    std::vector<std::optional<jet::Value>> values;
};

struct Outcome {
    std::string table;
    std::uint32_t rows_before = 0;
    std::vector<Inserted> inserted;
};

jet::OpenOptions options_for(const Control& control, jet::FileSystem& file_system) {
    jet::OpenOptions options;
    options.code_page = control.code_page;
    options.cache_pages = control.cache_pages;
    options.journal = control.journal;
    options.file_system = &file_system;
    return options;
}

std::string errors_of(const jet::CheckReport& report) {
    std::string text;
    for (const jet::Finding& finding : report.findings) {
        if (finding.severity == jet::Severity::Error) {
            text += "\n  " + jet::format_finding(finding);
        }
    }
    return text;
}

// Whether the file opens and the check finds no error in it.
bool passes_check(jet::FileSystem& file_system, const Control& control) {
    try {
        const auto db = jet::Database::open(kPath, options_for(control, file_system));
        return jet::check_database(*db).ok();
    } catch (const jet::Error&) {
        return false;
    } catch (const jet::CodePageError&) {
        return false;
    }
}

// Opens the file for writing and inserts the rows into the chosen table,
// recording in `outcome` each row as it goes in. `sound`: the file passed the
// check, and every failed insert must leave its bytes as they were.
void insert_rows(jet_test::MemoryFileSystem& file_system, const Control& control, bool sound,
                 Outcome& outcome) {
    jet::OpenOptions options = options_for(control, file_system);
    options.writable = true;
    const auto db = jet::Database::open(kPath, options);
    const std::vector<std::string> names = db->table_names();
    if (!names.empty()) {
        const std::string& name = names[control.table % names.size()];
        jet::TableWriter writer(*db, name);
        outcome.table = name;
        outcome.rows_before = writer.table().row_count;
        Random random(control.seed);
        for (unsigned n = 0; n < control.rows; ++n) {
            std::vector<std::optional<jet::Value>> values;
            try {
                for (const jet::Column& column : writer.table().columns) {
                    values.push_back(value_for(column, random, control, db->code_page()));
                }
            } catch (const jet::WriteRefused&) {
                continue;  // a text form the column does not take
            } catch (const jet::CodePageError&) {
                continue;  // a character the code page cannot hold
            }
            std::optional<std::vector<std::uint8_t>> before;
            if (sound) {
                before = file_system.file(kPath);
            }
            try {
                const jet::RowPointer at = writer.insert(values);
                outcome.inserted.push_back({at, std::move(values)});
            } catch (const jet::Error& e) {
                if (sound && file_system.file(kPath) != before) {
                    broken_promise("an insert into '" + outcome.table + "' failed (" + e.what() +
                                   ") and left the file changed");
                }
            }
        }
    }
    db->close();
}

// The promises a file that passed the check before the inserts keeps.
void verify(jet_test::MemoryFileSystem& file_system, const Control& control,
            const Outcome& outcome) {
    if (file_system.exists(jet::journal_path(kPath))) {
        broken_promise("the journal stayed beside the closed database");
    }
    std::unique_ptr<jet::Database> db;
    try {
        db = jet::Database::open(kPath, options_for(control, file_system));
    } catch (const jet::Error& e) {
        broken_promise(std::string("a sound file no longer opens after the inserts: ") + e.what());
    }
    try {
        const jet::CheckReport report = jet::check_database(*db);
        if (!report.ok()) {
            broken_promise("the check finds errors after " +
                           std::to_string(outcome.inserted.size()) + " rows went into '" +
                           outcome.table + "' of a sound file:" + errors_of(report));
        }
        if (outcome.table.empty()) {
            return;
        }
        const jet::TableDefinition& table = db->table(outcome.table);
        if (table.row_count != outcome.rows_before + outcome.inserted.size()) {
            broken_promise("'" + outcome.table + "' counts " + std::to_string(table.row_count) +
                           " rows after " + std::to_string(outcome.inserted.size()) +
                           " went into its " + std::to_string(outcome.rows_before));
        }
        for (const Inserted& row : outcome.inserted) {
            const std::vector<jet::Value> stored = db->read_row(table, row.at);
            for (std::size_t i = 0; i < row.values.size() && i < stored.size(); ++i) {
                const jet::Column& column = table.columns[i];
                if (row.values[i] && !column.long_autonumber() && !column.guid_autonumber() &&
                    stored[i] != *row.values[i]) {
                    broken_promise("column '" + column.name + "' of a row inserted into '" +
                                   outcome.table + "' reads back as another value");
                }
            }
        }
    } catch (const jet::Error& e) {
        broken_promise(std::string("a sound file fails to read after the inserts: ") + e.what());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kControlSize) {
        return 0;
    }
    const Control control = read_control(data);
    static jet_test::MemoryFileSystem file_system;
    file_system.clear();
    file_system.set_file(kPath, std::vector<std::uint8_t>(data + kControlSize, data + size));

    const bool sound = passes_check(file_system, control);
    Outcome outcome;
    try {
        insert_rows(file_system, control, sound, outcome);
    } catch (const jet::Error&) {
        // not an Access 97 file, a damaged one, or a table that is not
        // written: refused, as expected
        if (!sound) {
            return 0;
        }
    } catch (const jet::CodePageError&) {
        // a name the code page cannot hold: refused, as expected
        if (!sound) {
            return 0;
        }
    }
    if (sound) {
        verify(file_system, control, outcome);
    }
    return 0;
}
