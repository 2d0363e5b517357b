#include "jet/pager.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "jet/error.h"

namespace jet {
namespace {

// When commit() saves by itself.
constexpr std::size_t kSaveAfterChanges = 5000;
constexpr std::size_t kSaveAfterPages = 2048;
constexpr std::chrono::milliseconds kSaveAfterTime{500};
// Unsaved pages past which commit() waits for readers instead of going on
// without saving.
constexpr std::size_t kMostUnsavedPages = 4096;

// An Access 97 file ends at 1 GB, the format's limit: the file never grows
// past that many pages.
constexpr std::uint64_t kLargestFile = std::uint64_t{1} << 30;
constexpr PageNumber kLargestPageCount = static_cast<PageNumber>(kLargestFile / kPageSize);

Error held_by_another_program(const std::filesystem::path& path) {
    return Error(path_text(path) +
                 ": another program has the database open; close the player (and any other "
                 "program using the database) first, then try again");
}

Error busy_saving(const std::filesystem::path& path) {
    return Error(path_text(path) + ": another program has been saving changes to the database " +
                 "for " + std::to_string(kReaderPatience.count()) +
                 " seconds; try again when it has finished");
}

Error busy_reading(const std::filesystem::path& path) {
    return Error(path_text(path) + ": another program has been reading the database for " +
                 std::to_string(kWriterPatience.count()) +
                 " seconds, so changes cannot be saved; close the program that reads it (a " +
                 "listing or check of the database) and try again");
}

Error unfinished_save_of_another_program(const std::filesystem::path& path) {
    return Error(path_text(path) + ": the program writing the database stopped a save half-way (" +
                 path_text(journal_path(path)) +
                 " holds it); close that program, then open the database again to roll the "
                 "save back");
}

// The locks a reader holds while it reads: the commit lock shared, taken
// through the pending lock, which a writer waiting to save holds.
HeldLockByte lock_for_reading(File& file, const std::filesystem::path& path) {
    if (!take_lock_byte(file, LockByte::Pending, LockKind::Shared, kReaderPatience)) {
        throw busy_saving(path);
    }
    const HeldLockByte passing(file, LockByte::Pending);
    if (!take_lock_byte(file, LockByte::Commit, LockKind::Shared, kReaderPatience)) {
        throw busy_saving(path);
    }
    return HeldLockByte(file, LockByte::Commit);
}

// The lock a writer holds while it writes pages: the commit lock
// exclusively, waited for while holding the pending lock, so that readers
// that come later wait instead of keeping it from the writer for good.
HeldLockByte lock_for_writing(File& file, const std::filesystem::path& path) {
    if (!take_lock_byte(file, LockByte::Pending, LockKind::Exclusive, kWriterPatience)) {
        throw busy_reading(path);
    }
    const HeldLockByte waiting(file, LockByte::Pending);
    if (!take_lock_byte(file, LockByte::Commit, LockKind::Exclusive, kWriterPatience)) {
        throw busy_reading(path);
    }
    return HeldLockByte(file, LockByte::Commit);
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
    if (mode == Mode::ReadWrite) {
        if (!file_->try_lock()) {
            throw held_by_another_program(path);
        }
        recover_for_writer();
        if (journal != JournalMode::Off) {
            journal_ =
                std::make_unique<Journal>(path, journal == JournalMode::Synchronous, file_system);
        }
    } else {
        recover_for_reader();
    }
    file_size_ = file_->size();
    std::uint64_t pages = file_size_ / kPageSize;
    page_count_ = pages > 0xFFFFFFu ? 0xFFFFFFu : static_cast<PageNumber>(pages);
    pages_at_save_ = page_count_;
    if (mode == Mode::ReadWrite) {
        page_file_ = std::make_unique<PageFile>(*file_);
    }
}

Pager::~Pager() = default;

void Pager::recover_for_writer() {
    if (!file_system_.exists(journal_path(path_))) {
        return;
    }
    const HeldLockByte held = lock_for_writing(*file_, path_);
    recovery_ = recover(path_, *file_, true, file_system_);
}

// A reader first waits for a save in progress to end. A journal that still
// holds a save after that belongs to a writer that stopped part-way: the
// reader rolls it back through a second, writable open under the write lock
// and the exclusive commit lock. When another program holds the write lock,
// the save is its own that failed half-way and could not be undone; the
// reader cannot read until that program ends. A journal that holds no save
// is deleted when no writer holds the write lock (no page is written, so the
// reader's shared commit lock may stay), and left to its writer otherwise.
void Pager::recover_for_reader() {
    reading_ = lock_for_reading(*file_, path_);
    if (!file_system_.exists(journal_path(path_))) {
        return;
    }
    recovery_ = recover(path_, *file_, false, file_system_);
    const bool must_roll_back = recovery_ == Recovery::NeedsWriting;
    std::unique_ptr<File> writer;
    try {
        writer = file_system_.open(path_, OpenMode::ReadWrite);
    } catch (const FileError& e) {
        if (!must_roll_back) {
            return;
        }
        if (e.problem() == FileProblem::InUse) {
            throw unfinished_save_of_another_program(path_);
        }
        throw Error(path_text(path_) + ": " + path_text(journal_path(path_)) +
                    " holds an unfinished insert that must be rolled back before the "
                    "database is read, and the database cannot be opened for writing (" +
                    e.reason() + "); open it once with write access");
    }
    if (!writer->try_lock()) {
        if (must_roll_back) {
            throw unfinished_save_of_another_program(path_);
        }
        return;
    }
    if (!must_roll_back) {
        recover(path_, *writer, true, file_system_);
        return;
    }
    reading_.release();
    {
        const HeldLockByte rolling_back = lock_for_writing(*writer, path_);
        recovery_ = recover(path_, *writer, true, file_system_);
    }
    writer.reset();
    reading_ = lock_for_reading(*file_, path_);
}

PageRef Pager::read(PageNumber number) {
    if (const std::shared_ptr<Page>* changed = dirty_.find(number)) {
        return *changed;
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

Error Pager::unusable() const {
    if (state_ == State::Broken) {
        return Error(path_text(path_) + ": no more changes are made, because an earlier save " +
                     "failed half-way and could not be undone (" + failure_ +
                     "); the database is put back as it was before that save when it is next "
                     "opened, from " +
                     path_text(journal_path(path_)));
    }
    return Error(path_text(path_) + ": no more changes are made, because an earlier save failed (" +
                 failure_ + "); open the database again to go on");
}

void Pager::begin_change() {
    if (mode_ != Mode::ReadWrite) {
        throw std::logic_error("the database is open for reading only");
    }
    if (in_change_) {
        throw std::logic_error("a change of pages is already in progress");
    }
    if (state_ != State::Usable) {
        throw unusable();
    }
    in_change_ = true;
    pages_before_change_ = page_count_;
}

Page& Pager::modify(PageNumber number) {
    if (!in_change_) {
        throw std::logic_error("page " + std::to_string(number) +
                               " modified outside a change of pages");
    }
    stamps_.assign(number, ++last_stamp_);
    if (const std::shared_ptr<Page>* changed = dirty_.find(number)) {
        if (number < pages_before_change_ && !touched_in_change(number)) {
            if (undo_pages_used_ == undo_pages_.size()) {
                undo_pages_.push_back(std::make_unique<Page>());
            }
            *undo_pages_[undo_pages_used_] = **changed;
            change_undo_.push_back({number, true, undo_pages_used_++});
        }
        return **changed;
    }
    PageRef original = read(number);
    auto copy = std::make_shared<Page>(*original);
    if (number < pages_at_save_) {
        originals_.assign(number, std::move(original));
    }
    change_undo_.push_back({number, false, 0});
    Page& page = *copy;
    dirty_.assign(number, std::move(copy));
    return page;
}

bool Pager::touched_in_change(PageNumber number) const {
    return std::any_of(change_undo_.rbegin(), change_undo_.rend(),
                       [number](const ChangeUndo& touched) { return touched.number == number; });
}

PageNumber Pager::grow() {
    if (!in_change_) {
        throw std::logic_error("the file grown outside a change of pages");
    }
    if (page_count_ >= kLargestPageCount) {
        throw Error(path_text(path_) +
                    ": the database is full: an Access 97 file ends at 1 GB (524,288 pages of "
                    "2,048 bytes) and this change needs one more page; nothing of the change "
                    "was written and what the database holds stays as it is, so store the rest "
                    "in another database");
    }
    const PageNumber number = page_count_++;
    dirty_.assign(number, std::make_shared<Page>());
    return number;
}

std::uint64_t Pager::length_after_save() const {
    return std::max<std::uint64_t>(file_size_, static_cast<std::uint64_t>(page_count_) * kPageSize);
}

void Pager::commit() {
    if (!in_change_) {
        throw std::logic_error("commit without a change of pages");
    }
    change_undo_.clear();
    undo_pages_used_ = 0;
    in_change_ = false;
    if (unsaved_changes_++ == 0) {
        first_unsaved_change_ = std::chrono::steady_clock::now();
    }
    if (save_due()) {
        try_save(dirty_.size() >= kMostUnsavedPages);
    }
}

void Pager::discard() {
    if (!in_change_) {
        throw std::logic_error("discard without a change of pages");
    }
    for (const ChangeUndo& touched : change_undo_) {
        if (touched.number >= pages_before_change_) {
            continue;
        }
        if (touched.changed_before) {
            dirty_.assign(touched.number, std::make_shared<Page>(*undo_pages_[touched.copy]));
        } else {
            dirty_.erase(touched.number);
            originals_.erase(touched.number);
        }
    }
    dirty_.erase_from(pages_before_change_);
    page_count_ = pages_before_change_;
    change_undo_.clear();
    undo_pages_used_ = 0;
    in_change_ = false;
}

bool Pager::save_due() const {
    return unsaved_changes_ >= kSaveAfterChanges || dirty_.size() >= kSaveAfterPages ||
           std::chrono::steady_clock::now() - first_unsaved_change_ >= kSaveAfterTime;
}

void Pager::save() {
    if (in_change_) {
        throw std::logic_error("save during a change of pages");
    }
    if (state_ != State::Usable) {
        throw unusable();
    }
    if (unsaved_changes_ > 0 || !dirty_.empty()) {
        try_save(true);
    }
}

// A save that need not wait tries the commit lock once. Failing, it keeps
// (or takes) the pending lock, so that no new reader starts before the next
// try and the readers at work now are the last ones it waits for.
bool Pager::try_save(bool wait) {
    HeldLockByte saving;
    if (wait) {
        pending_.release();
        saving = lock_for_writing(*file_, path_);
    } else {
        if (!pending_.held() && file_->try_lock_byte(LockByte::Pending, LockKind::Exclusive)) {
            pending_ = HeldLockByte(*file_, LockByte::Pending);
        }
        if (!file_->try_lock_byte(LockByte::Commit, LockKind::Exclusive)) {
            return false;
        }
        saving = HeldLockByte(*file_, LockByte::Commit);
        pending_.release();
    }
    write_changes();
    return true;
}

JournalSave Pager::journal_save() {
    JournalSave insert;
    insert.length_before = file_size_;
    insert.length_after = length_after_save();
    if (!header_page_hash_) {
        const PageRef* page0 = originals_.find(0);
        header_page_hash_ =
            pages_at_save_ == 0
                ? 0
                : hash_bytes((page0 != nullptr ? *page0 : read(0))->data(), kPageSize, 0);
    }
    insert.header_page_hash = *header_page_hash_;
    for (const auto& [number, original] : originals_) {
        insert.pages.push_back({number, original.get(), dirty_.find(number)->get()});
    }
    return insert;
}

// Writes the pages back as they were at the last save and retires the
// journal's record; throws when that fails.
void Pager::undo_writes(std::uint64_t length_before) {
    for (const auto& [number, original] : originals_) {
        page_file_->write(number, *original, file_size_);
    }
    try {
        file_->truncate(length_before);
    } catch (const FileError& e) {
        throw Error(path_text(path_) + ": cannot restore the file's length (" + e.reason() + ")");
    }
    page_file_->sync(length_before, false);
    if (journal_) {
        journal_->retire();
    }
}

// Forgets every unsaved change after a failed save: the file holds the last
// saved state again, and the cache only ever held saved pages.
void Pager::drop_changes() {
    dirty_.clear();
    stamps_.clear();
    originals_.clear();
    page_count_ = pages_at_save_;
}

void Pager::write_changes() {
    const bool journaled = journal_ && !dirty_.empty();
    const bool synchronous = journal_mode_ == JournalMode::Synchronous;
    const std::uint64_t length_before = file_size_;
    const std::size_t changes = unsaved_changes_;
    auto fail = [&](State state, const std::string& why) {
        state_ = state;
        failure_ = why;
        drop_changes();
    };
    try {
        if (journaled) {
            journal_->record(journal_save());
        }
    } catch (const std::exception& e) {
        fail(State::Failed, e.what());
        throw Error(std::string(e.what()) + "; the last " + std::to_string(changes) +
                    " inserts were not saved");
    }
    try {
        for (const auto& [number, page] : dirty_) {
            page_file_->write(number, *page, file_size_);
        }
        if (synchronous) {
            page_file_->sync(length_after_save(), false);
        }
    } catch (const std::exception& e) {
        try {
            undo_writes(length_before);
        } catch (const std::exception& undo) {
            fail(State::Broken, e.what());
            throw Error(std::string(e.what()) + "; putting the pages back failed too (" +
                        undo.what() + "); the next open rolls the last " + std::to_string(changes) +
                        " inserts back from " + path_text(journal_path(path_)));
        }
        fail(State::Failed, e.what());
        throw Error(std::string(e.what()) + "; the last " + std::to_string(changes) +
                    " inserts were not saved");
    }
    // Every page is in the database now: the save cannot be undone any more,
    // only rolled back by the next open while the journal's record is not
    // retired on the disk. A failure to retire it leaves the database as the
    // save made it and the record as it is, and stops further changes.
    std::optional<std::string> not_retired;
    try {
        if (journaled) {
            journal_->retire();
        }
    } catch (const std::exception& e) {
        not_retired = e.what();
    }
    if (dirty_.contains(0)) {
        header_page_hash_.reset();
    }
    file_size_ = length_after_save();
    for (auto& [number, page] : dirty_) {
        remember(number, std::move(page));
    }
    dirty_.clear();
    stamps_.clear();
    originals_.clear();
    pages_at_save_ = page_count_;
    if (not_retired) {
        state_ = State::Broken;
        failure_ = *not_retired;
        throw Error(*not_retired + "; the last " + std::to_string(changes) +
                    " inserts are in the database, but the next open may roll them back from " +
                    path_text(journal_path(path_)));
    }
    saved_changes_ += unsaved_changes_;
    unsaved_changes_ = 0;
}

void Pager::flush() {
    if (!page_file_) {
        return;
    }
    if (state_ == State::Broken) {
        return;
    }
    if (state_ == State::Usable) {
        save();
        page_file_->sync(file_size_, true);
    }
    if (journal_) {
        journal_->remove();
    }
}

}  // namespace jet
