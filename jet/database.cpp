#include "jet/database.h"

#include "jet/ascii.h"
#include "jet/catalogue_reader.h"
#include "jet/data_code_page.h"
#include "jet/database_pager.h"
#include "jet/error.h"
#include "jet/header_page.h"
#include "jet/pager.h"
#include "jet/stored_text.h"
#include "jet/table_definition_reader.h"
#include "jet/table_scan.h"

namespace jet {

Database::Database(std::unique_ptr<Pager> pager, Header header,
                   std::unique_ptr<DataCodePage> code_page, std::vector<CatalogueEntry> catalogue)
    : pager_(std::move(pager)),
      header_(header),
      code_page_(std::move(code_page)),
      catalogue_(std::move(catalogue)) {}

std::unique_ptr<Database> Database::open(const std::filesystem::path& path,
                                         const OpenOptions& options) {
    DataCodePage code_page =
        options.code_page ? DataCodePage::named(*options.code_page) : DataCodePage::system();
    if (options.writable) {
        std::filesystem::path lock_file = path;
        lock_file.replace_extension(".ldb");
        if (options.file_system->exists(lock_file)) {
            throw Error(path_text(path) + ": the lock file " + path_text(lock_file) +
                        " shows that another program has the database open; close the player "
                        "(and any other program using the database) first, then try again. "
                        "Delete the lock file only if no program has the database open.");
        }
    }
    auto pager = std::make_unique<Pager>(
        path, options.writable ? Pager::Mode::ReadWrite : Pager::Mode::ReadOnly,
        options.cache_pages, options.journal, *options.file_system);
    if (pager->page_count() == 0) {
        throw UnsupportedFile("not an Access database");
    }
    const Header header = read_header(*pager->read(0));
    std::vector<CatalogueEntry> catalogue = read_catalogue(*pager, code_page.page());
    if (code_page.rule() == CodePageRule::System &&
        code_page.follow_stored_text(judge_stored_text(*pager, catalogue, code_page.page()))) {
        catalogue = read_catalogue(*pager, code_page.page());
    }
    return std::unique_ptr<Database>(
        new Database(std::move(pager), header, std::make_unique<DataCodePage>(std::move(code_page)),
                     std::move(catalogue)));
}

Database::~Database() = default;

Pager& pager_of(Database& db) {
    return *db.pager_;
}

const CodePage& Database::code_page() const {
    return code_page_->page();
}

CodePageRule Database::code_page_rule() const {
    return code_page_->rule();
}

std::string Database::code_page_reason() const {
    return code_page_->reason();
}

const CodePage& Database::code_page_for_text(std::string_view utf8) {
    return code_page_->page_for_text(utf8);
}

const CodePage& Database::code_page_for_bytes(std::string_view bytes) {
    return code_page_->page_for_bytes(bytes);
}

std::vector<std::string> Database::table_names() const {
    std::vector<std::string> names;
    for (const CatalogueEntry& e : catalogue_) {
        if (e.user_table()) {
            names.push_back(e.name);
        }
    }
    return names;
}

const TableDefinition& Database::table(std::string_view name) {
    const CatalogueEntry* found = nullptr;
    for (const CatalogueEntry& e : catalogue_) {
        if (e.type == CatalogueEntry::kLocalTable && ascii_iequal(e.name, name) &&
            (found == nullptr || e.name == name)) {
            found = &e;
        }
    }
    if (found == nullptr) {
        throw Error("no table named '" + std::string(name) + "'");
    }
    const auto page = static_cast<PageNumber>(found->id);
    auto& slot = tables_[page];
    if (!slot) {
        slot = std::make_unique<TableDefinition>(
            read_table_definition(*pager_, page, found->name, code_page_->page()));
    } else if (pager_->mode() == Pager::Mode::ReadWrite) {
        reread_counts(*pager_, *slot);
    }
    return *slot;
}

void Database::for_each_row(const TableDefinition& table, const RowCallback& callback) {
    scan_table(*pager_, table, callback);
}

void Database::save() {
    pager_->save();
}

std::size_t Database::unsaved_inserts() const {
    return pager_->unsaved_changes();
}

std::size_t Database::saved_inserts() const {
    return pager_->saved_changes();
}

void Database::close() {
    pager_->flush();
}

std::vector<Value> Database::read_row(const TableDefinition& table, RowPointer at) {
    return fetch_row(*pager_, table, at);
}

}  // namespace jet
