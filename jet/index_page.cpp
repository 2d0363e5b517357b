// Decoding index pages; the byte layout is described in index_page_format.h.
#include "jet/index_page.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "jet/coding.h"
#include "jet/index_page_format.h"

namespace jet {
namespace {

using namespace index_page_format;

[[noreturn]] void fail(PageNumber page_number, const std::string& what) {
    throw IndexPageError("index page " + std::to_string(page_number) + ": " + what);
}

std::size_t pointer_length_of(IndexPageKind kind) {
    return kRowPointerLength + (kind == IndexPageKind::Leaf ? 0 : kChildPointerLength);
}

// Ends of the entries (offsets into the entry data), from the bitmap, into
// `ends`.
void entry_ends(PageNumber page_number, std::span<const std::uint8_t> page,
                std::vector<std::uint16_t>& ends) {
    ends.clear();
    // Eight bitmap bytes at a time, least significant first: most are zero.
    for (std::size_t word = 0; word * 8 < kBitmapSize; ++word) {
        std::uint64_t bits = 0;
        const std::size_t count = std::min<std::size_t>(8, kBitmapSize - word * 8);
        if (count == 8 && std::endian::native == std::endian::little) {
            std::memcpy(&bits, page.data() + kBitmapOffset + word * 8, 8);
        } else {
            for (std::size_t b = 0; b < count; ++b) {
                bits |= static_cast<std::uint64_t>(page[kBitmapOffset + word * 8 + b]) << (8 * b);
            }
        }
        while (bits != 0) {
            const std::size_t pos = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
            bits &= bits - 1;
            if (pos == 0) {
                fail(page_number, "the entry bitmap marks an empty first entry");
            }
            if (pos > kEntryCapacity) {
                fail(page_number, "the entry bitmap marks an entry ending at " +
                                      std::to_string(kEntryDataOffset + pos) +
                                      ", past the end of the page");
            }
            ends.push_back(static_cast<std::uint16_t>(pos));
        }
    }
}

}  // namespace

bool is_index_page(std::span<const std::uint8_t> bytes) {
    return !bytes.empty() &&
           (bytes[kTypeOffset] == static_cast<std::uint8_t>(IndexPageKind::Leaf) ||
            bytes[kTypeOffset] == static_cast<std::uint8_t>(IndexPageKind::Intermediate));
}

void decode_index_page(PageNumber page_number, std::span<const std::uint8_t> bytes,
                       IndexPageView& view) {
    if (bytes.size() != kPageSize) {
        fail(page_number, "expected " + std::to_string(kPageSize) + " bytes, got " +
                              std::to_string(bytes.size()));
    }
    if (!is_index_page(bytes) || bytes[kFixedByteOffset] != kFixedByte) {
        fail(page_number,
             "not an index page (type byte " + std::to_string(bytes[kTypeOffset]) + ")");
    }
    view.number = page_number;
    view.kind = static_cast<IndexPageKind>(bytes[kTypeOffset]);
    view.free_space = get_u16le(bytes.data() + kFreeSpaceOffset);
    view.table_page = get_u32le(bytes.data() + kTablePageOffset);
    view.previous_page = get_u32le(bytes.data() + kPreviousPageOffset);
    view.next_page = get_u32le(bytes.data() + kNextPageOffset);
    view.tail_page = get_u32le(bytes.data() + kTailPageOffset);
    view.prefix_length = bytes[kPrefixLengthOffset];
    view.data = bytes.data() + kEntryDataOffset;
    view.restored.clear();

    const std::size_t pointer_length = pointer_length_of(view.kind);
    const std::size_t prefix = view.prefix_length;
    const std::vector<std::uint16_t>& ends = view.ends;
    entry_ends(page_number, bytes, view.ends);
    view.entry_bytes = ends.empty() ? 0 : ends.back();
    if (ends.empty()) {
        return;
    }
    if (ends[0] < prefix) {
        fail(page_number, "the first entry (" + std::to_string(ends[0]) +
                              " bytes) is shorter than the shared prefix (" +
                              std::to_string(prefix) + " bytes)");
    }
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const std::size_t whole = i == 0 ? ends[0] : prefix + ends[i] - ends[i - 1];
        if (whole < pointer_length) {
            fail(page_number, "entry " + std::to_string(i) + " is " + std::to_string(whole) +
                                  " bytes, too short for its " + std::to_string(pointer_length) +
                                  "-byte pointer");
        }
    }
    if (prefix > 0 && ends.size() > 1) {
        view.restored.resize((ends.size() - 1) * prefix + (ends.back() - ends[0]));
        std::uint8_t* out = view.restored.data();
        for (std::size_t i = 1; i < ends.size(); ++i) {
            std::memcpy(out, view.data, prefix);
            std::memcpy(out + prefix, view.data + ends[i - 1], ends[i] - ends[i - 1]);
            out += prefix + ends[i] - ends[i - 1];
        }
    }
}

void view_after_leaf_insert(IndexPageView& view, const Page& page, std::size_t at,
                            std::size_t length) {
    const std::size_t start = at == 0 ? 0 : view.ends[at - 1];
    for (std::size_t i = at; i < view.ends.size(); ++i) {
        view.ends[i] = static_cast<std::uint16_t>(view.ends[i] + length);
    }
    view.ends.insert(view.ends.begin() + static_cast<std::ptrdiff_t>(at),
                     static_cast<std::uint16_t>(start + length));
    view.entry_bytes = view.ends.back();
    view.free_space = get_u16le(page.data() + kFreeSpaceOffset);
    view.tail_page = 0;
    view.data = page.data() + kEntryDataOffset;
}

IndexEntryRef IndexPageView::entry(std::size_t i) const {
    const std::size_t start = i == 0 ? 0 : ends[i - 1];
    const std::uint8_t* whole = data + start;
    std::size_t length = ends[i] - start;
    if (i > 0 && prefix_length > 0) {
        whole = restored.data() + (i - 1) * prefix_length + (start - ends[0]);
        length += prefix_length;
    }
    const std::size_t key_length = length - pointer_length_of(kind);
    IndexEntryRef entry;
    entry.key = {whole, key_length};
    entry.row.page = get_u24be(whole + key_length);
    entry.row.row = whole[key_length + kRowNumberOffset];
    if (kind == IndexPageKind::Intermediate) {
        entry.child = get_u32be(whole + key_length + kRowPointerLength);
    }
    return entry;
}

IndexEntry to_index_entry(const IndexEntryRef& entry) {
    IndexEntry copy;
    copy.key.assign(entry.key.begin(), entry.key.end());
    copy.row = entry.row;
    copy.child = entry.child;
    return copy;
}

IndexPage to_index_page(const IndexPageView& view) {
    IndexPage page;
    page.number = view.number;
    page.kind = view.kind;
    page.free_space = view.free_space;
    page.entry_bytes = view.entry_bytes;
    page.table_page = view.table_page;
    page.previous_page = view.previous_page;
    page.next_page = view.next_page;
    page.tail_page = view.tail_page;
    page.prefix_length = view.prefix_length;
    page.entries.reserve(view.size());
    for (std::size_t i = 0; i < view.size(); ++i) {
        page.entries.push_back(to_index_entry(view.entry(i)));
    }
    return page;
}

IndexPage parse_index_page(PageNumber page_number, std::span<const std::uint8_t> bytes) {
    IndexPageView view;
    decode_index_page(page_number, bytes, view);
    return to_index_page(view);
}

}  // namespace jet
