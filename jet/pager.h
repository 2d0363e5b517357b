// The pager: the only code that touches a database file. It reads whole
// 2048-byte pages, checks every page number against the file's length and
// keeps recently used pages in a bounded cache.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>
#include <unordered_map>

#include "jet/page.h"

namespace jet {

class Pager {
  public:
    enum class Mode { ReadOnly };

    // Opens the file; throws jet::Error when it cannot be opened.
    Pager(const std::filesystem::path& path, Mode mode, std::size_t cache_pages);

    Pager(const Pager&) = delete;
    Pager& operator=(const Pager&) = delete;

    // Whole pages in the file; a partial page at the end is not counted.
    PageNumber page_count() const { return page_count_; }
    std::uint64_t file_size() const { return file_size_; }
    Mode mode() const { return mode_; }

    // The page's bytes; throws FormatError naming the page when it lies past
    // the end of the file, Error when the read fails.
    PageRef read(PageNumber number);

  private:
    using LruList = std::list<PageNumber>;
    struct CacheEntry {
        PageRef page;
        LruList::iterator position;
    };

    PageRef load(PageNumber number);

    std::filesystem::path path_;
    Mode mode_;
    std::ifstream file_;
    std::uint64_t file_size_ = 0;
    PageNumber page_count_ = 0;
    std::size_t capacity_;
    LruList recent_;  // most recently used first
    std::unordered_map<PageNumber, CacheEntry> cache_;
};

}  // namespace jet
