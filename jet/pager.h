// The pager: the only code that touches a database file. It reads whole
// 2048-byte pages, checks every page number against the file's length and
// keeps recently used pages in a bounded cache.
//
// Opened for writing, it holds the file's write lock and works in changes
// (one insert each): begin_change(), then modify() and grow() as often as
// needed, then commit() keeps the change, or discard() puts every page it
// touched back as it was before begin_change(). Committed changes wait in
// memory and are read back from there, so each insert sees the ones before
// it; save() writes all of them to the file as one unit. Saving is durable
// and in order (with JournalMode::Synchronous): the pages' bytes as they were
// at the last save go to the rollback journal (journal.h), which is forced
// to the disk; then the pages are written and the database forced to the
// disk; then the journal is retired, and that too forced to the disk. A save
// interrupted at any point, by a kill or a power cut, is rolled back when the
// file is next opened, for reading or writing; a kill or power cut loses at
// most the changes committed since the last save ended.
//
// commit() saves by itself once the changes waiting are many, hold many
// pages, or the oldest of them has waited half a second; the caller saves at
// the points it wants durable (the end of a folder) and flush() saves before
// closing.
//
// Readers and the writer share the commit lock (file_system.h): the writer
// holds it exclusively while it writes pages to the database, during a save
// or a roll-back; a reader takes it shared when it opens the file and holds
// it until it closes, so that it only ever reads a saved state. A writer whose
// save finds readers keeps its changes in memory, takes the pending lock so
// that no new reader starts, and tries again at its next commit; it waits for
// the readers (kWriterPatience) only when it must save. A reader waits for a
// save in progress and for a writer holding the pending lock
// (kReaderPatience).
//
// A save that fails puts the pages it wrote back and drops the changes it
// held; the pager then refuses further changes. When putting the pages back
// fails too, the database is broken: the journal keeps the record of the
// unfinished save, nothing more is written and the journal is never deleted,
// and the next open rolls the save back. A save whose pages all reached the
// disk but whose journal record cannot be retired is not undone: the
// database is broken as well, and the next open keeps the save or rolls it
// back as the record on the disk says. Every file access goes through the
// FileSystem the pager is given (file_system.h); pages reach the file
// through page_file.h.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/file_system.h"
#include "jet/journal.h"
#include "jet/lock_bytes.h"
#include "jet/page.h"
#include "jet/page_file.h"
#include "jet/page_map.h"

namespace jet {

class Pager {
  public:
    enum class Mode { ReadOnly, ReadWrite };

    // Opens the file and rolls back an unfinished save its journal holds;
    // throws jet::Error when it cannot be opened, in ReadWrite mode when
    // another program has it open or locked, when a save in progress does not
    // end in time, and when the journal cannot be applied (recover() in
    // journal.h). `journal` applies to ReadWrite mode.
    Pager(const std::filesystem::path& path, Mode mode, std::size_t cache_pages,
          JournalMode journal = JournalMode::Synchronous,
          FileSystem& file_system = native_file_system());
    // Committed changes not yet saved are lost, as in a kill.
    ~Pager();

    Pager(const Pager&) = delete;
    Pager& operator=(const Pager&) = delete;

    // Whole pages in the file, pages grown by unsaved changes included; a
    // partial page at the end is not counted.
    PageNumber page_count() const { return page_count_; }
    std::uint64_t file_size() const { return file_size_; }
    Mode mode() const { return mode_; }

    // The page's bytes; throws FormatError naming the page when it lies past
    // the end of the file, Error when the read fails.
    PageRef read(PageNumber number);

    // Starts a change; throws std::logic_error when one is already open or
    // the pager is read-only, Error when an earlier save failed.
    void begin_change();
    bool in_change() const { return in_change_; }
    // Tells a reader that keeps what it decoded from a page's bytes whether
    // the bytes still say the same. A changed, unsaved page's bytes change in
    // place: the stamp is new at every modify() of the page (so a reader
    // decodes what it reads after the write that follows). Any other page's
    // bytes never change, since modify() works on a copy; its stamp is 0.
    std::uint64_t modification_stamp(PageNumber number) const {
        const std::uint64_t* stamp = stamps_.find(number);
        return stamp != nullptr ? *stamp : 0;
    }

    // A writable copy of the page, recorded as changed. The reference stays
    // valid until the change ends.
    Page& modify(PageNumber number);

    // Appends one zeroed page to the end of the file (in the current change)
    // and returns its number.
    PageNumber grow();

    // Ends the change, keeping it; saves when enough is waiting (see above).
    // Throws Error when that save fails: the change is then lost with the
    // others that were waiting (unsaved_changes() says how many).
    void commit();
    // Ends the change, putting back every page it touched: the pages read
    // from the pager are as before begin_change().
    void discard();

    // Saves every committed change, waiting for readers when needed. Throws
    // Error when it cannot.
    void save();
    // Saves, forces the file and its length to the disk and deletes the
    // journal: the last thing before closing. After a failed save it only
    // deletes a retired journal; a broken database keeps its journal.
    void flush();

    // Committed changes not yet saved, or after a failed save, the changes
    // it dropped.
    std::size_t unsaved_changes() const { return unsaved_changes_; }
    // Changes saved since the file was opened.
    std::size_t saved_changes() const { return saved_changes_; }

    // What opening the file did with a journal beside it.
    Recovery recovery() const { return recovery_; }

  private:
    using LruList = std::list<PageNumber>;
    struct CacheEntry {
        PageRef page;
        LruList::iterator position;
    };
    enum class State { Usable, Failed, Broken };

    PageRef load(PageNumber number);
    void remember(PageNumber number, PageRef page);
    // The file's length once the unsaved changes are written: pages grown
    // by them extend the file.
    std::uint64_t length_after_save() const;
    void recover_for_writer();
    void recover_for_reader();
    bool save_due() const;
    // Saves under the exclusive commit lock; false when readers hold it and
    // `wait` is false.
    bool try_save(bool wait);
    void write_changes();
    JournalSave journal_save();
    void undo_writes(std::uint64_t length_before);
    void drop_changes();
    Error unusable() const;

    std::filesystem::path path_;
    Mode mode_;
    FileSystem& file_system_;
    std::unique_ptr<File> file_;
    HeldLockByte reading_;  // the commit lock, in ReadOnly mode, for the pager's life
    HeldLockByte pending_;  // while a save waits for readers to finish
    std::uint64_t file_size_ = 0;
    PageNumber page_count_ = 0;
    std::size_t capacity_;
    LruList recent_;  // most recently used first
    std::unordered_map<PageNumber, CacheEntry> cache_;

    // Changes committed and not yet saved, and the current change.
    PageMap<std::shared_ptr<Page>> dirty_;  // their pages' bytes now
    PageMap<std::uint64_t> stamps_;         // of the pages modify() handed out
    std::uint64_t last_stamp_ = 0;
    PageMap<PageRef> originals_;  // the bytes at the last save, for existing pages
    PageNumber pages_at_save_ = 0;
    std::size_t unsaved_changes_ = 0;
    std::size_t saved_changes_ = 0;
    std::chrono::steady_clock::time_point first_unsaved_change_;

    bool in_change_ = false;
    PageNumber pages_before_change_ = 0;
    // Per page of the file that the current change touched, in the order
    // touched: whether an earlier unsaved change had modified it, and then its
    // bytes before this change, in undo_pages_[copy]. A change touches a few
    // pages, so a list searched from the end serves; the copies' buffers are
    // kept from one change to the next.
    struct ChangeUndo {
        PageNumber number;
        bool changed_before;
        std::size_t copy;
    };
    std::vector<ChangeUndo> change_undo_;
    std::vector<std::unique_ptr<Page>> undo_pages_;
    std::size_t undo_pages_used_ = 0;
    bool touched_in_change(PageNumber number) const;

    std::unique_ptr<PageFile> page_file_;  // in ReadWrite mode
    JournalMode journal_mode_;
    std::unique_ptr<Journal> journal_;
    std::optional<std::uint64_t> header_page_hash_;
    Recovery recovery_ = Recovery::NoJournal;
    State state_ = State::Usable;
    std::string failure_;  // why the pager is not usable
};

}  // namespace jet
