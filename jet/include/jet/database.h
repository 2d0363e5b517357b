// An Access 97 database opened for reading or writing: the entry point of the
// engine's public API, the headers of this folder. Rows are written through
// TableWriter (table_writer.h), new files made by create_database
// (create_database.h) and checked by check_database (check.h). The pager,
// journal and page formats behind it are the engine's own.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/catalogue.h"
#include "jet/codepage.h"
#include "jet/file_system.h"
#include "jet/header.h"
#include "jet/journal_mode.h"
#include "jet/row_pointer.h"
#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

class Pager;
class DataCodePage;

// Which of the rules of data_code_page.h chose a database's data code page.
enum class CodePageRule { Named, StoredTextIsThai, StoredTextIsNotThai, System, TextBeingAdded };

struct OpenOptions {
    // The code page text is stored in; empty = chosen by the rules of
    // data_code_page.h from the stored text and the system's code page.
    std::optional<int> code_page;
    // Pages the pager keeps in memory.
    std::size_t cache_pages = 512;
    // Open for writing: exclusively, and only when no `<name>.ldb` shows that
    // another program has the database open.
    bool writable = false;
    // How saves are protected against an interruption (journal_mode.h).
    JournalMode journal = JournalMode::Synchronous;
    // Where the file is read and written.
    FileSystem* file_system = &native_file_system();
};

// Called with each row of a table and where it is.
using RowCallback = std::function<void(RowPointer, const std::vector<Value>&)>;

class Database {
  public:
    // Opens and checks the header and catalogue, and chooses the data code
    // page (data_code_page.h). Throws UnsupportedFile for other versions and
    // encoded files, FormatError for damaged ones, Error when the file cannot
    // be read, CodePageError for an unknown code page; opened for writing,
    // Error naming the lock file when it exists and when another program
    // holds the file.
    static std::unique_ptr<Database> open(const std::filesystem::path& path,
                                          const OpenOptions& options = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const Header& header() const { return header_; }
    // The data code page: text is read and written in it.
    const CodePage& code_page() const;
    // Which rule chose it, and that rule as a sentence for people.
    CodePageRule code_page_rule() const;
    std::string code_page_reason() const;
    // The code page to store `utf8` in: the data code page, which a text that
    // only 874 can store switches to 874 while nothing stored shows another
    // (the fourth rule of data_code_page.h).
    const CodePage& code_page_for_text(std::string_view utf8);
    // The code page to read text `bytes` in that come with none named (a
    // lyric file without a byte-order mark): the data code page, which bytes
    // that read as Thai switch to 874 under the same rule.
    const CodePage& code_page_for_bytes(std::string_view bytes);
    const std::vector<CatalogueEntry>& catalogue() const { return catalogue_; }

    // Names of the user's tables in catalogue order.
    std::vector<std::string> table_names() const;

    // The definition of the table with this name (ASCII case-insensitive),
    // system tables included; throws Error when there is none. Opened for
    // writing, its counts (rows, last autonumber, distinct keys per index)
    // are read again at each call, so that they include every insert made
    // since.
    const TableDefinition& table(std::string_view name);

    void for_each_row(const TableDefinition& table, const RowCallback& callback);
    std::vector<Value> read_row(const TableDefinition& table, RowPointer at);

    // Saves the rows inserted so far (pager.h): from then on neither a kill
    // nor a power cut loses them. Inserts save by themselves every so often.
    void save();
    // Inserts not yet saved; after a failed save, the inserts it lost.
    std::size_t unsaved_inserts() const;
    // Inserts saved since the database was opened.
    std::size_t saved_inserts() const;

    // Saves and forces everything written to the disk; the last thing before
    // closing a database opened for writing.
    void close();

  private:
    Database(std::unique_ptr<Pager> pager, Header header, std::unique_ptr<DataCodePage> code_page,
             std::vector<CatalogueEntry> catalogue);

    // The engine's own code reaches the pager through this (database_pager.h).
    friend Pager& pager_of(Database& db);

    std::unique_ptr<Pager> pager_;
    Header header_;
    std::unique_ptr<DataCodePage> code_page_;
    std::vector<CatalogueEntry> catalogue_;
    std::map<PageNumber, std::unique_ptr<TableDefinition>> tables_;
};

}  // namespace jet
