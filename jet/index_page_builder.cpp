// Building index pages. The layout (header, entry-end bitmap, entry data,
// prefix compression) is described in index_page_format.h; this file writes
// exactly what parse_index_page reads.
#include "jet/index_page_builder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "jet/coding.h"
#include "jet/index_page_format.h"

namespace jet {
namespace {

using namespace index_page_format;

std::size_t pointer_length(IndexPageKind kind) {
    return kRowPointerLength + (kind == IndexPageKind::Leaf ? 0 : kChildPointerLength);
}

// Byte `i` of the entry as stored whole: key | page u24 BE | row u8
// [| child u32 BE].
std::uint8_t whole_entry_byte(const IndexEntry& entry, std::size_t i) {
    if (i < entry.key.size()) {
        return entry.key[i];
    }
    i -= entry.key.size();
    switch (i) {
        case 0:
            return static_cast<std::uint8_t>(entry.row.page >> 16);
        case 1:
            return static_cast<std::uint8_t>(entry.row.page >> 8);
        case 2:
            return static_cast<std::uint8_t>(entry.row.page);
        case kRowNumberOffset:
            return entry.row.row;
        default:
            return static_cast<std::uint8_t>(entry.child >> (8 * (7 - i)));
    }
}

[[noreturn]] void fail(const std::string& what) {
    throw IndexPageError("cannot build index page: " + what);
}

}  // namespace

std::size_t index_entry_length(const IndexEntry& entry, IndexPageKind kind) {
    return entry.key.size() + pointer_length(kind);
}

std::size_t index_entries_length(std::span<const IndexEntry> entries, IndexPageKind kind,
                                 std::size_t prefix_length) {
    std::size_t total = 0;
    for (const IndexEntry& entry : entries) {
        total += index_entry_length(entry, kind);
    }
    if (entries.size() > 1) {
        total -= (entries.size() - 1) * prefix_length;
    }
    return total;
}

void build_index_page(Page& page, const IndexPage& contents) {
    const IndexPageKind kind = contents.kind;
    const std::size_t prefix = contents.prefix_length;
    const std::size_t length = index_entries_length(contents.entries, kind, prefix);
    if (length > kEntryCapacity) {
        fail(std::to_string(contents.entries.size()) + " entries take " + std::to_string(length) +
             " bytes, more than the " + std::to_string(kEntryCapacity) + " a page holds");
    }
    page.fill(0);
    page[kTypeOffset] = static_cast<std::uint8_t>(kind);
    page[kFixedByteOffset] = kFixedByte;
    put_u16le(&page[kFreeSpaceOffset], static_cast<std::uint16_t>(kEntryCapacity - length));
    put_u32le(&page[kTablePageOffset], contents.table_page);
    put_u32le(&page[kPreviousPageOffset], contents.previous_page);
    put_u32le(&page[kNextPageOffset], contents.next_page);
    put_u32le(&page[kTailPageOffset], kind == IndexPageKind::Leaf ? 0 : contents.tail_page);
    page[kPrefixLengthOffset] = static_cast<std::uint8_t>(prefix);
    page[kIntermediateMarkOffset] = kind == IndexPageKind::Leaf ? kLeafMark : kIntermediateMark;

    std::uint8_t* const data = &page[kEntryDataOffset];
    std::size_t end = 0;
    for (std::size_t i = 0; i < contents.entries.size(); ++i) {
        const IndexEntry& entry = contents.entries[i];
        const std::size_t whole = index_entry_length(entry, kind);
        if (whole < prefix || (i > 0 && whole == prefix)) {
            fail("entry " + std::to_string(i) + " is not longer than the shared prefix of " +
                 std::to_string(prefix) + " bytes");
        }
        const std::size_t skip = i == 0 ? 0 : prefix;
        for (std::size_t b = 0; b < skip; ++b) {
            if (whole_entry_byte(entry, b) != data[b]) {
                fail("entry " + std::to_string(i) + " does not start with the shared prefix");
            }
        }
        const std::size_t key_bytes = entry.key.size() > skip ? entry.key.size() - skip : 0;
        std::memcpy(data + end, entry.key.data() + skip, key_bytes);
        for (std::size_t b = skip + key_bytes; b < whole; ++b) {
            data[end + b - skip] = whole_entry_byte(entry, b);
        }
        end += whole - skip;
        page[kBitmapOffset + end / 8] |= static_cast<std::uint8_t>(1u << (end % 8));
    }
}

void insert_leaf_entry(Page& page, const IndexPageView& view, std::size_t at,
                       std::span<const std::uint8_t> key, RowPointer row) {
    if (view.kind != IndexPageKind::Leaf || view.prefix_length != 0 || at > view.size()) {
        fail("an entry is inserted in place only into a leaf page without a shared prefix");
    }
    const std::size_t length = key.size() + kRowPointerLength;
    const std::size_t used = view.entry_bytes;
    if (used + length > kEntryCapacity) {
        fail("an entry of " + std::to_string(length) + " bytes does not fit beside the " +
             std::to_string(used) + " bytes of entries on page " + std::to_string(view.number));
    }
    const std::size_t start = at == 0 ? 0 : view.ends[at - 1];
    std::uint8_t* const data = &page[kEntryDataOffset];
    std::memmove(data + start + length, data + start, used - start);
    std::memcpy(data + start, key.data(), key.size());
    std::uint8_t* const pointer = data + start + key.size();
    put_u24be(pointer, row.page);
    pointer[kRowNumberOffset] = row.row;
    std::memset(data + used + length, 0, kEntryCapacity - used - length);

    // The bitmap marks every entry's end and nothing else, so the entries
    // before `at` keep their marks as they are; the marks past `start` are
    // set anew for the inserted entry and the ones it moved.
    std::uint8_t* const bitmap = &page[kBitmapOffset];
    const std::size_t first_moved = start + 1;
    bitmap[first_moved / 8] &= static_cast<std::uint8_t>((1u << (first_moved % 8)) - 1);
    std::memset(bitmap + first_moved / 8 + 1, 0, kBitmapSize - first_moved / 8 - 1);
    auto mark_end = [&](std::size_t end) {
        bitmap[end / 8] |= static_cast<std::uint8_t>(1u << (end % 8));
    };
    mark_end(start + length);
    for (std::size_t i = at; i < view.ends.size(); ++i) {
        mark_end(view.ends[i] + length);
    }

    page[kTypeOffset] = static_cast<std::uint8_t>(IndexPageKind::Leaf);
    page[kFixedByteOffset] = kFixedByte;
    put_u16le(&page[kFreeSpaceOffset], static_cast<std::uint16_t>(kEntryCapacity - used - length));
    put_u32le(&page[kTailPageOffset], 0);
    page[kPrefixLengthOffset] = 0;
    page[kIntermediateMarkOffset] = kLeafMark;
}

IndexSplit split_index_entries(std::vector<IndexEntry> entries, IndexPageKind kind,
                               std::size_t inserted_at, bool first_on_level, bool last_on_level) {
    const bool leaf = kind == IndexPageKind::Leaf;
    const std::size_t n = entries.size();
    // Cutting at k: the upper page keeps [k, n); a leaf's lower page takes
    // [0, k), an intermediate one [0, k - 1) with the child of entry k - 1
    // as its tail. Both keep at least one entry.
    const std::size_t lowest = leaf ? 1 : 2;
    // below[k]: bytes of entries [0, k).
    std::vector<std::size_t> below(n + 1, 0);
    for (std::size_t k = 0; k < n; ++k) {
        below[k + 1] = below[k] + index_entry_length(entries[k], kind);
    }
    const std::size_t total = below[n];
    auto valid = [&](std::size_t k) {
        if (k < lowest || k + 1 > n) {
            return false;
        }
        return below[leaf ? k : k - 1] <= kEntryCapacity && total - below[k] <= kEntryCapacity;
    };

    std::size_t cut = 0;
    if (inserted_at + 1 == n && last_on_level && valid(n - 1)) {
        cut = n - 1;
    } else if (inserted_at == 0 && first_on_level && valid(lowest)) {
        cut = lowest;
    } else {
        std::size_t best_difference = std::numeric_limits<std::size_t>::max();
        for (std::size_t k = 1; k < n; ++k) {
            const std::size_t above = total - below[k];
            const std::size_t difference = below[k] > above ? below[k] - above : above - below[k];
            if (valid(k) && difference < best_difference) {
                best_difference = difference;
                cut = k;
            }
        }
    }
    if (cut == 0) {
        fail("no way to cut " + std::to_string(n) + " entries of " +
             std::to_string(index_entries_length(entries, kind)) +
             " bytes into two pages; an entry is longer than " +
             std::to_string(kMaxIndexEntryLength) + " bytes");
    }

    IndexSplit split;
    split.separator = entries[cut - 1];
    split.separator.child = 0;
    split.upper.assign(std::make_move_iterator(entries.begin() + static_cast<std::ptrdiff_t>(cut)),
                       std::make_move_iterator(entries.end()));
    if (leaf) {
        entries.resize(cut);
    } else {
        split.lower_tail = entries[cut - 1].child;
        entries.resize(cut - 1);
    }
    split.lower = std::move(entries);
    return split;
}

}  // namespace jet
