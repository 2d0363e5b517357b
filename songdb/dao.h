// The database operations the song table writer needs, in the shape it uses
// them: an engine that opens a database, a record set over one table that
// accepts new rows, a new row whose fields are set by name from text and then
// stored. The writer sees only these interfaces; JetEngine implements them on
// the Access 97 engine in jet/, and tests may put a fake behind them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "jet/codepage.h"
#include "jet/file_system.h"

namespace songdb::dao {

// A failure of a database operation. The message names the database, table,
// column or index concerned and, where there is one, the offending text.
class Error : public std::runtime_error {
  public:
    enum class Kind {
        CannotOpen,       // the file cannot be opened as a database
        QueryRefused,     // a query other than "SELECT * FROM <table>"
        NoSuchTable,      // the query names a table the database lacks
        NoCurrentRecord,  // MoveLast on a record set that holds no row
        NoNewRow,         // a field set or Update without AddNew first
        MissingColumn,    // a field name the table does not have
        Conversion,       // text that does not convert to the column's type
        FieldTooSmall,    // text longer than the column holds
        RequiredMissing,  // a required column left without a value
        DuplicateKey,     // a key already in a unique index
        Refused,          // any other refusal of the row (rules, relationships)
        Closed,           // an operation on a closed database
    };

    Error(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

// The rows of one table, opened for appending.
class Recordset {
  public:
    virtual ~Recordset() = default;

    // The rows the record set holds, those added through it included.
    virtual std::int64_t RecordCount() const = 0;
    // Makes the last row current; throws NoCurrentRecord when there is none.
    virtual void MoveLast() = 0;
    // Begins a new row with no field set; a row begun and not stored is dropped.
    virtual void AddNew() = 0;
    // Sets a field of the new row from text, converted to the column's type as
    // Access converts a string (MissingColumn, Conversion, FieldTooSmall).
    virtual void set_field(std::string_view column, std::string_view utf8) = 0;
    // Stores the new row at once (RequiredMissing, DuplicateKey, Refused).
    virtual void Update() = 0;
    // Reads one column of every row the table holds, in one pass, and hands
    // each value to `visit` as text (none for Null); MissingColumn when the
    // table has no such column, Conversion for a column not of text.
    virtual void ForEachValue(
        std::string_view column,
        const std::function<void(const std::optional<std::string>&)>& visit) = 0;
};

class Database {
  public:
    virtual ~Database() = default;

    // Only "SELECT * FROM <table>" is understood (keywords in any case).
    virtual std::unique_ptr<Recordset> OpenRecordset(std::string_view query) = 0;
    // The code page the database's text is kept in.
    virtual const jet::CodePage& code_page() const = 0;
    // The code page to read text bytes in that name none (a lyric file
    // without a byte-order mark): code_page(), or 874 when the bytes read as
    // Thai and nothing decided the database's page but the system's, which
    // then becomes 874 for the rest of the open.
    virtual const jet::CodePage& code_page_for_bytes(std::string_view bytes) = 0;
    // Closes the database and its record sets, saving what was stored (on
    // the disk when it returns). A database dropped without Close loses the
    // rows stored since the engine last saved, as a kill would.
    virtual void Close() = 0;
};

// A database kept open for writing across several OpenDatabase and Close,
// so that no other program can write to it in between.
class Hold {
  public:
    virtual ~Hold() = default;

    // Saves and closes the database; the last thing before the hold ends.
    // Dropped without Close, the hold loses the rows not yet saved.
    virtual void Close() = 0;
};

class DBEngine {
  public:
    virtual ~DBEngine() = default;

    // Opens the file for writing; throws CannotOpen naming it.
    virtual std::unique_ptr<Database> OpenDatabase(const std::filesystem::path& path) = 0;

    // Opens the file for writing and keeps it open until the hold is closed:
    // every OpenDatabase of it meanwhile shares that one open file and its
    // write lock, and its Close saves (on the disk when it returns) without
    // letting go of the file. Throws CannotOpen. The default holds nothing:
    // each OpenDatabase opens the file on its own.
    virtual std::unique_ptr<Hold> HoldDatabase(const std::filesystem::path& path);
};

// The engine on the Access 97 file engine. Databases are opened for writing
// with the engine's exclusive lock, on `file_system`; text is kept in
// `code_page`, or in the one the locale implies when none is given.
class JetEngine : public DBEngine {
  public:
    explicit JetEngine(std::optional<int> code_page = std::nullopt,
                       jet::FileSystem& file_system = jet::native_file_system());

    std::unique_ptr<Database> OpenDatabase(const std::filesystem::path& path) override;
    std::unique_ptr<Hold> HoldDatabase(const std::filesystem::path& path) override;

    // What a hold keeps open, shared with the hold that closes it.
    struct Held;

  private:
    std::optional<int> code_page_;
    jet::FileSystem& file_system_;
    std::shared_ptr<Held> held_;
};

// The program's one engine: created at its first use, kept until the program ends.
DBEngine& program_engine();

// The table a query "SELECT * FROM <table>" reads; throws QueryRefused for any
// other query.
std::string table_of_query(std::string_view query);

}  // namespace songdb::dao
