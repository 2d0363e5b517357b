// Identifiers and permissions of the objects of a new database, as Access 97
// writes them:
//
//   containers   0x0F000001 Tables, 0x0F000002 Databases, 0x0F000003
//                Relationships (the engine's, parent 0x0F000000, owner SID
//                02 03, flags 0x80000000); 0x80000002 ... 0x80000006 Forms,
//                Reports, Scripts, Modules, SysRel (Access's, owner 03 01,
//                flags 0)
//   MSysDb       0x10000000, type 2, in Databases, owner 03 01, flags 0x80000000
//   tables       the first page of their definition, type 1, in Tables
//
// SIDs: 02 03 the engine, 03 01 the user Admin, 02 01 the group Admins,
// 02 04 the group Users.
//
// MSysDb's properties, in the layout described at the top of properties.cpp:
//   "KKD\0"
//   names chunk   u32 28, u16 0x0080, "AccessVersion", "Build"
//   object chunk  u32 37, u16 0x0000, block head u32 6 u16 0,
//                 AccessVersion: Text "07.53" (flag 1)
//                 Build: Long 3512
#include "jet/create/system_rows.h"

#include <string_view>

#include "jet/coding.h"

namespace jet {
namespace {

constexpr std::int32_t kRootContainer = 0x0F000000;
constexpr std::int32_t kTables = 0x0F000001;
constexpr std::int32_t kDatabases = 0x0F000002;
constexpr std::int32_t kRelationships = 0x0F000003;
constexpr std::int32_t kDatabaseObject = 0x10000000;
constexpr std::int32_t kFirstAccessContainer = static_cast<std::int32_t>(0x80000002u);
constexpr std::uint32_t kSystemObject = 0x80000000u;
constexpr std::int16_t kTableType = 1;
constexpr std::int16_t kDatabaseType = 2;
constexpr std::int16_t kContainerType = 3;

const std::vector<std::uint8_t> kEngine = {0x02, 0x03};
const std::vector<std::uint8_t> kAdmin = {0x03, 0x01};
const std::vector<std::uint8_t> kAdmins = {0x02, 0x01};
const std::vector<std::uint8_t> kUsers = {0x02, 0x04};

// Access masks as Access 97 grants them.
constexpr std::int32_t kFullAccess = 0x000FFFFF;
constexpr std::int32_t kUsersOnEngineContainers = 0x000F00FE;

void append_text(std::vector<std::uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

std::vector<std::uint8_t> database_properties() {
    const std::string_view names[] = {"AccessVersion", "Build"};
    const std::string_view version = "07.53";
    constexpr std::uint32_t kBuild = 3512;
    std::vector<std::uint8_t> blob;
    append_text(blob, std::string_view("KKD\0", 4));
    std::uint32_t names_length = 6;
    for (std::string_view name : names) {
        names_length += 2 + static_cast<std::uint32_t>(name.size());
    }
    append_u32le(blob, names_length);
    append_u16le(blob, 0x0080);
    for (std::string_view name : names) {
        append_u16le(blob, static_cast<std::uint16_t>(name.size()));
        append_text(blob, name);
    }
    const std::uint32_t version_record = 8 + static_cast<std::uint32_t>(version.size());
    const std::uint32_t build_record = 8 + 4;
    append_u32le(blob, 6 + 6 + version_record + build_record);
    append_u16le(blob, 0x0000);
    append_u32le(blob, 6);
    append_u16le(blob, 0);
    append_u16le(blob, static_cast<std::uint16_t>(version_record));
    blob.push_back(1);
    blob.push_back(static_cast<std::uint8_t>(ColumnType::Text));
    append_u16le(blob, 0);
    append_u16le(blob, static_cast<std::uint16_t>(version.size()));
    append_text(blob, version);
    append_u16le(blob, static_cast<std::uint16_t>(build_record));
    blob.push_back(0);
    blob.push_back(static_cast<std::uint8_t>(ColumnType::Long));
    append_u16le(blob, 1);
    append_u16le(blob, 4);
    append_u32le(blob, kBuild);
    return blob;
}

}  // namespace

std::vector<CatalogueRow> system_table_rows() {
    std::vector<CatalogueRow> rows;
    const char* names[] = {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"};
    std::int32_t page = 2;
    for (const char* name : names) {
        rows.push_back({page++, kTables, name, kTableType, kEngine, kSystemObject, {}});
    }
    return rows;
}

std::vector<CatalogueRow> object_rows(const std::string& table_name, PageNumber definition_page) {
    std::vector<CatalogueRow> rows = {
        {kTables, kRootContainer, "Tables", kContainerType, kEngine, kSystemObject, {}},
        {kDatabases, kRootContainer, "Databases", kContainerType, kEngine, kSystemObject, {}},
        {kRelationships,
         kRootContainer,
         "Relationships",
         kContainerType,
         kEngine,
         kSystemObject,
         {}},
        {kDatabaseObject, kDatabases, "MSysDb", kDatabaseType, kAdmin, kSystemObject,
         database_properties()},
    };
    std::int32_t id = kFirstAccessContainer;
    for (const char* name : {"Forms", "Reports", "Scripts", "Modules", "SysRel"}) {
        rows.push_back({id++, kRootContainer, name, kContainerType, kAdmin, 0, {}});
    }
    rows.push_back({static_cast<std::int32_t>(definition_page),
                    kTables,
                    table_name,
                    kTableType,
                    kAdmin,
                    0,
                    {}});
    return rows;
}

std::vector<PermissionRow> permission_rows(PageNumber table_definition_page) {
    std::vector<PermissionRow> rows = {
        {2, kAdmin, 0x00060000, false},
        {3, kAdmin, 0x00060000, false},
        {4, kAdmin, 0x00060000, false},
        {5, kAdmin, 0x000E0000, false},
        {kTables, kUsers, kUsersOnEngineContainers, true},
        {kTables, kAdmin, kFullAccess, true},
        {kRelationships, kUsers, kUsersOnEngineContainers, true},
        {kRelationships, kAdmin, 0x00060001, false},
        {kDatabases, kAdmin, 0x00060000, false},
        {kDatabaseObject, kAdmin, 0x0006000E, false},
        {kDatabaseObject, kAdmins, 0x0000000E, false},
        {4, kAdmins, 0x00000014, false},
        {5, kAdmins, 0x00000014, false},
        {2, kAdmins, 0x00000014, false},
        {kTables, kAdmins, kFullAccess, true},
        {kRelationships, kAdmins, kFullAccess, true},
    };
    for (std::int32_t id = kFirstAccessContainer; id < kFirstAccessContainer + 5; ++id) {
        for (const auto* sid : {&kAdmins, &kAdmin, &kUsers}) {
            rows.push_back({id, *sid, kFullAccess, true});
        }
    }
    const auto table = static_cast<std::int32_t>(table_definition_page);
    rows.push_back({table, kAdmin, kFullAccess, false});
    rows.push_back({table, kAdmins, kFullAccess, false});
    return rows;
}

}  // namespace jet
