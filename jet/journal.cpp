// The rollback journal `<database>-journal`: writing a save's record,
// retiring it, and recovering a database from it. The record's byte layout
// is in journal_format.h.
//
// Where the file system maps files (not on Windows), the journal is mapped
// into memory (the file kept at least as long as the largest record so far,
// its blocks allocated), so that recording a save and retiring it cost no
// system call but the flushes. Order of writes for one save: the page
// records, then the header but its state, then state 1 in one aligned 4-byte
// store; with JournalMode::Synchronous, a flush of the journal to disk; the
// database's pages in ascending order; with Synchronous, a flush of the
// database; state 0, and with Synchronous a flush of the journal again, so
// that a power cut after the save never rolls it back. A program killed
// while the record is being built leaves state 0: nothing to roll back.
// Where the file is not mapped, the same bytes go to the file in one write,
// state 1 included, and state 0 in another. The journal is created, and its
// folder flushed with Synchronous, before its first record. Closing the
// database flushes it and deletes the journal.
//
// Opening a database whose journal has state 1:
// - every record complete and valid: the database's length must lie between
//   the lengths before and after the save, and every sector of every
//   recorded page must hold its bytes before or after the save (a part of
//   the save's writes, in any order, as a power cut leaves them), or else
//   one page holds other bytes (a page copied in through the mapping when
//   the program was killed) while every recorded page below it holds its
//   bytes after, every page above it its bytes before, and the length is
//   the one before. Then the pages' bytes before are written back, the
//   length restored, the database flushed and the journal deleted.
//   Otherwise the database changed since: an error, nothing touched.
// - records missing or failing their hash (a torn journal): the journal was
//   still being written, and database writes start only after it is
//   complete, so the database never saw the save. That is verified (the
//   length is the one before, every valid record's page holds its bytes
//   before) and the journal is ignored; if the check fails it is an error.
// - page 0's hash differs from the header's while no record holds page 0,
//   or not one recorded page holds its bytes before or after the save: the
//   journal belongs to another database; an error. (Databases made alike
//   share their page 0, so the pages tell them apart.)
// - a journal shorter than its header, one whose header is all zeros (space
//   reserved, the program stopped before the first record was written), or
//   one with state 0 holds no save and is ignored, whatever the rest of it
//   holds; other magic bytes or a header failing its hash are errors.
// Ignored journals are deleted when the database is open for writing.
// Rolling back needs write access and the exclusive commit lock; how a
// reader gets them is in pager.cpp.
#include "jet/journal.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jet/coding.h"
#include "jet/error.h"
#include "jet/journal_format.h"

namespace jet {
namespace {

using namespace journal_format;

// Reads the page at `number`; fewer than kPageSize bytes only at the end of
// the file.
std::size_t read_page_at(File& file, PageNumber number, Page& page) {
    return file.read_at(static_cast<std::uint64_t>(number) * kPageSize, page.data(), kPageSize);
}

PageNumber page_number_of(const std::uint8_t* record) {
    return get_u32le(record + kRecordPageNumberOffset);
}

// A journal as read back from its file.
struct ReadJournal {
    std::uint64_t sequence = 0;
    std::uint64_t length_before = 0;
    std::uint64_t length_after = 0;
    std::uint64_t header_page_hash = 0;
    std::uint32_t declared_records = 0;
    // The records that are present and valid, up to the first that is not.
    std::vector<const std::uint8_t*> records;
    bool complete() const { return records.size() == declared_records; }
};

// What a journal file holds.
enum class JournalContent {
    NoSave,     // too short, reserved but never written, or retired
    TornSave,   // a save whose records were still being written
    WholeSave,  // a save whose every record is there and valid
};

// How a recorded page of the database compares with its record, sector by
// sector.
enum class PageContent {
    Before,     // every sector holds its bytes before the save
    After,      // every sector holds its bytes after the save
    Unchanged,  // both: the save left the page's bytes as they were
    Mixed,      // each sector holds one or the other, as the save's writes left them
    Other,      // a sector holds neither, or the page is not in the file
};

bool holds_before(PageContent page) {
    return page == PageContent::Before || page == PageContent::Unchanged;
}

bool holds_after(PageContent page) {
    return page == PageContent::After || page == PageContent::Unchanged;
}

// Whether each sector holds its bytes before or after the save.
bool holds_known_bytes(PageContent page) {
    return page != PageContent::Other;
}

class Recoverer {
  public:
    Recoverer(const std::filesystem::path& database, File& file, bool writable,
              FileSystem& file_system)
        : database_(database),
          journal_(journal_path(database)),
          file_(file),
          writable_(writable),
          file_system_(file_system) {}

    Recovery run() {
        if (!load()) {
            // No journal beside the database.
            return Recovery::NoJournal;
        }
        const std::optional<ReadJournal> journal = parse();
        switch (content_of(journal)) {
            case JournalContent::TornSave:
                return ignore_torn_save(*journal);
            case JournalContent::WholeSave:
                return roll_back_whole_save(*journal);
            case JournalContent::NoSave:
                break;
        }
        // Nothing was recorded that the database could hold.
        discard_journal();
        return Recovery::NoJournal;
    }

  private:
    static JournalContent content_of(const std::optional<ReadJournal>& journal) {
        if (!journal) {
            return JournalContent::NoSave;
        }
        return journal->complete() ? JournalContent::WholeSave : JournalContent::TornSave;
    }

    // Database writes start only once the journal's record is whole, so the
    // database never saw a torn save: it must be as it was before the save.
    Recovery ignore_torn_save(const ReadJournal& journal) {
        const std::uint64_t length = file_.size();
        check_identity(journal, length);
        check_untouched(journal, length);
        discard_journal();
        return Recovery::Ignored;
    }

    // The database holds some of a whole save's writes, which the pages'
    // bytes before undo.
    Recovery roll_back_whole_save(const ReadJournal& journal) {
        const std::uint64_t length = file_.size();
        check_identity(journal, length);
        check_interrupted_save(journal, length);
        if (!writable_) {
            // Rolling back writes the database; a reader asks for that
            // access first (pager.cpp).
            return Recovery::NeedsWriting;
        }
        roll_back(journal, length);
        return Recovery::RolledBack;
    }

    void discard_journal() {
        if (writable_) {
            file_system_.remove(journal_);
        }
    }

    bool load() {
        std::unique_ptr<File> journal;
        try {
            journal = file_system_.open(journal_, OpenMode::Read);
        } catch (const FileError& e) {
            if (e.problem() == FileProblem::NotFound) {
                return false;
            }
            throw Error(path_text(journal_) + ": cannot open the journal (" + e.reason() + ")");
        }
        bytes_.resize(journal->size());
        bytes_.resize(journal->read_at(0, bytes_.data(), bytes_.size()));
        return true;
    }

    // The journal's save, or nothing when it holds none.
    std::optional<ReadJournal> parse() const {
        if (bytes_.size() < kHeaderSize) {
            return std::nullopt;
        }
        const std::uint8_t* h = bytes_.data();
        if (std::all_of(h, h + kHeaderSize, [](std::uint8_t b) { return b == 0; })) {
            return std::nullopt;
        }
        if (std::memcmp(h + kMagicOffset, kMagic.data(), kMagic.size()) != 0) {
            throw Error(path_text(journal_) +
                        ": not a journal this program wrote (its first bytes are unknown); the "
                        "database was not touched. Move the file away to open the database.");
        }
        if (get_u32le(h + kStateOffset) != kStatePending) {
            return std::nullopt;
        }
        if (hash_bytes(h, kHeaderHashOffset, 0) != get_u64le(h + kHeaderHashOffset)) {
            throw Error(path_text(journal_) +
                        ": the journal's header is damaged; the database was not touched. If no "
                        "program was writing the database when it stopped, delete the journal.");
        }
        ReadJournal journal;
        journal.declared_records = get_u32le(h + kRecordCountOffset);
        journal.sequence = get_u64le(h + kSequenceOffset);
        journal.length_before = get_u64le(h + kLengthBeforeOffset);
        journal.length_after = get_u64le(h + kLengthAfterOffset);
        journal.header_page_hash = get_u64le(h + kHeaderPageHashOffset);
        for (std::size_t offset = kHeaderSize; journal.records.size() < journal.declared_records &&
                                               offset + kRecordSize <= bytes_.size();
             offset += kRecordSize) {
            const std::uint8_t* record = bytes_.data() + offset;
            if (hash_bytes(record, kRecordHashOffset, journal.sequence) !=
                get_u64le(record + kRecordHashOffset)) {
                break;
            }
            journal.records.push_back(record);
        }
        return journal;
    }

    Page read_page(PageNumber number) const {
        Page page{};
        if (read_page_at(file_, number, page) != kPageSize) {
            throw changed("page " + std::to_string(number) + " is missing");
        }
        return page;
    }

    Error changed(const std::string& what) const {
        return Error(path_text(database_) + ": the database changed after the save recorded in " +
                     path_text(journal_) + " was interrupted (" + what +
                     "); nothing was rolled back. Restore the database from a copy, or delete "
                     "the journal to keep the database as it is.");
    }

    Error foreign() const {
        return Error(path_text(journal_) +
                     ": the journal belongs to another database (its header page differs from " +
                     path_text(database_) +
                     "'s, or none of the pages it recorded holds the bytes it recorded); "
                     "nothing was rolled back. Put it beside its own database, or delete it if "
                     "that database is gone.");
    }

    // The database's page 0 must be the one the journal names, unless the
    // save changed page 0 itself (then the pages tell, see check_pages_fit).
    void check_identity(const ReadJournal& journal, std::uint64_t length) const {
        if (journal.length_before < kPageSize) {
            return;
        }
        for (const std::uint8_t* record : journal.records) {
            if (page_number_of(record) == 0) {
                return;
            }
        }
        const bool same = length >= kPageSize &&
                          hash_bytes(read_page(0).data(), kPageSize, 0) == journal.header_page_hash;
        if (!same) {
            throw foreign();
        }
    }

    PageContent page_content(const std::uint8_t* record, std::uint64_t length) const {
        const PageNumber number = page_number_of(record);
        Page page{};
        if (static_cast<std::uint64_t>(number) * kPageSize + kPageSize > length ||
            read_page_at(file_, number, page) != kPageSize) {
            return PageContent::Other;
        }
        bool all_before = true;
        bool all_after = true;
        for (std::size_t s = 0; s < kSectors; ++s) {
            const std::uint8_t* sector = page.data() + s * kSectorSize;
            const bool before = std::memcmp(sector, record + kRecordBeforeOffset + s * kSectorSize,
                                            kSectorSize) == 0;
            const bool after = hash_bytes(sector, kSectorSize, 0) ==
                               get_u64le(record + kRecordAfterOffset + kHashSize * s);
            if (!before && !after) {
                return PageContent::Other;
            }
            all_before = all_before && before;
            all_after = all_after && after;
        }
        if (all_before && all_after) {
            return PageContent::Unchanged;
        }
        if (all_before) {
            return PageContent::Before;
        }
        return all_after ? PageContent::After : PageContent::Mixed;
    }

    std::vector<PageContent> page_contents(const ReadJournal& journal, std::uint64_t length) const {
        std::vector<PageContent> pages;
        for (const std::uint8_t* record : journal.records) {
            pages.push_back(page_content(record, length));
        }
        return pages;
    }

    // Two databases made alike share their header page; a journal of one of
    // them lying beside the other is told apart by its pages: not one of
    // them holds what the journal recorded.
    void check_pages_fit(const std::vector<PageContent>& pages) const {
        if (!pages.empty() && std::none_of(pages.begin(), pages.end(), holds_known_bytes)) {
            throw foreign();
        }
    }

    // A torn save never reached the database: its length is the one before
    // and every recorded page holds its bytes before.
    void check_untouched(const ReadJournal& journal, std::uint64_t length) const {
        const std::vector<PageContent> pages = page_contents(journal, length);
        if (std::none_of(pages.begin(), pages.end(), holds_before)) {
            check_pages_fit(pages);
        }
        if (length != journal.length_before) {
            throw changed("its length is " + std::to_string(length) + " bytes, not " +
                          std::to_string(journal.length_before));
        }
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (!holds_before(pages[i])) {
                throw changed("page " + std::to_string(page_number_of(journal.records[i])) +
                              " differs, yet the journal is torn");
            }
        }
    }

    // A whole save was interrupted while reaching the database: its length
    // lies between the lengths before and after, and every recorded page
    // holds its bytes before, after or a mix of the two, as a power cut
    // leaves the writes in any order; or one page holds other bytes, the one
    // being copied in when the program was killed (check_cut_short).
    void check_interrupted_save(const ReadJournal& journal, std::uint64_t length) const {
        for (const std::uint8_t* record : journal.records) {
            const PageNumber number = page_number_of(record);
            if (static_cast<std::uint64_t>(number) * kPageSize + kPageSize >
                journal.length_before) {
                throw changed("the journal names page " + std::to_string(number) +
                              " past the length before the save");
            }
        }
        const std::vector<PageContent> pages = page_contents(journal, length);
        check_pages_fit(pages);
        if (length < journal.length_before || length > journal.length_after) {
            throw changed("its length is " + std::to_string(length) + " bytes, outside " +
                          std::to_string(journal.length_before) + " to " +
                          std::to_string(journal.length_after));
        }
        const std::optional<std::size_t> being_copied = page_being_copied(journal, pages);
        if (being_copied) {
            check_cut_short(journal, length, pages, *being_copied);
        }
    }

    // The one recorded page holding bytes from neither side, if any; two
    // such pages mean the database changed.
    std::optional<std::size_t> page_being_copied(const ReadJournal& journal,
                                                 const std::vector<PageContent>& pages) const {
        std::optional<std::size_t> found;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (holds_known_bytes(pages[i])) {
                continue;
            }
            if (found) {
                throw changed("pages " + std::to_string(page_number_of(journal.records[*found])) +
                              " and " + std::to_string(page_number_of(journal.records[i])) +
                              " hold neither their bytes before the save nor after it");
            }
            found = i;
        }
        return found;
    }

    // A page holding bytes from neither side is the one being copied in when
    // the program was killed: pages are written in ascending order, so every
    // page before it holds its bytes after the save, every page after it
    // its bytes before, and no page past the old end has been written yet.
    void check_cut_short(const ReadJournal& journal, std::uint64_t length,
                         const std::vector<PageContent>& pages, std::size_t being_copied) const {
        const std::string page = std::to_string(page_number_of(journal.records[being_copied]));
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const bool in_order = i == 0 || page_number_of(journal.records[i - 1]) <
                                                page_number_of(journal.records[i]);
            const bool expected = i < being_copied ? holds_after(pages[i])
                                                   : (i == being_copied || holds_before(pages[i]));
            if (!in_order || !expected || length != journal.length_before) {
                throw changed("page " + page +
                              " holds neither its bytes before the save nor after it");
            }
        }
    }

    void roll_back(const ReadJournal& journal, std::uint64_t length) const {
        for (const std::uint8_t* record : journal.records) {
            const PageNumber number = page_number_of(record);
            file_.write_at(static_cast<std::uint64_t>(number) * kPageSize,
                           record + kRecordBeforeOffset, kPageSize);
        }
        if (length != journal.length_before) {
            file_.truncate(journal.length_before);
        }
        file_.sync(false);
        file_system_.remove(journal_);
    }

    std::filesystem::path database_;
    std::filesystem::path journal_;
    File& file_;
    bool writable_;
    FileSystem& file_system_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::filesystem::path journal_path(const std::filesystem::path& database) {
    std::filesystem::path path = database;
    path += "-journal";
    return path;
}

std::uint64_t hash_bytes(const std::uint8_t* data, std::size_t size, std::uint64_t seed) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    constexpr std::uint64_t kMixer = 0xBF58476D1CE4E5B9ull;
    auto mix = [](std::uint64_t lane, std::uint64_t word) {
        lane = (lane ^ word) * kMultiplier;
        return lane ^ (lane >> 29);
    };
    auto word_at = [data](std::size_t offset) {
        std::uint64_t word;
        std::memcpy(&word, data + offset, 8);
        return word;
    };
    // Four independent lanes over 32-byte blocks, so that the multiplications
    // of one block overlap instead of waiting for each other: pages are
    // hashed several times per insert.
    std::uint64_t a = seed ^ (size * kMultiplier);
    std::uint64_t b = seed + kMixer;
    std::uint64_t c = seed ^ kMixer;
    std::uint64_t d = seed - kMultiplier;
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        a = mix(a, word_at(i));
        b = mix(b, word_at(i + 8));
        c = mix(c, word_at(i + 16));
        d = mix(d, word_at(i + 24));
    }
    std::uint64_t h = mix(mix(mix(a, b), c), d);
    for (; i + 8 <= size; i += 8) {
        h = mix(h, word_at(i));
    }
    for (; i < size; ++i) {
        h = (h ^ data[i]) * kMultiplier;
    }
    h ^= h >> 31;
    h *= kMixer;
    h ^= h >> 32;
    return h;
}

Journal::Journal(std::filesystem::path database, bool synchronous, FileSystem& file_system)
    : path_(journal_path(database)), synchronous_(synchronous), file_system_(file_system) {}

Journal::~Journal() {
    if (!file_) {
        return;
    }
    mapping_.reset();
    file_.reset();
    if (!pending_) {
        try {
            file_system_.remove(path_);
        } catch (const Error&) {
            // A journal that holds no save is ignored and deleted at the
            // next open; a destructor has no one to report to.
        }
    }
}

void Journal::open() {
    try {
        file_ = file_system_.open(path_, OpenMode::CreateOrTruncate);
    } catch (const FileError& e) {
        throw FileError(e.problem(),
                        path_text(path_) + ": cannot create the journal (" + e.reason() + ")",
                        e.reason());
    }
    if (synchronous_) {
        file_system_.sync_folder(path_);
    }
}

void Journal::unmap() {
    mapping_.reset();
    mapped_size_ = 0;
}

// The mapping is made before the room is reserved: touching mapped bytes
// past the end of the file would be a fault, and once the blocks are
// allocated a full disk can never make a write to the mapping fail.
std::uint8_t* Journal::room_for(std::size_t size) {
    if (mapping_ && size <= mapped_size_) {
        return mapping_->data();
    }
    if (mappable_) {
        const std::size_t wanted = (std::max(size, 2 * mapped_size_) + 4095) / 4096 * 4096;
        unmap();
        mapping_ = file_->map(wanted);
        if (mapping_) {
            try {
                file_->reserve(wanted);
            } catch (const FileError& e) {
                unmap();
                throw Error(path_text(path_) + ": cannot make room in the journal (" + e.reason() +
                            ")");
            }
            mapped_size_ = wanted;
            return mapping_->data();
        }
        mappable_ = false;
    }
    buffer_.resize(size);
    return buffer_.data();
}

void Journal::store_state(std::uint32_t state) {
    std::uint8_t bytes[4];
    put_u32le(bytes, state);
    std::uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    std::atomic_ref<std::uint32_t>(
        *reinterpret_cast<std::uint32_t*>(mapping_->data() + kStateOffset))
        .store(word, std::memory_order_release);
}

void Journal::record(const JournalSave& save) {
    if (!file_) {
        open();
    }
    ++sequence_;
    const std::size_t size = kHeaderSize + save.pages.size() * kRecordSize;
    std::uint8_t* h = room_for(size);
    const bool mapped = mapping_ && h == mapping_->data();
    // Every byte of the record is written below, so the room is not cleared.
    std::uint8_t* record = h + kHeaderSize;
    for (const JournalPage& page : save.pages) {
        put_u32le(record + kRecordPageNumberOffset, page.number);
        put_u32le(record + kRecordZeroOffset, 0);
        std::memcpy(record + kRecordBeforeOffset, page.before->data(), kPageSize);
        for (std::size_t s = 0; s < kSectors; ++s) {
            put_u64le(record + kRecordAfterOffset + kHashSize * s,
                      hash_bytes(page.after->data() + s * kSectorSize, kSectorSize, 0));
        }
        put_u64le(record + kRecordHashOffset, hash_bytes(record, kRecordHashOffset, sequence_));
        record += kRecordSize;
    }
    std::memcpy(h + kMagicOffset, kMagic.data(), kMagic.size());
    put_u32le(h + kRecordCountOffset, static_cast<std::uint32_t>(save.pages.size()));
    put_u32le(h + kZeroAfterCountOffset, 0);
    put_u64le(h + kSequenceOffset, sequence_);
    put_u64le(h + kLengthBeforeOffset, save.length_before);
    put_u64le(h + kLengthAfterOffset, save.length_after);
    put_u64le(h + kHeaderPageHashOffset, save.header_page_hash);
    put_u64le(h + kHeaderHashOffset, hash_bytes(h, kHeaderHashOffset, 0));
    put_u32le(h + kZeroAfterStateOffset, 0);
    pending_ = true;
    if (mapped) {
        store_state(kStatePending);
        if (synchronous_) {
            mapping_->flush(size);
        }
        return;
    }
    put_u32le(h + kStateOffset, kStatePending);
    file_->write_at(0, h, size);
    if (synchronous_) {
        file_->sync(false);
    }
}

void Journal::retire() {
    if (mapping_) {
        store_state(kStateRetired);
        if (synchronous_) {
            mapping_->flush(kHeaderSize);
        }
    } else {
        std::uint8_t state[4];
        put_u32le(state, kStateRetired);
        file_->write_at(kStateOffset, state, sizeof state);
        if (synchronous_) {
            file_->sync(false);
        }
    }
    pending_ = false;
}

void Journal::remove() {
    if (!file_) {
        return;
    }
    unmap();
    file_.reset();
    file_system_.remove(path_);
}

Recovery recover(const std::filesystem::path& database, File& file, bool writable,
                 FileSystem& file_system) {
    return Recoverer(database, file, writable, file_system).run();
}

}  // namespace jet
