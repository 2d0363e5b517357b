#include "jet/pager.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "jet/error.h"

namespace jet {
namespace {

std::function<void(std::size_t)>& commit_step_hook() {
    static std::function<void(std::size_t)> hook;
    return hook;
}

Error held_by_another_program(const std::filesystem::path& path) {
    return Error(path_text(path) +
                 ": another program has the database open; close the player (and any other "
                 "program using the database) first, then try again");
}

// The message for a database that cannot be opened for writing, saying what
// the person can do about it.
Error refusal_to_write(const std::filesystem::path& path, const FileError& e) {
    switch (e.problem()) {
        case FileProblem::InUse:
            return held_by_another_program(path);
        case FileProblem::ReadOnly:
            return Error(path_text(path) + ": the database cannot be written (" + e.reason() +
                         "); make the file writable (on Windows, clear the Read-only box in its "
                         "Properties), or copy it to a drive that can be written, and try again");
        case FileProblem::NotReady:
            return Error(path_text(path) + ": the drive is not ready (" + e.reason() +
                         "); insert its disc or card, or choose another drive");
        default:
            return Error(e.what());
    }
}

}  // namespace

Pager::Pager(const std::filesystem::path& path, Mode mode, std::size_t cache_pages,
             JournalMode journal, FileSystem& file_system)
    : path_(path),
      mode_(mode),
      file_system_(file_system),
      capacity_(cache_pages == 0 ? 1 : cache_pages),
      journal_mode_(journal) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw Error(path_text(path) + ": is a folder, not a database file");
    }
    try {
        file_ =
            file_system.open(path, mode == Mode::ReadWrite ? OpenMode::ReadWrite : OpenMode::Read);
    } catch (const FileError& e) {
        if (mode == Mode::ReadWrite && e.problem() != FileProblem::NotFound) {
            throw refusal_to_write(path, e);
        }
        throw;
    }
    if (mode == Mode::ReadWrite && !file_->try_lock()) {
        throw held_by_another_program(path);
    }
    recover_on_open(mode == Mode::ReadWrite);
    if (mode == Mode::ReadWrite && journal != JournalMode::Off) {
        journal_ =
            std::make_unique<Journal>(path, journal == JournalMode::Synchronous, file_system);
    }
    file_size_ = file_->size();
    std::uint64_t pages = file_size_ / kPageSize;
    page_count_ = pages > 0xFFFFFFu ? 0xFFFFFFu : static_cast<PageNumber>(pages);
    if (mode == Mode::ReadWrite) {
        page_file_ = std::make_unique<PageFile>(*file_);
    }
}

Pager::~Pager() = default;

// A read-only pager rolls back through a second, writable open under the
// exclusive lock; when another program has the file open for writing or
// holds that lock, the journal is its change in progress and is left alone.
void Pager::recover_on_open(bool writable) {
    if (writable) {
        recovery_ = recover(path_, *file_, true, file_system_);
        return;
    }
    if (!file_system_.exists(journal_path(path_))) {
        return;
    }
    std::unique_ptr<File> writer;
    try {
        writer = file_system_.open(path_, OpenMode::ReadWrite);
    } catch (const FileError& e) {
        if (e.problem() == FileProblem::InUse) {
            return;
        }
        recovery_ = recover(path_, *file_, false, file_system_);
        if (recovery_ == Recovery::NeedsWriting) {
            throw Error(path_text(path_) + ": " + path_text(journal_path(path_)) +
                        " holds an unfinished insert that must be rolled back before the "
                        "database is read, and the database cannot be opened for writing (" +
                        e.reason() + "); open it once with write access");
        }
        return;
    }
    if (!writer->try_lock()) {
        return;
    }
    recovery_ = recover(path_, *writer, true, file_system_);
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
    std::size_t read = 0;
    try {
        read =
            file_->read_at(static_cast<std::uint64_t>(number) * kPageSize, page->data(), kPageSize);
    } catch (const FileError& e) {
        throw Error(path_text(path_) + ": cannot read page " + std::to_string(number) + " (" +
                    e.reason() + ")");
    }
    if (read != kPageSize) {
        throw Error(path_text(path_) + ": cannot read page " + std::to_string(number) +
                    " (the file ended)");
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
        throw Error(path_text(path_) + ": the file has reached the largest number of pages");
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
    try {
        file_->truncate(length_before);
    } catch (const FileError& e) {
        throw Error(path_text(path_) + ": cannot restore the file's length (" + e.reason() + ")");
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
                        path_text(journal_path(path_)));
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
