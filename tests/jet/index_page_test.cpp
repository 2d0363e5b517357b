// Decoding index pages built byte by byte, including prefix compression and
// damaged pages, and a view kept in line with a leaf through in-place inserts.
#include "jet/index_page.h"

#include "jet/index_page_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/coding.h"

namespace jet {
namespace {

using PageBytes = std::vector<std::uint8_t>;

// An index page holding `stored` entries (already prefix-compressed).
PageBytes make_page(std::uint8_t type, const std::vector<PageBytes>& stored,
                    std::uint8_t prefix = 0) {
    PageBytes page(kPageSize, 0);
    page[0] = type;
    page[1] = 0x01;
    put_u32le(page.data() + 4, 77);
    put_u32le(page.data() + 8, 5);
    put_u32le(page.data() + 12, 6);
    page[20] = prefix;
    std::size_t end = 0;
    for (const PageBytes& entry : stored) {
        std::copy(entry.begin(), entry.end(), page.begin() + 248 + end);
        end += entry.size();
        page[22 + end / 8] |= static_cast<std::uint8_t>(1 << (end % 8));
    }
    std::uint16_t free = static_cast<std::uint16_t>(1800 - end);
    page[2] = static_cast<std::uint8_t>(free);
    page[3] = static_cast<std::uint8_t>(free >> 8);
    return page;
}

std::string error_of(const PageBytes& page) {
    try {
        parse_index_page(42, page);
    } catch (const IndexPageError& e) {
        return e.what();
    }
    return "no error";
}

TEST(IndexPageTest, DecodesLeafHeaderAndEntries) {
    PageBytes page = make_page(0x04, {{0x7F, 0x80, 0, 0, 1, 0x00, 0x01, 0x05, 0x03},
                                      {0x7F, 0x80, 0, 0, 2, 0x00, 0x01, 0x05, 0x04}});
    IndexPage parsed = parse_index_page(9, page);
    EXPECT_EQ(parsed.number, 9u);
    EXPECT_EQ(parsed.kind, IndexPageKind::Leaf);
    EXPECT_EQ(parsed.table_page, 77u);
    EXPECT_EQ(parsed.previous_page, 5u);
    EXPECT_EQ(parsed.next_page, 6u);
    EXPECT_EQ(parsed.free_space, 1800 - 18);
    EXPECT_EQ(parsed.entry_bytes, 18);
    ASSERT_EQ(parsed.entries.size(), 2u);
    EXPECT_EQ(parsed.entries[0].key, (std::vector<std::uint8_t>{0x7F, 0x80, 0, 0, 1}));
    EXPECT_EQ(parsed.entries[0].row, (RowPointer{261, 3}));
    EXPECT_EQ(parsed.entries[1].row, (RowPointer{261, 4}));
}

TEST(IndexPageTest, DecodesIntermediateChildPointers) {
    PageBytes page = make_page(0x03, {{0x7F, 0x60, 0x00, 0x00, 0x00, 0x10, 0x02, 0, 0, 0, 0x21}});
    put_u32le(page.data() + 16, 0x22);
    IndexPage parsed = parse_index_page(3, page);
    EXPECT_EQ(parsed.kind, IndexPageKind::Intermediate);
    EXPECT_EQ(parsed.tail_page, 0x22u);
    ASSERT_EQ(parsed.entries.size(), 1u);
    EXPECT_EQ(parsed.entries[0].key, (std::vector<std::uint8_t>{0x7F, 0x60, 0x00}));
    EXPECT_EQ(parsed.entries[0].row, (RowPointer{0x10, 0x02}));
    EXPECT_EQ(parsed.entries[0].child, 0x21u);
}

TEST(IndexPageTest, RestoresAPrefixThatRunsIntoTheRowPointer) {
    // Keys 7F 80 00 00 0x; both rows on page 0x000105: the shared prefix of 6
    // bytes covers the key and the first byte of the row pointer.
    PageBytes page =
        make_page(0x04, {{0x7F, 0x80, 0, 0, 1, 0x00, 0x01, 0x05, 0x03}, {0x01, 0x05, 0x07}}, 6);
    IndexPage parsed = parse_index_page(1, page);
    ASSERT_EQ(parsed.entries.size(), 2u);
    EXPECT_EQ(parsed.entries[1].key, (std::vector<std::uint8_t>{0x7F, 0x80, 0, 0, 1}));
    EXPECT_EQ(parsed.entries[1].row, (RowPointer{261, 7}));

    PageBytes longer =
        make_page(0x04, {{0x7F, 0x80, 0, 0, 1, 0x00, 0x01, 0x05, 0x03}, {0x05, 0x08}}, 7);
    IndexPage p7 = parse_index_page(1, longer);
    EXPECT_EQ(p7.entries[1].row, (RowPointer{261, 8}));
    EXPECT_EQ(p7.entries[1].key, p7.entries[0].key);
}

TEST(IndexPageTest, EmptyRootLeafHasNoEntries) {
    IndexPage parsed = parse_index_page(33, make_page(0x04, {}));
    EXPECT_TRUE(parsed.entries.empty());
    EXPECT_EQ(parsed.free_space, 1800);
}

// A view kept in line with a leaf after each in-place insert says what a
// fresh decode of the page says, wherever the entry goes.
TEST(IndexPageTest, AViewKeptThroughInPlaceInsertsMatchesADecodeOfThePage) {
    PageBytes stored = make_page(0x04, {{0x7F, 0x20, 0, 0, 1, 0x01},
                                        {0x7F, 0x40, 0x41, 0, 0, 1, 0x02},
                                        {0x7F, 0x60, 0, 0, 1, 0x03}});
    Page page{};
    std::copy(stored.begin(), stored.end(), page.begin());
    IndexPageView kept;
    decode_index_page(9, page, kept);
    const std::vector<std::pair<std::size_t, PageBytes>> inserts = {
        {0, {0x7F, 0x10}}, {4, {0x7F, 0x70, 0x71, 0x72}}, {2, {0x7F, 0x30}}, {3, {}}};
    for (const auto& [at, key] : inserts) {
        insert_leaf_entry(page, kept, at, key, RowPointer{2, static_cast<std::uint8_t>(at)});
        view_after_leaf_insert(kept, page, at, key.size() + 4);

        IndexPageView fresh;
        decode_index_page(9, page, fresh);
        ASSERT_EQ(kept.ends, fresh.ends);
        EXPECT_EQ(kept.entry_bytes, fresh.entry_bytes);
        EXPECT_EQ(kept.free_space, fresh.free_space);
        EXPECT_EQ(kept.tail_page, fresh.tail_page);
        EXPECT_EQ(kept.data, fresh.data);
        for (std::size_t i = 0; i < fresh.size(); ++i) {
            const IndexEntry a = to_index_entry(kept.entry(i));
            const IndexEntry b = to_index_entry(fresh.entry(i));
            EXPECT_EQ(a.key, b.key);
            EXPECT_EQ(a.row.page, b.row.page);
            EXPECT_EQ(a.row.row, b.row.row);
        }
    }
    EXPECT_EQ(kept.size(), 7u);
}

TEST(IndexPageTest, DamagedPagesGiveErrorsNamingThePage) {
    PageBytes good = make_page(0x04, {{0x7F, 0x10, 0, 0, 1, 0x03}});

    EXPECT_NE(error_of(PageBytes(100, 0x04)).find("index page 42"), std::string::npos);

    PageBytes data_page = good;
    data_page[0] = 0x01;
    EXPECT_NE(error_of(data_page).find("not an index page"), std::string::npos);

    PageBytes past_end = good;
    past_end[22 + 225] = 0x80;  // an entry ending at bit 1807, past the 1800 data bytes
    EXPECT_NE(error_of(past_end).find("past the end"), std::string::npos);

    PageBytes empty_entry = good;
    empty_entry[22] |= 0x01;
    EXPECT_NE(error_of(empty_entry).find("empty first entry"), std::string::npos);

    PageBytes short_entry = make_page(0x04, {{0x7F, 0x00, 0x01}});
    EXPECT_NE(error_of(short_entry).find("too short"), std::string::npos);

    PageBytes short_intermediate = make_page(0x03, {{0x7F, 0x10, 0, 0, 1, 0x03}});
    EXPECT_NE(error_of(short_intermediate).find("too short"), std::string::npos);

    PageBytes big_prefix = good;
    big_prefix[20] = 200;
    EXPECT_NE(error_of(big_prefix).find("shared prefix"), std::string::npos);
}

TEST(IndexPageTest, ArbitraryBytesNeverReadOutsideThePage) {
    PageBytes page(kPageSize);
    std::uint32_t state = 12345;
    for (int round = 0; round < 200; ++round) {
        for (auto& b : page) {
            state = state * 1103515245 + 12345;
            b = static_cast<std::uint8_t>(state >> 16);
        }
        page[0] = round % 2 ? 0x03 : 0x04;
        page[1] = 0x01;
        page[20] = static_cast<std::uint8_t>(round);
        try {
            IndexPage parsed = parse_index_page(1, page);
            EXPECT_LE(parsed.entries.size(), 1800u);
        } catch (const IndexPageError&) {
        }
    }
}

}  // namespace
}  // namespace jet
