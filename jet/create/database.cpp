// A new database is laid out in three steps.
//
// 1. The skeleton, page by page: page 0 the header, page 1 the global usage
//    map (row 0; row 1 a second empty row of the same length, as Access
//    keeps), pages 2 to 5 the definitions of MSysObjects, MSysACEs,
//    MSysQueries and MSysRelationships, then for each table its usage-map
//    rows on shared holder pages (owned pages, pages with free space, one per
//    index, two per Memo or OLE column) and one empty root leaf per index;
//    the user table's definition follows the system tables'. No table has a
//    data page yet.
// 2. The catalogue rows of the four system tables, which the engine needs to
//    open the file, are placed directly: encoded rows on a new data page of
//    MSysObjects and their entries in its two indexes.
// 3. The file is opened as any database and every other row (containers,
//    the database object, the user table, the permissions) is inserted with
//    TableWriter.
#include "jet/create_database.h"

#include <chrono>
#include <ctime>

#include "jet/codepage.h"
#include "jet/coding.h"
#include "jet/create/header_page.h"
#include "jet/create/system_rows.h"
#include "jet/create/system_tables.h"
#include "jet/data_page_format.h"
#include "jet/data_page_writer.h"
#include "jet/database.h"
#include "jet/error.h"
#include "jet/general_sort.h"
#include "jet/index_reader.h"
#include "jet/index_writer.h"
#include "jet/page_allocator.h"
#include "jet/pager.h"
#include "jet/row_encoder.h"
#include "jet/table_definition_format.h"
#include "jet/table_definition_reader.h"
#include "jet/table_writer.h"
#include "jet/usage_map_format.h"
#include "jet/usage_map_writer.h"

namespace jet {
namespace {

constexpr int kCodePage = 1252;
constexpr PageNumber kFirstDefinitionPage = 2;

DateTime local_now() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    using namespace std::chrono;
    const sys_days day{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday};
    const sys_days epoch{year{1899} / December / 30};
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    return {static_cast<double>((day - epoch).count()) + seconds / 86400.0};
}

std::uint32_t data_pointer(PageNumber page, unsigned row) {
    return (page << 8) | row;
}

// Lays out the pages of step 1 within one change of the pager.
class Skeleton {
  public:
    explicit Skeleton(Pager& pager) : pager_(pager), allocator_(pager) {}

    PageAllocator& allocator() { return allocator_; }

    void header_and_global_map() {
        build_header_page(pager_.modify(pager_.grow()), kGeneralSortOrder);
        const PageNumber map_page = pager_.grow();
        Page& page = pager_.modify(map_page);
        init_data_page(page, data_page_format::kGlobalMapOwner);
        // An inline map of pages 0 to 1023, all free but pages 0 and 1.
        std::vector<std::uint8_t> map(usage_map_format::kNewMapRowLength, 0xFF);
        map[usage_map_format::kTypeOffset] = usage_map_format::kInlineMap;
        put_u32le(map.data() + usage_map_format::kStartPageOffset, 0);
        map[usage_map_format::kInlineHeaderSize] = 0xFC;
        append_row(page, map);
        append_row(page, std::vector<std::uint8_t>(usage_map_format::kNewMapRowLength, 0));
    }

    // A page at the end of the file, marked in use.
    PageNumber new_page() {
        const PageNumber page = pager_.grow();
        mark_page_used(pager_, allocator_, page);
        return page;
    }

    void place_table(const NewTable& table, PageNumber definition_page) {
        TablePlacement placement;
        placement.definition_page = definition_page;
        placement.owned_pages_map = new_map_row();
        placement.free_pages_map = new_map_row();
        for (std::size_t i = 0; i < table.indexes.size(); ++i) {
            placement.index_maps.push_back(new_map_row());
        }
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            const ColumnType type = table.columns[i].type;
            if (type == ColumnType::Memo || type == ColumnType::Ole) {
                const std::uint32_t owned = new_map_row();
                placement.long_value_maps.push_back(
                    {static_cast<std::uint16_t>(i), owned, new_map_row()});
            }
        }
        for (std::uint32_t map : placement.index_maps) {
            const PageNumber root = allocator_.allocate(PageType::IndexLeaf, definition_page);
            add_page_to_map(pager_, allocator_, map, root);
            placement.index_roots.push_back(root);
        }
        build_table_definition_page(pager_.modify(definition_page), table, placement);
    }

  private:
    // A new empty inline map row on the current holder page, or on a new one.
    std::uint32_t new_map_row() {
        const std::vector<std::uint8_t> row(usage_map_format::kNewMapRowLength, 0);
        if (holder_ == 0 || !row_fits(*pager_.read(holder_), row.size())) {
            holder_ = allocator_.allocate(PageType::Data, data_page_format::kUsageMapHolderOwner);
        }
        const unsigned slot = append_row(pager_.modify(holder_), row);
        return data_pointer(holder_, slot);
    }

    Pager& pager_;
    PageAllocator allocator_;
    PageNumber holder_ = 0;
};

// Step 2: a row stored directly, with its index entries and the counts of
// the table's definition.
void place_row(Pager& pager, PageAllocator& allocator, const TableDefinition& table,
               PageNumber& data_page, const std::vector<Value>& values) {
    const std::vector<std::optional<std::vector<std::uint8_t>>> no_long_values(
        table.columns.size());
    const std::vector<std::uint8_t> bytes = encode_row(table, values, no_long_values);
    if (data_page == 0 || !row_fits(*pager.read(data_page), bytes.size())) {
        data_page = allocator.allocate(PageType::Data, table.page);
        add_page_to_map(pager, allocator, table.owned_pages_map, data_page);
        add_page_to_map(pager, allocator, table.free_pages_map, data_page);
    }
    const unsigned slot = append_row(pager.modify(data_page), bytes);
    const RowPointer at{data_page, static_cast<std::uint8_t>(slot)};
    using namespace table_definition_format;
    Page& definition = pager.modify(table.page);
    for (const RealIndex& index : table.real_indexes) {
        if (index_skips_row(table, index, values)) {
            continue;
        }
        const auto key = row_index_key(table, index, values);
        if (insert_index_entry(pager, allocator, table, index, key, at).new_key) {
            std::uint8_t* count = definition.data() + unique_entry_count_offset(index.number);
            put_u32le(count, get_u32le(count) + 1);
        }
    }
    put_u32le(definition.data() + kRowCountOffset,
              get_u32le(definition.data() + kRowCountOffset) + 1);
}

std::vector<Value> catalogue_values(const CatalogueRow& row, const CodePage& code_page,
                                    DateTime created) {
    std::vector<Value> values(17, Null{});
    values[0] = row.id;
    values[1] = row.parent_id;
    values[2] = Text{code_page.from_utf8(row.name)};
    values[3] = row.type;
    values[4] = created;
    values[5] = created;
    values[6] = Bytes{row.owner};
    values[7] = static_cast<std::int32_t>(row.flags);
    if (!row.properties.empty()) {
        values[14] = Bytes{row.properties};
    }
    return values;
}

PageNumber lay_out(const std::filesystem::path& path, const CodePage& code_page, DateTime created,
                   const NewTable& user_table, FileSystem& file_system) {
    Pager pager(path, Pager::Mode::ReadWrite, 64, JournalMode::On, file_system);
    pager.begin_change();
    Skeleton skeleton(pager);
    skeleton.header_and_global_map();
    const std::vector<NewTable> tables = system_tables();
    std::vector<PageNumber> definitions;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        definitions.push_back(skeleton.new_page());
    }
    for (std::size_t i = 0; i < tables.size(); ++i) {
        skeleton.place_table(tables[i], definitions[i]);
    }
    const PageNumber user_page = skeleton.new_page();
    skeleton.place_table(user_table, user_page);

    const TableDefinition catalogue =
        read_table_definition(pager, kFirstDefinitionPage, "MSysObjects", code_page);
    PageNumber data_page = 0;
    for (const CatalogueRow& row : system_table_rows()) {
        place_row(pager, skeleton.allocator(), catalogue, data_page,
                  catalogue_values(row, code_page, created));
    }
    pager.commit();
    pager.flush();
    return user_page;
}

void insert_rows(const std::filesystem::path& path, const NewTable& user_table,
                 PageNumber user_page, DateTime created, FileSystem& file_system) {
    OpenOptions open;
    open.code_page = kCodePage;
    open.writable = true;
    open.file_system = &file_system;
    const auto db = Database::open(path, open);
    const CodePage& code_page = db->code_page();
    {
        TableWriter catalogue(*db, "MSysObjects");
        for (const CatalogueRow& row : object_rows(user_table.name, user_page)) {
            const std::vector<Value> values = catalogue_values(row, code_page, created);
            catalogue.insert(std::vector<std::optional<Value>>(values.begin(), values.end()));
        }
    }
    TableWriter permissions(*db, "MSysACEs");
    for (const PermissionRow& row : permission_rows(user_page)) {
        permissions.insert({Value{row.object_id}, Value{Bytes{row.sid}}, Value{row.access_mask},
                            Value{row.inheritable}});
    }
    db->close();
}

}  // namespace

void create_database(const std::filesystem::path& path, const NewTable& table,
                     const CreateOptions& options) {
    FileSystem& file_system = *options.file_system;
    try {
        file_system.open(path, OpenMode::CreateNew);
    } catch (const FileError& e) {
        if (e.problem() == FileProblem::Exists) {
            throw Error(path_text(path) + ": the file exists already; choose a new name");
        }
        throw;
    }
    try {
        const CodePage& code_page = CodePage::get(kCodePage);
        const DateTime created = options.created.value_or(local_now());
        const PageNumber user_page = lay_out(path, code_page, created, table, file_system);
        insert_rows(path, table, user_page, created, file_system);
    } catch (...) {
        // The half-made file goes; should that fail too, the first error is
        // still the one that says what went wrong, and it is reported.
        try {
            file_system.remove(path);
        } catch (const FileError&) {
        }
        throw;
    }
}

}  // namespace jet
