// An Access 97 database opened for reading: the engine's public entry point.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/catalogue.h"
#include "jet/codepage.h"
#include "jet/header.h"
#include "jet/pager.h"
#include "jet/table_definition.h"
#include "jet/table_scan.h"
#include "jet/value.h"

namespace jet {

struct OpenOptions {
    // The code page text is stored in; empty = the one the locale implies.
    std::optional<int> code_page;
    // Pages the pager keeps in memory.
    std::size_t cache_pages = 512;
};

class Database {
  public:
    // Opens and checks the header and catalogue. Throws UnsupportedFile for
    // other versions and encoded files, FormatError for damaged ones, Error
    // when the file cannot be read, CodePageError for an unknown code page.
    static std::unique_ptr<Database> open(const std::filesystem::path& path,
                                          const OpenOptions& options = {});

    const Header& header() const { return header_; }
    const CodePage& code_page() const { return *code_page_; }
    Pager& pager() { return *pager_; }
    const std::vector<CatalogueEntry>& catalogue() const { return catalogue_; }

    // Names of the user's tables in catalogue order.
    std::vector<std::string> table_names() const;

    // The definition of the table with this name (ASCII case-insensitive),
    // system tables included; throws Error when there is none.
    const TableDefinition& table(std::string_view name);

    void for_each_row(const TableDefinition& table, const RowCallback& callback);
    std::vector<Value> read_row(const TableDefinition& table, RowPointer at);

  private:
    Database(std::unique_ptr<Pager> pager, Header header, const CodePage& code_page);

    std::unique_ptr<Pager> pager_;
    Header header_;
    const CodePage* code_page_;
    std::vector<CatalogueEntry> catalogue_;
    std::map<PageNumber, std::unique_ptr<TableDefinition>> tables_;
};

}  // namespace jet
