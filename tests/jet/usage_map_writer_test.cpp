// Page allocation and usage maps on copies of real files: pages reused before
// the file grows, inline maps lengthened past the pages they covered, maps
// turned into reference maps when their holder page is full, and the whole
// file still consistent afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "jet/check.h"
#include "jet/data_page.h"
#include "jet/database.h"
#include "jet/database_pager.h"
#include "jet/page_allocator.h"
#include "jet/usage_map.h"
#include "jet/usage_map_writer.h"
#include "tests/support/fixtures.h"

namespace {

class UsageMapsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_FIXTURES();
        copy_ = std::make_unique<jet_test::ScratchFile>(
            jet_test::read_bytes(jet_test::fixture("delTestV1997.mdb")));
        jet::OpenOptions options;
        options.writable = true;
        db_ = jet::Database::open(copy_->path(), options);
    }

    std::vector<std::string> errors() {
        db_.reset();
        auto db = jet::Database::open(copy_->path());
        std::vector<std::string> found;
        for (const jet::Finding& f : jet::check_database(*db).findings) {
            if (f.severity == jet::Severity::Error) {
                found.push_back(jet::format_finding(f));
            }
        }
        return found;
    }

    std::unique_ptr<jet_test::ScratchFile> copy_;
    std::unique_ptr<jet::Database> db_;
};

TEST_F(UsageMapsTest, FreePagesAreReusedBeforeTheFileGrows) {
    jet::Pager& pager = jet::pager_of(*db_);
    const jet::PageNumber pages = pager.page_count();
    pager.begin_change();
    jet::PageAllocator allocator(pager);
    const jet::PageNumber first = allocator.allocate(jet::PageType::Data, 0);
    const jet::PageNumber second = allocator.allocate(jet::PageType::Data, 0);
    EXPECT_NE(first, second);
    EXPECT_FALSE(jet::map_contains(pager, jet::kGlobalUsageMap, first));
    allocator.release(second);
    EXPECT_TRUE(jet::map_contains(pager, jet::kGlobalUsageMap, second));
    EXPECT_EQ(allocator.allocate(jet::PageType::Data, 0), second);
    pager.discard();
    EXPECT_EQ(pager.page_count(), pages);
}

TEST_F(UsageMapsTest, MapsGrowPastTheirRangeAndBecomeReferenceMaps) {
    jet::Pager& pager = jet::pager_of(*db_);
    const jet::TableDefinition table = db_->table("Table");
    pager.begin_change();
    jet::PageAllocator allocator(pager);
    // Past page 1024 the inline maps lengthen; past what their holder page
    // can hold in one row they become reference maps.
    std::vector<jet::PageNumber> added;
    for (int i = 0; i < 16000; ++i) {
        const jet::PageNumber page = allocator.allocate(jet::PageType::Data, table.page);
        if (i % 3 == 0) {
            jet::add_page_to_map(pager, allocator, table.free_pages_map, page);
            added.push_back(page);
        }
    }
    pager.commit();
    const auto free_pages = jet::read_usage_map(pager, table.free_pages_map, "free pages");
    EXPECT_TRUE(std::includes(free_pages.begin(), free_pages.end(), added.begin(), added.end()));
    EXPECT_GT(pager.page_count(), 16000u);
    // The pages belong to no table's owned map: the check sees leaked pages
    // (a warning) and no damage.
    EXPECT_EQ(errors(), std::vector<std::string>{});
}

// An inline map of a table moved to start at `start`, its bits cleared.
void restart_inline_map(jet::Pager& pager, std::uint32_t map_row, jet::PageNumber start) {
    const jet::PageNumber holder = map_row >> 8;
    const jet::DataPage page(pager.read(holder), holder, "the map");
    const jet::RowSlot slot = page.slot(map_row & 0xFF);
    jet::Page& bytes = pager.modify(holder);
    ASSERT_EQ(bytes[slot.start], 0) << "an inline map";
    for (int i = 0; i < 4; ++i) {
        bytes[slot.start + 1 + i] = static_cast<std::uint8_t>(start >> (8 * i));
    }
    std::fill(bytes.begin() + slot.start + 5, bytes.begin() + slot.end, 0);
}

TEST_F(UsageMapsTest, AnInlineMapLengthensBeforeItsStartAndFromAStartOffByBits) {
    jet::Pager& pager = jet::pager_of(*db_);
    const jet::TableDefinition table = db_->table("Table");
    for (const jet::PageNumber start : {jet::PageNumber{803}, jet::PageNumber{800}}) {
        pager.begin_change();
        while (pager.page_count() < 3000) {
            pager.grow();
        }
        jet::PageAllocator allocator(pager);
        restart_inline_map(pager, table.free_pages_map, start);
        // Inside the range, just past its end, far past it and before its start.
        const std::vector<jet::PageNumber> pages = {start + 5, start + 100, start + 2150, 5, 797};
        for (const jet::PageNumber page : pages) {
            jet::add_page_to_map(pager, allocator, table.free_pages_map, page);
        }
        const auto held = jet::read_usage_map(pager, table.free_pages_map, "free pages");
        EXPECT_EQ(held,
                  (std::vector<jet::PageNumber>{5, 797, start + 5, start + 100, start + 2150}))
            << "start " << start;
        pager.discard();
    }
}

}  // namespace
