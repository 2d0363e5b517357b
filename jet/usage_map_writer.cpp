// Usage maps are changed in place on their holder page (layouts in
// usage_map_format.h). An inline map whose range does not reach a page it must
// hold is rebuilt longer, keeping start page 0 or lower, as Access itself
// lengthens inline maps once a file passes the range they cover. When the
// holder page has no room for the longer row, the map becomes a reference
// map: a row of bitmap page numbers, the bitmap pages allocated as needed.
//
// The global map (page 1, row 0) stores free pages. Pages outside its range,
// and pages of a reference map whose bitmap page is absent, count as in use;
// when its range grows, pages past the end of the file are marked free.
#include "jet/usage_map_writer.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "jet/coding.h"
#include "jet/data_page.h"
#include "jet/data_page_writer.h"
#include "jet/error.h"
#include "jet/usage_map_format.h"

namespace jet {
namespace {

namespace format = usage_map_format;

// The map row as it is now; re-read after anything that may move it.
struct MapRow {
    RowPointer at;
    std::vector<std::uint8_t> bytes;
    std::size_t start = 0;  // offset of the row on its page
};

MapRow read_map_row(Pager& pager, std::uint32_t map_pointer) {
    MapRow row;
    row.at = RowPointer::from_data_pointer(map_pointer);
    const DataPage holder(pager.read(row.at.page), row.at.page, "a usage map");
    const RowSlot slot = holder.slot(row.at.row);
    const auto bytes = holder.bytes(slot);
    const std::string where =
        "page " + std::to_string(row.at.page) + ": usage map row " + std::to_string(row.at.row);
    if (slot.deleted || slot.lookup || slot.lookup_target || bytes.empty()) {
        throw FormatError(where + " is not a usage map");
    }
    if (bytes[format::kTypeOffset] == format::kInlineMap &&
        bytes.size() < format::kInlineHeaderSize) {
        throw FormatError(where + " is too short for an inline map");
    }
    if (bytes[format::kTypeOffset] != format::kInlineMap &&
        bytes[format::kTypeOffset] != format::kReferenceMap) {
        throw FormatError(where + " has unknown map type " +
                          std::to_string(bytes[format::kTypeOffset]));
    }
    row.bytes.assign(bytes.begin(), bytes.end());
    row.start = slot.start;
    return row;
}

class MapWriter {
  public:
    MapWriter(Pager& pager, PageAllocator& allocator, std::uint32_t map_pointer)
        : pager_(pager),
          allocator_(allocator),
          pointer_(map_pointer),
          global_(map_pointer == kGlobalUsageMap) {}

    // Stores `bit` for `page`: for the global map true = free, else true = held.
    void set(PageNumber page, bool bit) {
        const MapRow row = read_map_row(pager_, pointer_);
        check_row_area(*pager_.read(row.at.page), row.at.page, "a usage map");
        if (row.bytes[format::kTypeOffset] == format::kInlineMap) {
            set_inline(row, page, bit);
        } else {
            set_reference(row, page, bit);
        }
    }

  private:
    // What a page the map does not cover reads as.
    bool outside_value() const { return false; }

    // The bit a page gets when a map's range first reaches it.
    bool fresh_value(PageNumber page) const { return global_ && page >= pager_.page_count(); }

    void set_inline(const MapRow& row, PageNumber page, bool bit) {
        const PageNumber start = get_u32le(row.bytes.data() + format::kStartPageOffset);
        const std::size_t bits = format::inline_bit_count(row.bytes.size());
        if (page >= start && page - start < bits) {
            Page& holder = pager_.modify(row.at.page);
            format::put_bit(holder.data() + row.start + format::kInlineHeaderSize, page - start,
                            bit);
            return;
        }
        // The global map follows the file's end even for pages in use.
        if (bit == outside_value() && !global_) {
            return;
        }
        lengthen_inline(row, start, bits, page, bit);
    }

    void lengthen_inline(const MapRow& row, PageNumber start, std::size_t bits, PageNumber page,
                         bool bit) {
        // A start past the file's end is damage; taken as it is, the new
        // bitmap would reach from `page` to it, up to half a gigabyte.
        if (start >= pager_.page_count()) {
            throw FormatError("page " + std::to_string(row.at.page) + ": usage map row " +
                              std::to_string(row.at.row) + " starts at page " +
                              std::to_string(start) + ", past the end of the file (" +
                              std::to_string(pager_.page_count()) + " pages)");
        }
        const PageNumber new_start = std::min<PageNumber>(start, page / 8 * 8);
        const std::uint64_t old_end = static_cast<std::uint64_t>(start) + bits;
        const std::uint64_t new_end = std::max<std::uint64_t>(old_end, page + 1ull);
        const std::size_t new_bytes = static_cast<std::size_t>((new_end - new_start + 7) / 8);
        std::vector<std::uint8_t> bytes(format::kInlineHeaderSize + new_bytes, 0);
        bytes[format::kTypeOffset] = format::kInlineMap;
        put_u32le(bytes.data() + format::kStartPageOffset, new_start);
        std::uint8_t* bitmap = bytes.data() + format::kInlineHeaderSize;
        const std::uint8_t* old_bitmap = row.bytes.data() + format::kInlineHeaderSize;
        // The old bits keep their pages; they move by whole bytes unless the
        // old start was not a multiple of 8.
        const std::size_t shift = start - new_start;
        if (shift % 8 == 0) {
            std::memcpy(bitmap + shift / 8, old_bitmap, bits / 8);
        } else {
            for (std::size_t i = 0; i < bits; ++i) {
                format::put_bit(bitmap, shift + i, format::bit(old_bitmap, i));
            }
        }
        auto fresh = [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i) {
                format::put_bit(bitmap, i, fresh_value(static_cast<PageNumber>(new_start + i)));
            }
        };
        fresh(0, shift);
        fresh(shift + bits, new_bytes * 8);
        format::put_bit(bitmap, page - new_start, bit);
        Page& holder = pager_.modify(row.at.page);
        if (bytes.size() <= row.bytes.size() + data_page_free_space(holder)) {
            replace_row(holder, row.at.row, bytes);
            return;
        }
        convert_to_reference(row, new_start, bytes);
    }

    // Rewrites the row as a reference map with no bitmap pages, then adds
    // back every page the inline map `inline_row` holds.
    void convert_to_reference(const MapRow& row, PageNumber start,
                              const std::vector<std::uint8_t>& inline_row) {
        Page& holder = pager_.modify(row.at.page);
        const std::size_t room = row.bytes.size() + data_page_free_space(holder);
        const std::uint64_t highest = std::max<std::uint64_t>(
            start + format::inline_bit_count(inline_row.size()), pager_.page_count());
        const std::size_t needed = format::bitmap_page_pointer_offset(
            static_cast<std::size_t>(highest / format::kBitsPerBitmapPage + 1));
        const std::size_t length = std::max(needed, std::min(format::kNewMapRowLength, room));
        if (length > room) {
            throw Error("page " + std::to_string(row.at.page) + ": no room for usage map row " +
                        std::to_string(row.at.row) + " of " + std::to_string(length) + " bytes");
        }
        std::vector<std::uint8_t> reference(length, 0);
        reference[format::kTypeOffset] = format::kReferenceMap;
        replace_row(holder, row.at.row, reference);
        const std::uint8_t* bitmap = inline_row.data() + format::kInlineHeaderSize;
        const std::size_t bits = format::inline_bit_count(inline_row.size());
        for (std::size_t i = 0; i < bits; ++i) {
            const PageNumber p = static_cast<PageNumber>(start + i);
            // Past the file's end the global map's fresh bitmap pages are free already.
            if (format::bit(bitmap, i) && !(global_ && p >= pager_.page_count())) {
                set(p, true);
            }
        }
    }

    void set_reference(const MapRow& row, PageNumber page, bool bit) {
        const std::size_t k = page / format::kBitsPerBitmapPage;
        const std::size_t pointers = format::bitmap_page_pointer_count(row.bytes.size());
        if (k >= pointers) {
            if (bit == outside_value()) {
                return;
            }
            throw Error("page " + std::to_string(row.at.page) + ": usage map row " +
                        std::to_string(row.at.row) + " cannot reach page " + std::to_string(page) +
                        " (it has room for " + std::to_string(pointers) + " bitmap pages)");
        }
        PageNumber bitmap_page =
            get_u32le(row.bytes.data() + format::bitmap_page_pointer_offset(k));
        if (bitmap_page == 0) {
            if (bit == outside_value()) {
                return;
            }
            bitmap_page = new_bitmap_page(k);
            const MapRow now = read_map_row(pager_, pointer_);
            put_u32le(pager_.modify(now.at.page).data() + now.start +
                          format::bitmap_page_pointer_offset(k),
                      bitmap_page);
        }
        if (bitmap_page >= pager_.page_count()) {
            throw FormatError("page " + std::to_string(row.at.page) + ": usage map row " +
                              std::to_string(row.at.row) + " names bitmap page " +
                              std::to_string(bitmap_page) + ", past the end of the file");
        }
        Page& bitmap = pager_.modify(bitmap_page);
        if (bitmap[0] != static_cast<std::uint8_t>(PageType::UsageBitmap)) {
            throw FormatError("page " + std::to_string(bitmap_page) +
                              ": expected a usage-map bitmap page, found page type " +
                              std::to_string(bitmap[0]));
        }
        format::put_bit(bitmap.data() + format::kBitmapPageHeaderSize,
                        page % format::kBitsPerBitmapPage, bit);
    }

    PageNumber new_bitmap_page(std::size_t k) {
        const PageNumber number = allocator_.allocate(PageType::UsageBitmap, 0);
        Page& bitmap = pager_.modify(number);
        const PageNumber first = static_cast<PageNumber>(k * format::kBitsPerBitmapPage);
        for (PageNumber i = 0; i < format::kBitsPerBitmapPage; ++i) {
            format::put_bit(bitmap.data() + format::kBitmapPageHeaderSize, i,
                            fresh_value(first + i));
        }
        return number;
    }

    Pager& pager_;
    PageAllocator& allocator_;
    std::uint32_t pointer_;
    bool global_;
};

bool map_bit(Pager& pager, std::uint32_t map_pointer, PageNumber page) {
    const MapRow row = read_map_row(pager, map_pointer);
    if (row.bytes[format::kTypeOffset] == format::kInlineMap) {
        const PageNumber start = get_u32le(row.bytes.data() + format::kStartPageOffset);
        const std::size_t bits = format::inline_bit_count(row.bytes.size());
        return page >= start && page - start < bits &&
               format::bit(row.bytes.data() + format::kInlineHeaderSize, page - start);
    }
    const std::size_t k = page / format::kBitsPerBitmapPage;
    if (k >= format::bitmap_page_pointer_count(row.bytes.size())) {
        return false;
    }
    const PageNumber bitmap_page =
        get_u32le(row.bytes.data() + format::bitmap_page_pointer_offset(k));
    if (bitmap_page == 0) {
        return false;
    }
    const PageRef bitmap = pager.read(bitmap_page);
    return format::bit(bitmap->data() + format::kBitmapPageHeaderSize,
                       page % format::kBitsPerBitmapPage);
}

}  // namespace

void add_page_to_map(Pager& pager, PageAllocator& allocator, std::uint32_t map_pointer,
                     PageNumber page) {
    MapWriter(pager, allocator, map_pointer).set(page, true);
}

void remove_page_from_map(Pager& pager, PageAllocator& allocator, std::uint32_t map_pointer,
                          PageNumber page) {
    MapWriter(pager, allocator, map_pointer).set(page, false);
}

bool map_contains(Pager& pager, std::uint32_t map_pointer, PageNumber page) {
    return map_bit(pager, map_pointer, page);
}

void mark_page_free(Pager& pager, PageAllocator& allocator, PageNumber page) {
    MapWriter(pager, allocator, kGlobalUsageMap).set(page, true);
}

void mark_page_used(Pager& pager, PageAllocator& allocator, PageNumber page) {
    MapWriter(pager, allocator, kGlobalUsageMap).set(page, false);
}

}  // namespace jet
