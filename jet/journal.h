// The rollback journal of a database, `<database file name>-journal` beside
// it: before the pager writes the pages of a save (the inserts committed
// since the last save), it records their bytes before the save there, and
// retires the record once every page is written. A database whose journal
// still holds a save has that save rolled back before it is read. Byte
// layout: journal_format.h; recovery rules: journal.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "jet/file_system.h"
#include "jet/journal_mode.h"
#include "jet/page.h"

namespace jet {

std::filesystem::path journal_path(const std::filesystem::path& database);

// A 64-bit hash of bytes, for page identities and record checksums.
std::uint64_t hash_bytes(const std::uint8_t* data, std::size_t size, std::uint64_t seed);

// One existing page a save changes.
struct JournalPage {
    PageNumber number;
    const Page* before;
    const Page* after;
};

// What a save changes beyond its pages.
struct JournalSave {
    std::uint64_t length_before = 0;
    std::uint64_t length_after = 0;
    // hash_bytes of page 0 before the save, seed 0; 0 when there was none.
    std::uint64_t header_page_hash = 0;
    std::vector<JournalPage> pages;
};

// The journal file of a database open for writing, created on the first
// save. The caller holds the database's write lock and has recovered any
// earlier journal.
class Journal {
  public:
    Journal(std::filesystem::path database, bool synchronous, FileSystem& file_system);
    // Deletes the file unless it still holds a save.
    ~Journal();

    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Records the save; returns once the record is in the file (on the
    // disk when synchronous). Throws Error when it cannot be written.
    void record(const JournalSave& save);
    // Every page of the recorded save is in the database (on the disk when
    // synchronous); marks the record retired, on the disk when synchronous.
    void retire();
    // Closes and deletes the file; the database has been flushed.
    void remove();

  private:
    void open();
    // Where to build a record of `size` bytes: the mapped file, grown when
    // needed, or a buffer when the file cannot be mapped.
    std::uint8_t* room_for(std::size_t size);
    void unmap();
    // The header's state in the mapped file, in one store.
    void store_state(std::uint32_t state);

    std::filesystem::path path_;
    bool synchronous_;
    FileSystem& file_system_;
    std::unique_ptr<File> file_;
    bool pending_ = false;
    std::uint64_t sequence_ = 0;
    std::unique_ptr<FileMapping> mapping_;
    std::size_t mapped_size_ = 0;
    bool mappable_ = true;
    std::vector<std::uint8_t> buffer_;
};

enum class Recovery {
    NoJournal,     // no journal, or one that holds no save
    Ignored,       // a torn record of a save that never reached the database
    RolledBack,    // the unfinished save was undone
    NeedsWriting,  // a save must be rolled back, but `file` is read-only
};

// Looks at the journal beside `database` (opened as `file`; `writable` when
// it is open for writing under the write lock and the exclusive commit lock)
// and rolls back the save it holds. Throws Error naming the journal when it
// is not a journal, belongs to another database, or the database changed
// since the save was recorded: then neither file is touched.
Recovery recover(const std::filesystem::path& database, File& file, bool writable,
                 FileSystem& file_system);

}  // namespace jet
