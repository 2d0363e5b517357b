// The pager: the only code that touches a database file. It reads whole
// 2048-byte pages, checks every page number against the file's length and
// keeps recently used pages in a bounded cache.
//
// Opened for writing, it holds an exclusive lock on the file and groups page
// changes: begin_change(), then modify() and grow() as often as needed, then
// commit() writes every page the change touched, or discard() forgets them.
// Until commit() nothing reaches the file, and reading a page modified in the
// current change returns the modified bytes. commit() records the pages'
// bytes before the change in the rollback journal (journal.h) first, so that
// a change interrupted part-way is rolled back when the file is next opened;
// opening a file, for reading or writing, does that roll-back. Pages reach
// the file through page_file.h, and every file access goes through the
// FileSystem the pager is given (file_system.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>

#include "jet/file_system.h"
#include "jet/journal.h"
#include "jet/page.h"
#include "jet/page_file.h"
#include "jet/page_map.h"

namespace jet {

class Pager {
  public:
    enum class Mode { ReadOnly, ReadWrite };

    // Opens the file and rolls back an unfinished change its journal holds;
    // throws jet::Error when it cannot be opened, in ReadWrite mode when
    // another program has it open or locked, and when the journal cannot be
    // applied (recover() in journal.h). `journal` applies to ReadWrite mode.
    Pager(const std::filesystem::path& path, Mode mode, std::size_t cache_pages,
          JournalMode journal = JournalMode::On, FileSystem& file_system = native_file_system());
    ~Pager();

    Pager(const Pager&) = delete;
    Pager& operator=(const Pager&) = delete;

    // Whole pages in the file, pages grown in the current change included; a
    // partial page at the end is not counted.
    PageNumber page_count() const { return page_count_; }
    std::uint64_t file_size() const { return file_size_; }
    Mode mode() const { return mode_; }

    // The page's bytes; throws FormatError naming the page when it lies past
    // the end of the file, Error when the read fails.
    PageRef read(PageNumber number);

    // Starts a change; throws std::logic_error when one is already open or
    // the pager is read-only.
    void begin_change();
    bool in_change() const { return in_change_; }
    // True when the page is modified (or grown) in the current change: its
    // bytes may still change in place. Any other page's bytes never do, since
    // modify() works on a copy.
    bool modified(PageNumber number) const { return in_change_ && dirty_.contains(number); }

    // A writable copy of the page, recorded as dirty in the current change.
    // The reference stays valid until the change ends.
    Page& modify(PageNumber number);

    // Appends one zeroed page to the end of the file (in the current change)
    // and returns its number.
    PageNumber grow();

    // Journals and writes every page the change touched and ends it; throws
    // Error when a write fails, after putting back the bytes already
    // written (the change stays open for discard()).
    void commit();
    // Ends the change without writing anything: the file and the pages read
    // from it are as before begin_change().
    void discard();

    // Forces committed pages to the disk and deletes the journal.
    void flush();

    // What opening the file did with a journal beside it.
    Recovery recovery() const { return recovery_; }

  private:
    using LruList = std::list<PageNumber>;
    struct CacheEntry {
        PageRef page;
        LruList::iterator position;
    };

    PageRef load(PageNumber number);
    void remember(PageNumber number, PageRef page);
    // The file's length once the current change is written: pages grown in
    // it extend the file.
    std::uint64_t length_after_change() const;
    void recover_on_open(bool writable);
    JournalInsert journal_insert();
    void undo_writes(std::uint64_t length_before);

    std::filesystem::path path_;
    Mode mode_;
    FileSystem& file_system_;
    std::unique_ptr<File> file_;
    std::uint64_t file_size_ = 0;
    PageNumber page_count_ = 0;
    std::size_t capacity_;
    LruList recent_;  // most recently used first
    std::unordered_map<PageNumber, CacheEntry> cache_;

    bool in_change_ = false;
    PageNumber pages_before_change_ = 0;
    PageMap<std::shared_ptr<Page>> dirty_;  // pages of the current change
    PageMap<PageRef> originals_;            // their bytes before it, for existing pages

    std::unique_ptr<PageFile> page_file_;  // in ReadWrite mode
    JournalMode journal_mode_;
    std::unique_ptr<Journal> journal_;
    std::optional<std::uint64_t> header_page_hash_;
    Recovery recovery_ = Recovery::NoJournal;
};

namespace testing {
// Called in commit() once the journal holds the change (step 0) and after
// each page written (steps 1, 2, ...), for tests that stop or fail a commit
// part-way. Empty by default.
void set_commit_step_hook(std::function<void(std::size_t step)> hook);
}  // namespace testing

}  // namespace jet
