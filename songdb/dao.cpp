#include "songdb/dao.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>
#include <vector>

#include "jet/ascii.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/file_system.h"
#include "jet/table_writer.h"
#include "jet/value_parse.h"
#include "jet/write_error.h"

namespace songdb::dao {
namespace {

Error::Kind kind_of(jet::WriteRefused::Kind refusal) {
    using R = jet::WriteRefused::Kind;
    switch (refusal) {
        case R::MissingColumn:
            return Error::Kind::MissingColumn;
        case R::Conversion:
        case R::Overflow:
            return Error::Kind::Conversion;
        case R::FieldTooSmall:
            return Error::Kind::FieldTooSmall;
        case R::RequiredMissing:
        case R::ZeroLength:
            return Error::Kind::RequiredMissing;
        case R::DuplicateKey:
            return Error::Kind::DuplicateKey;
        case R::BrokenRelationship:
        case R::ValidationRule:
        case R::UnsupportedSortOrder:
        case R::AutoNumber:
            return Error::Kind::Refused;
    }
    return Error::Kind::Refused;
}

bool keyword(std::string_view word, std::string_view expected) {
    return std::equal(
        word.begin(), word.end(), expected.begin(), expected.end(),
        [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
}

std::vector<std::string_view> words_of(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) {
            ++end;
        }
        words.push_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

// A database open for writing and the table writers made on it. A table's
// writer is made by the first record set opened on it and shared by every
// later one while the database stays open: the update opens a record set per
// folder, and a new writer reads the table's properties, relationships and
// usage maps again, at a cost that grows with the table.
struct WritableDatabase {
    std::unique_ptr<jet::Database> db;
    std::vector<std::unique_ptr<jet::TableWriter>> writers;  // destroyed before db

    jet::TableWriter& writer(std::string_view table) {
        for (const std::unique_ptr<jet::TableWriter>& writer : writers) {
            if (jet::ascii_iequal(writer->table().name, table)) {
                return *writer;
            }
        }
        writers.push_back(std::make_unique<jet::TableWriter>(*db, table));
        return *writers.back();
    }
};

// What a database and the record sets opened on it share: the open file, or
// nothing once it is closed. A held file is shared with the hold, which
// closes it.
struct OpenFile {
    std::filesystem::path path;
    std::shared_ptr<WritableDatabase> open;
    bool held = false;

    WritableDatabase& open_database() {
        if (!open) {
            throw Error(Error::Kind::Closed, jet::path_text(path) + ": the database is closed");
        }
        return *open;
    }
    jet::Database& open_db() { return *open_database().db; }
};

class JetRecordset : public Recordset {
  public:
    JetRecordset(std::shared_ptr<OpenFile> file, std::string_view table)
        : file_(std::move(file)), writer_(&writer_of(*file_, table)) {
        rows_ = writer_->table().row_count;
    }

    std::int64_t RecordCount() const override { return rows_; }

    void MoveLast() override {
        file_->open_db();
        if (rows_ == 0) {
            throw Error(Error::Kind::NoCurrentRecord,
                        "table '" + writer_->table().name + "' holds no row: no current record");
        }
    }

    void AddNew() override {
        file_->open_db();
        new_row_.emplace(writer_->table().columns.size());
    }

    void set_field(std::string_view column, std::string_view utf8) override {
        jet::Database& db = file_->open_db();
        require_new_row();
        try {
            const std::size_t position = writer_->column_position(column);
            (*new_row_)[position] = jet::value_from_text(utf8, writer_->table().columns[position],
                                                         db.code_page_for_text(utf8));
        } catch (const jet::WriteRefused& e) {
            throw Error(kind_of(e.kind()), e.what());
        } catch (const jet::CodePageError& e) {
            throw Error(Error::Kind::Conversion,
                        "column '" + std::string(column) + "': " + std::string(e.what()));
        }
    }

    void Update() override {
        file_->open_db();
        require_new_row();
        // The new row is taken whatever the insert's outcome: after a refusal
        // or a failure the caller starts again with AddNew.
        std::vector<std::optional<jet::Value>> row = std::move(*new_row_);
        new_row_.reset();
        try {
            writer_->insert(std::move(row));
        } catch (const jet::WriteRefused& e) {
            throw Error(kind_of(e.kind()), e.what());
        }
        ++rows_;
    }

    void ForEachValue(
        std::string_view column,
        const std::function<void(const std::optional<std::string>&)>& visit) override {
        jet::Database& db = file_->open_db();
        const jet::TableDefinition& table = writer_->table();
        std::size_t position = 0;
        try {
            position = writer_->column_position(column);
        } catch (const jet::WriteRefused& e) {
            throw Error(kind_of(e.kind()), e.what());
        }
        const jet::ColumnType type = table.columns[position].type;
        if (type != jet::ColumnType::Text && type != jet::ColumnType::Memo) {
            throw Error(Error::Kind::Conversion, "column '" + std::string(column) + "' of table '" +
                                                     table.name + "' holds no text");
        }
        // The rows are read through a definition of that column alone, so
        // that no other value of a row is decoded.
        jet::TableDefinition one_column = table;
        one_column.columns = {table.columns[position]};
        const jet::CodePage& code_page = db.code_page();
        db.for_each_row(one_column, [&](jet::RowPointer, const std::vector<jet::Value>& row) {
            const auto* text = std::get_if<jet::Text>(&row[0]);
            visit(text ? std::optional<std::string>(code_page.to_utf8(text->bytes)) : std::nullopt);
        });
    }

  private:
    static jet::TableWriter& writer_of(OpenFile& file, std::string_view table) {
        WritableDatabase& open = file.open_database();
        const jet::Database& db = *open.db;
        const std::vector<std::string> names = db.table_names();
        if (std::none_of(names.begin(), names.end(),
                         [&](const std::string& name) { return jet::ascii_iequal(name, table); })) {
            throw Error(
                Error::Kind::NoSuchTable,
                jet::path_text(file.path) + ": there is no table '" + std::string(table) + "'");
        }
        try {
            return open.writer(table);
        } catch (const jet::WriteRefused& e) {
            throw Error(kind_of(e.kind()), jet::path_text(file.path) + ": " + e.what());
        }
    }

    void require_new_row() const {
        if (!new_row_) {
            throw Error(Error::Kind::NoNewRow,
                        "table '" + writer_->table().name + "': no new row begun by AddNew");
        }
    }

    std::shared_ptr<OpenFile> file_;
    jet::TableWriter* writer_;  // the open database's; used only while it is open
    std::int64_t rows_ = 0;
    std::optional<std::vector<std::optional<jet::Value>>> new_row_;
};

class JetDatabase : public Database {
  public:
    explicit JetDatabase(std::shared_ptr<OpenFile> file) : file_(std::move(file)) {}

    std::unique_ptr<Recordset> OpenRecordset(std::string_view query) override {
        return std::make_unique<JetRecordset>(file_, table_of_query(query));
    }

    const jet::CodePage& code_page() const override { return file_->open_db().code_page(); }
    const jet::CodePage& code_page_for_bytes(std::string_view bytes) override {
        return file_->open_db().code_page_for_bytes(bytes);
    }

    void Close() override {
        jet::Database& db = file_->open_db();
        if (file_->held) {
            db.save();
        } else {
            db.close();
        }
        file_->open.reset();
    }

  private:
    std::shared_ptr<OpenFile> file_;
};

}  // namespace

std::string table_of_query(std::string_view query) {
    const std::vector<std::string_view> words = words_of(query);
    if (words.size() != 4 || !keyword(words[0], "SELECT") || words[1] != "*" ||
        !keyword(words[2], "FROM")) {
        throw Error(Error::Kind::QueryRefused,
                    "the query '" + std::string(query) +
                        "' is not understood: only SELECT * FROM <table> opens a record set");
    }
    return std::string(words[3]);
}

namespace {

// Opens the file for writing. The engine's errors name the file already; the
// few that do not (a file that is no database) get its name in front.
std::shared_ptr<WritableDatabase> open_for_writing(const std::filesystem::path& path,
                                                   std::optional<int> code_page,
                                                   jet::FileSystem& file_system) {
    jet::OpenOptions options;
    options.code_page = code_page;
    options.writable = true;
    options.file_system = &file_system;
    if (!file_system.exists(path)) {
        throw Error(Error::Kind::CannotOpen, jet::path_text(path) + ": there is no database file");
    }
    try {
        return std::make_shared<WritableDatabase>(
            WritableDatabase{jet::Database::open(path, options), {}});
    } catch (const jet::Error& e) {
        const std::string name = jet::path_text(path);
        const std::string what = e.what();
        throw Error(Error::Kind::CannotOpen,
                    what.compare(0, name.size(), name) == 0
                        ? what
                        : name + ": cannot be opened as a database: " + what);
    }
}

}  // namespace

struct JetEngine::Held {
    std::filesystem::path path;
    std::shared_ptr<WritableDatabase> open;
};

namespace {

class JetHold : public Hold {
  public:
    explicit JetHold(std::shared_ptr<JetEngine::Held>& slot) : slot_(slot), held_(slot) {}
    ~JetHold() override { slot_.reset(); }

    void Close() override {
        const std::shared_ptr<WritableDatabase> open = std::move(held_->open);
        slot_.reset();
        if (open) {
            open->db->close();
        }
    }

  private:
    std::shared_ptr<JetEngine::Held>& slot_;
    std::shared_ptr<JetEngine::Held> held_;
};

}  // namespace

std::unique_ptr<Hold> DBEngine::HoldDatabase(const std::filesystem::path&) {
    class NoHold : public Hold {
      public:
        void Close() override {}
    };
    return std::make_unique<NoHold>();
}

JetEngine::JetEngine(std::optional<int> code_page, jet::FileSystem& file_system)
    : code_page_(code_page), file_system_(file_system) {}

std::unique_ptr<Database> JetEngine::OpenDatabase(const std::filesystem::path& path) {
    auto file = std::make_shared<OpenFile>();
    file->path = path;
    if (held_ && held_->open && held_->path == path) {
        file->open = held_->open;
        file->held = true;
    } else {
        file->open = open_for_writing(path, code_page_, file_system_);
    }
    return std::make_unique<JetDatabase>(std::move(file));
}

std::unique_ptr<Hold> JetEngine::HoldDatabase(const std::filesystem::path& path) {
    held_ = std::make_shared<Held>(Held{path, open_for_writing(path, code_page_, file_system_)});
    return std::make_unique<JetHold>(held_);
}

DBEngine& program_engine() {
    static JetEngine engine;
    return engine;
}

}  // namespace songdb::dao
