#include "jet/pager.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "jet/error.h"

namespace jet {
namespace {

std::function<void(std::size_t)>& commit_step_hook() {
    static std::function<void(std::size_t)> hook;
    return hook;
}

}  // namespace

Pager::Pager(const std::filesystem::path& path, Mode mode, std::size_t cache_pages,
             JournalMode journal)
    : path_(path),
      mode_(mode),
      capacity_(cache_pages == 0 ? 1 : cache_pages),
      journal_mode_(journal) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw Error(path.string() + ": is a folder, not a database file");
    }
    const int flags = (mode == Mode::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    fd_ = ::open(path.c_str(), flags);
    if (fd_ < 0) {
        throw Error(path.string() + ": cannot open the file (" + system_reason() + ")");
    }
    if (mode == Mode::ReadWrite && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const std::string reason = errno == EWOULDBLOCK
                                       ? "another program has it open"
                                       : "cannot lock it (" + system_reason() + ")";
        ::close(fd_);
        throw Error(path.string() + ": " + reason);
    }
    try {
        recover_on_open(mode == Mode::ReadWrite);
    } catch (...) {
        ::close(fd_);
        throw;
    }
    if (mode == Mode::ReadWrite && journal != JournalMode::Off) {
        journal_ = std::make_unique<Journal>(path, journal == JournalMode::Synchronous);
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        const std::string reason = system_reason();
        ::close(fd_);
        throw Error(path.string() + ": cannot read the file's length (" + reason + ")");
    }
    file_size_ = static_cast<std::uint64_t>(info.st_size);
    std::uint64_t pages = file_size_ / kPageSize;
    page_count_ = pages > 0xFFFFFFu ? 0xFFFFFFu : static_cast<PageNumber>(pages);
    if (mode == Mode::ReadWrite) {
        page_file_ = std::make_unique<PageFile>(fd_, path_, file_size_);
    }
}

// A read-only pager rolls back through a second, writable descriptor under
// the exclusive lock; when another program holds that lock, the journal is
// its change in progress and is left alone.
void Pager::recover_on_open(bool writable) {
    if (writable) {
        recovery_ = recover(path_, fd_, true);
        return;
    }
    std::error_code ec;
    if (!std::filesystem::exists(journal_path(path_), ec)) {
        return;
    }
    const int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        recovery_ = recover(path_, fd_, false);
        if (recovery_ == Recovery::NeedsWriting) {
            throw Error(path_.string() + ": " + journal_path(path_).string() +
                        " holds an unfinished insert that must be rolled back before the "
                        "database is read, and the database cannot be opened for writing (" +
                        system_reason() + "); open it once with write access");
        }
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    try {
        recovery_ = recover(path_, fd, true);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

Pager::~Pager() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

PageRef Pager::read(PageNumber number) {
    if (in_change_) {
        if (const std::shared_ptr<Page>* changed = dirty_.find(number)) {
            return *changed;
        }
    }
    auto found = cache_.find(number);
    if (found != cache_.end()) {
        recent_.splice(recent_.begin(), recent_, found->second.position);
        return found->second.page;
    }
    PageRef page = load(number);
    remember(number, page);
    return page;
}

void Pager::remember(PageNumber number, PageRef page) {
    auto found = cache_.find(number);
    if (found != cache_.end()) {
        found->second.page = std::move(page);
        recent_.splice(recent_.begin(), recent_, found->second.position);
        return;
    }
    if (cache_.size() >= capacity_) {
        cache_.erase(recent_.back());
        recent_.pop_back();
    }
    recent_.push_front(number);
    cache_.emplace(number, CacheEntry{std::move(page), recent_.begin()});
}

PageRef Pager::load(PageNumber number) {
    if (number >= page_count_) {
        throw FormatError("page " + std::to_string(number) + " is past the end of the file (" +
                          std::to_string(page_count_) + " pages)");
    }
    auto page = std::make_shared<Page>();
    const off_t offset = static_cast<off_t>(number) * static_cast<off_t>(kPageSize);
    std::size_t done = 0;
    while (done < kPageSize) {
        const ssize_t n =
            ::pread(fd_, page->data() + done, kPageSize - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw Error(path_.string() + ": cannot read page " + std::to_string(number) +
                        (n < 0 ? " (" + system_reason() + ")" : " (the file ended)"));
        }
        done += static_cast<std::size_t>(n);
    }
    return page;
}

void Pager::begin_change() {
    if (mode_ != Mode::ReadWrite) {
        throw std::logic_error("the database is open for reading only");
    }
    if (in_change_) {
        throw std::logic_error("a change of pages is already in progress");
    }
    in_change_ = true;
    pages_before_change_ = page_count_;
}

Page& Pager::modify(PageNumber number) {
    if (!in_change_) {
        throw std::logic_error("page " + std::to_string(number) +
                               " modified outside a change of pages");
    }
    if (const std::shared_ptr<Page>* changed = dirty_.find(number)) {
        return **changed;
    }
    PageRef original = read(number);
    auto copy = std::make_shared<Page>(*original);
    originals_.assign(number, std::move(original));
    Page& page = *copy;
    dirty_.assign(number, std::move(copy));
    return page;
}

PageNumber Pager::grow() {
    if (!in_change_) {
        throw std::logic_error("the file grown outside a change of pages");
    }
    if (page_count_ >= 0xFFFFFFu) {
        throw Error(path_.string() + ": the file has reached the largest number of pages");
    }
    const PageNumber number = page_count_++;
    dirty_.assign(number, std::make_shared<Page>());
    return number;
}

std::uint64_t Pager::length_after_change() const {
    return std::max<std::uint64_t>(file_size_, static_cast<std::uint64_t>(page_count_) * kPageSize);
}

JournalInsert Pager::journal_insert() {
    JournalInsert insert;
    insert.length_before = file_size_;
    insert.length_after = length_after_change();
    if (!header_page_hash_) {
        const PageRef* page0 = originals_.find(0);
        header_page_hash_ =
            pages_before_change_ == 0
                ? 0
                : hash_bytes((page0 != nullptr ? *page0 : read(0))->data(), kPageSize, 0);
    }
    insert.header_page_hash = *header_page_hash_;
    for (const auto& [number, original] : originals_) {
        insert.pages.push_back({number, original.get(), dirty_.find(number)->get()});
    }
    return insert;
}

void Pager::undo_writes(std::uint64_t length_before) {
    for (const auto& [number, original] : originals_) {
        page_file_->write(number, *original, file_size_);
    }
    if (::ftruncate(fd_, static_cast<off_t>(length_before)) != 0) {
        throw Error(path_.string() + ": cannot restore the file's length (" + system_reason() +
                    ")");
    }
    if (journal_) {
        journal_->retire();
    }
}

void Pager::commit() {
    if (!in_change_) {
        throw std::logic_error("commit without a change of pages");
    }
    const bool journaled = journal_ && !dirty_.empty();
    const std::uint64_t length_before = file_size_;
    if (journaled) {
        journal_->record(journal_insert());
    }
    const auto& hook = commit_step_hook();
    try {
        std::size_t step = 0;
        if (hook) {
            hook(step);
        }
        for (const auto& [number, page] : dirty_) {
            page_file_->write(number, *page, file_size_);
            if (hook) {
                hook(++step);
            }
        }
        if (journaled && journal_mode_ == JournalMode::Synchronous) {
            page_file_->sync(length_after_change(), false);
        }
        if (journaled) {
            journal_->retire();
        }
    } catch (const std::exception& e) {
        try {
            undo_writes(length_before);
        } catch (const std::exception& undo) {
            throw Error(std::string(e.what()) + "; putting the pages back failed too (" +
                        undo.what() + "); the next open rolls the change back from " +
                        journal_path(path_).string());
        }
        throw;
    }
    if (dirty_.contains(0)) {
        header_page_hash_.reset();
    }
    for (auto& [number, page] : dirty_) {
        remember(number, std::move(page));
    }
    dirty_.clear();
    originals_.clear();
    in_change_ = false;
    file_size_ = length_after_change();
}

void Pager::discard() {
    dirty_.clear();
    originals_.clear();
    page_count_ = pages_before_change_;
    in_change_ = false;
}

void Pager::flush() {
    if (page_file_) {
        page_file_->sync(file_size_, true);
    }
    if (journal_) {
        journal_->remove();
    }
}

namespace testing {

void set_commit_step_hook(std::function<void(std::size_t)> hook) {
    commit_step_hook() = std::move(hook);
}

}  // namespace testing
}  // namespace jet
