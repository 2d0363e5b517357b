#include "jet/database.h"

#include <algorithm>

#include "jet/error.h"

namespace jet {
namespace {

bool ascii_iequal(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

}  // namespace

Database::Database(std::unique_ptr<Pager> pager, Header header, const CodePage& code_page)
    : pager_(std::move(pager)), header_(header), code_page_(&code_page) {}

std::unique_ptr<Database> Database::open(const std::filesystem::path& path,
                                         const OpenOptions& options) {
    const CodePage& code_page =
        CodePage::get(options.code_page.value_or(data_code_page_for_locale()));
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
    std::unique_ptr<Database> db(new Database(std::move(pager), header, code_page));
    db->catalogue_ = read_catalogue(*db->pager_, code_page);
    return db;
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
            read_table_definition(*pager_, page, found->name, *code_page_));
    } else if (pager_->mode() == Pager::Mode::ReadWrite) {
        slot->row_count = read_row_count(*pager_, page);
    }
    return *slot;
}

void Database::for_each_row(const TableDefinition& table, const RowCallback& callback) {
    scan_table(*pager_, table, callback);
}

void Database::close() {
    pager_->flush();
}

std::vector<Value> Database::read_row(const TableDefinition& table, RowPointer at) {
    return fetch_row(*pager_, table, at);
}

}  // namespace jet
