#include "tests/songdb/fake_dao.h"

#include <algorithm>
#include <optional>

#include "jet/value_parse.h"
#include "jet/write_error.h"

namespace songdb::testing {
namespace {

jet::Column text_column(std::string name, std::uint16_t size) {
    jet::Column column;
    column.name = std::move(name);
    column.type = jet::ColumnType::Text;
    column.size = size;
    return column;
}

dao::Error::Kind kind_of(jet::WriteRefused::Kind kind) {
    switch (kind) {
        case jet::WriteRefused::Kind::FieldTooSmall:
            return dao::Error::Kind::FieldTooSmall;
        case jet::WriteRefused::Kind::Conversion:
        case jet::WriteRefused::Kind::Overflow:
            return dao::Error::Kind::Conversion;
        default:
            return dao::Error::Kind::Refused;
    }
}

class FakeRecordset : public dao::Recordset {
  public:
    FakeRecordset(FakeTable& table, const jet::CodePage& code_page)
        : table_(table), code_page_(code_page) {}

    std::int64_t RecordCount() const override {
        return static_cast<std::int64_t>(table_.rows.size());
    }
    void MoveLast() override {
        if (table_.rows.empty()) {
            throw dao::Error(dao::Error::Kind::NoCurrentRecord, "no current record");
        }
    }
    void AddNew() override { new_row_.emplace(); }
    void set_field(std::string_view name, std::string_view utf8) override {
        if (!new_row_) {
            throw dao::Error(dao::Error::Kind::NoNewRow, "no AddNew");
        }
        const auto column = std::find_if(table_.columns.begin(), table_.columns.end(),
                                         [&](const jet::Column& c) { return c.name == name; });
        if (column == table_.columns.end()) {
            throw dao::Error(dao::Error::Kind::MissingColumn,
                             "no column '" + std::string(name) + "'");
        }
        try {
            jet::value_from_text(utf8, *column, code_page_);
        } catch (const jet::WriteRefused& e) {
            throw dao::Error(kind_of(e.kind()), e.what());
        } catch (const jet::CodePageError& e) {
            throw dao::Error(dao::Error::Kind::Conversion, e.what());
        }
        (*new_row_)[column->name] = std::string(utf8);
    }
    void Update() override {
        if (!new_row_) {
            throw dao::Error(dao::Error::Kind::NoNewRow, "no AddNew");
        }
        for (const std::string& unique : table_.unique_columns) {
            for (const auto& row : table_.rows) {
                if (row.count(unique) != 0 && new_row_->count(unique) != 0 &&
                    row.at(unique) == new_row_->at(unique)) {
                    new_row_.reset();
                    throw dao::Error(dao::Error::Kind::DuplicateKey, "duplicate " + unique);
                }
            }
        }
        table_.rows.push_back(std::move(*new_row_));
        new_row_.reset();
    }
    void ForEachValue(
        std::string_view name,
        const std::function<void(const std::optional<std::string>&)>& visit) override {
        if (std::none_of(table_.columns.begin(), table_.columns.end(),
                         [&](const jet::Column& c) { return c.name == name; })) {
            throw dao::Error(dao::Error::Kind::MissingColumn,
                             "no column '" + std::string(name) + "'");
        }
        for (const auto& row : table_.rows) {
            const auto value = row.find(std::string(name));
            visit(value == row.end() ? std::nullopt : std::optional<std::string>(value->second));
        }
    }

  private:
    FakeTable& table_;
    const jet::CodePage& code_page_;
    std::optional<std::map<std::string, std::string>> new_row_;
};

}  // namespace

class FakeDatabase : public dao::Database {
  public:
    FakeDatabase(FakeEngine& engine, std::map<std::string, FakeTable>& tables)
        : engine_(engine), tables_(tables) {
        ++engine_.openings_;
        engine_.most_open_ = std::max(engine_.most_open_, ++engine_.open_now_);
    }
    ~FakeDatabase() override {
        if (open_) {
            --engine_.open_now_;
        }
    }

    std::unique_ptr<dao::Recordset> OpenRecordset(std::string_view query) override {
        const std::string name = dao::table_of_query(query);
        const auto table = tables_.find(name);
        if (table == tables_.end()) {
            throw dao::Error(dao::Error::Kind::NoSuchTable, "no table " + name);
        }
        return std::make_unique<FakeRecordset>(table->second, engine_.code_page_);
    }
    const jet::CodePage& code_page() const override { return engine_.code_page_; }
    const jet::CodePage& code_page_for_bytes(std::string_view) override {
        return engine_.code_page_;
    }
    void Close() override {
        if (open_) {
            open_ = false;
            --engine_.open_now_;
        }
    }

  private:
    FakeEngine& engine_;
    std::map<std::string, FakeTable>& tables_;
    bool open_ = true;
};

FakeTable song_table() {
    FakeTable table;
    jet::Column id;
    id.name = "ID";
    id.type = jet::ColumnType::Long;
    id.flags = jet::Column::kLongAutonumber;
    table.columns = {id,
                     text_column("songID", 10),
                     text_column("songName", 100),
                     text_column("artid", 100),
                     text_column("MidPath", 255),
                     text_column("CurPath", 255),
                     text_column("Lyrpath", 255)};
    return table;
}

FakeEngine::FakeEngine(int code_page) : code_page_(jet::CodePage::get(code_page)) {}

void FakeEngine::add_database(const std::filesystem::path& path,
                              std::map<std::string, FakeTable> tables) {
    files_[path] = std::move(tables);
}

FakeTable& FakeEngine::table(const std::filesystem::path& path, const std::string& name) {
    return files_.at(path).at(name);
}

std::unique_ptr<dao::Database> FakeEngine::OpenDatabase(const std::filesystem::path& path) {
    const auto file = files_.find(path);
    if (file == files_.end()) {
        throw dao::Error(dao::Error::Kind::CannotOpen, path.string() + ": no database");
    }
    return std::make_unique<FakeDatabase>(*this, file->second);
}

}  // namespace songdb::testing
