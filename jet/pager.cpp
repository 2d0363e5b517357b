#include "jet/pager.h"

#include <string>

#include "jet/error.h"

namespace jet {

Pager::Pager(const std::filesystem::path& path, Mode mode, std::size_t cache_pages)
    : path_(path), mode_(mode), capacity_(cache_pages == 0 ? 1 : cache_pages) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw Error(path.string() + ": is a folder, not a database file");
    }
    file_.open(path, std::ios::binary);
    if (!file_) {
        throw Error(path.string() + ": cannot open the file");
    }
    file_.seekg(0, std::ios::end);
    std::streamoff size = file_.tellg();
    if (size < 0) {
        throw Error(path.string() + ": cannot read the file's length");
    }
    file_size_ = static_cast<std::uint64_t>(size);
    std::uint64_t pages = file_size_ / kPageSize;
    page_count_ = pages > 0xFFFFFFu ? 0xFFFFFFu : static_cast<PageNumber>(pages);
}

PageRef Pager::read(PageNumber number) {
    auto found = cache_.find(number);
    if (found != cache_.end()) {
        recent_.splice(recent_.begin(), recent_, found->second.position);
        return found->second.page;
    }
    PageRef page = load(number);
    if (cache_.size() >= capacity_) {
        cache_.erase(recent_.back());
        recent_.pop_back();
    }
    recent_.push_front(number);
    cache_.emplace(number, CacheEntry{page, recent_.begin()});
    return page;
}

PageRef Pager::load(PageNumber number) {
    if (number >= page_count_) {
        throw FormatError("page " + std::to_string(number) + " is past the end of the file (" +
                          std::to_string(page_count_) + " pages)");
    }
    auto page = std::make_shared<Page>();
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(number) * static_cast<std::streamoff>(kPageSize));
    file_.read(reinterpret_cast<char*>(page->data()), kPageSize);
    if (!file_) {
        throw Error(path_.string() + ": cannot read page " + std::to_string(number));
    }
    return page;
}

}  // namespace jet
