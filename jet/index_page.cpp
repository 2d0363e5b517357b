// Index pages (leaf and intermediate), 2048 bytes:
//
//   offset size
//   0      1    page type: 0x03 intermediate, 0x04 leaf
//   1      1    0x01
//   2      2    free space, u16 LE = 2048 - 248 - bytes of entry data
//   4      4    table definition page of the owning table, u32 LE
//   8      4    previous page on the same level, u32 LE (0 = none)
//   12     4    next page on the same level, u32 LE (0 = none)
//   16     4    tail page, u32 LE: intermediate pages, the last child (0 on leaves)
//   20     1    prefix length P
//   21     1    0x01 on intermediate pages, 0x00 on leaves
//   22     226  entry-end bitmap
//   248    1800 entry data
//
// Entry data is the entries one after the other from offset 248. For each
// entry, bit (end of the entry - 248) of the bitmap is set (byte pos / 8, bit
// pos % 8, least significant bit first), so the set bits count the entries and
// mark where each one ends.
//
// Prefix compression: the first entry is stored whole; every later entry is
// stored without its first P bytes, which equal the first P bytes of the first
// entry. P counts whole entry bytes and may reach past the key into the row
// pointer.
//
// A whole entry, once its prefix is restored:
//   leaf          key | data page u24 BE | row u8
//   intermediate  key | data page u24 BE | row u8 | child page u32 BE
// The key and row pointer of an intermediate entry are those of the last entry
// in the child's subtree. Entries are in ascending order of (key bytes, data
// page, row).
#include "jet/index_page.h"

#include <string>
#include <utility>

#include "jet/coding.h"

namespace jet {
namespace {

constexpr std::size_t kBitmapOffset = 22;
constexpr std::size_t kDataOffset = 248;
constexpr std::size_t kDataCapacity = kPageSize - kDataOffset;
constexpr std::size_t kRowPointerLength = 4;
constexpr std::size_t kChildPointerLength = 4;

[[noreturn]] void fail(PageNumber page_number, const std::string& what) {
    throw IndexPageError("index page " + std::to_string(page_number) + ": " + what);
}

// Ends of the entries (offsets into the entry data), from the bitmap.
std::vector<std::size_t> entry_ends(PageNumber page_number, std::span<const std::uint8_t> page) {
    std::vector<std::size_t> ends;
    for (std::size_t pos = 0; pos < (kDataOffset - kBitmapOffset) * 8; ++pos) {
        if (page[kBitmapOffset + pos / 8] == 0) {
            pos |= 7;  // no entry ends within this byte
            continue;
        }
        if ((page[kBitmapOffset + pos / 8] >> (pos % 8) & 1) == 0) {
            continue;
        }
        if (pos == 0) {
            fail(page_number, "the entry bitmap marks an empty first entry");
        }
        if (pos > kDataCapacity) {
            fail(page_number, "the entry bitmap marks an entry ending at " +
                                  std::to_string(kDataOffset + pos) + ", past the end of the page");
        }
        ends.push_back(pos);
    }
    return ends;
}

}  // namespace

bool is_index_page(std::span<const std::uint8_t> bytes) {
    return !bytes.empty() && (bytes[0] == static_cast<std::uint8_t>(IndexPageKind::Leaf) ||
                              bytes[0] == static_cast<std::uint8_t>(IndexPageKind::Intermediate));
}

IndexPage parse_index_page(PageNumber page_number, std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kPageSize) {
        fail(page_number, "expected " + std::to_string(kPageSize) + " bytes, got " +
                              std::to_string(bytes.size()));
    }
    if (!is_index_page(bytes) || bytes[1] != 0x01) {
        fail(page_number, "not an index page (type byte " + std::to_string(bytes[0]) + ")");
    }
    IndexPage page;
    page.number = page_number;
    page.kind = static_cast<IndexPageKind>(bytes[0]);
    page.free_space = get_u16le(bytes.data() + 2);
    page.table_page = get_u32le(bytes.data() + 4);
    page.previous_page = get_u32le(bytes.data() + 8);
    page.next_page = get_u32le(bytes.data() + 12);
    page.tail_page = get_u32le(bytes.data() + 16);
    page.prefix_length = bytes[20];

    const bool leaf = page.kind == IndexPageKind::Leaf;
    const std::size_t pointer_length = kRowPointerLength + (leaf ? 0 : kChildPointerLength);
    const std::vector<std::size_t> ends = entry_ends(page_number, bytes);
    page.entry_bytes = static_cast<std::uint16_t>(ends.empty() ? 0 : ends.back());
    const std::span<const std::uint8_t> data = bytes.subspan(kDataOffset);

    std::span<const std::uint8_t> first;
    std::size_t start = 0;
    page.entries.reserve(ends.size());
    for (std::size_t i = 0; i < ends.size(); ++i) {
        std::span<const std::uint8_t> stored = data.subspan(start, ends[i] - start);
        std::vector<std::uint8_t> whole;
        if (i == 0) {
            if (stored.size() < page.prefix_length) {
                fail(page_number, "the first entry (" + std::to_string(stored.size()) +
                                      " bytes) is shorter than the shared prefix (" +
                                      std::to_string(page.prefix_length) + " bytes)");
            }
            first = stored;
        } else {
            whole.assign(first.begin(), first.begin() + page.prefix_length);
        }
        whole.insert(whole.end(), stored.begin(), stored.end());
        if (whole.size() < pointer_length) {
            fail(page_number, "entry " + std::to_string(i) + " is " + std::to_string(whole.size()) +
                                  " bytes, too short for its " + std::to_string(pointer_length) +
                                  "-byte pointer");
        }
        const std::size_t key_length = whole.size() - pointer_length;
        IndexEntry entry;
        entry.row.page = get_u24be(whole.data() + key_length);
        entry.row.row = whole[key_length + 3];
        if (!leaf) {
            entry.child = get_u32be(whole.data() + key_length + kRowPointerLength);
        }
        whole.resize(key_length);
        entry.key = std::move(whole);
        page.entries.push_back(std::move(entry));
        start = ends[i];
    }
    return page;
}

}  // namespace jet
