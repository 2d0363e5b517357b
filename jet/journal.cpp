// The rollback journal `<database>-journal`. It holds at most one save (the
// inserts committed since the last one, see pager.h): the record of each
// save is written from the start of the file over the previous one.
// Integers are little-endian.
//
// Header, 64 bytes:
//   0   8  magic "LSJRNL02"
//   8   4  number of page records that follow
//   12  4  zero
//   16  8  sequence number of the save, new for every record in the file
//   24  8  length of the database file before the save
//   32  8  length of the database file after the save (it grows by the
//          pages the save adds)
//   40  8  hash of page 0 before the save (0 when the file had none): the
//          database the journal belongs to
//   48  8  hash of bytes 0-47
//   56  4  state: 1 = the save's pages may be in the database, 0 = retired
//   60  4  zero
// Page record, 2096 bytes, one for every page the save changes that existed
// before it (pages it adds are undone by restoring the length):
//   0     4     page number
//   4     4     zero
//   8     2048  the page's bytes before the save
//   2056  32    hashes of the page's four 512-byte sectors after the save
//   2088  8     hash of bytes 0-2087, seeded with the sequence number (a
//               record left over from an earlier save never validates)
// Hashes are hash_bytes with seed 0 unless said otherwise.
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
#include <array>
#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jet/coding.h"
#include "jet/error.h"

namespace jet {
namespace {

constexpr std::array<std::uint8_t, 8> kMagic = {'L', 'S', 'J', 'R', 'N', 'L', '0', '2'};
constexpr std::size_t kHeaderSize = 64;
constexpr std::size_t kHeaderHashOffset = 48;
constexpr std::size_t kStateOffset = 56;
constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kSectors = kPageSize / kSectorSize;
constexpr std::size_t kRecordBeforeOffset = 8;
constexpr std::size_t kRecordAfterOffset = kRecordBeforeOffset + kPageSize;
constexpr std::size_t kRecordHashOffset = kRecordAfterOffset + 8 * kSectors;
constexpr std::size_t kRecordSize = kRecordHashOffset + 8;
constexpr std::uint32_t kStatePending = 1;

// Reads the page at `number`; fewer than kPageSize bytes only at the end of
// the file.
std::size_t read_page_at(File& file, PageNumber number, Page& page) {
    return file.read_at(static_cast<std::uint64_t>(number) * kPageSize, page.data(), kPageSize);
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
            return Recovery::NoJournal;
        }
        const std::optional<ReadJournal> journal = parse();
        if (!journal) {
            if (writable_) {
                file_system_.remove(journal_);
            }
            return Recovery::NoJournal;
        }
        const std::uint64_t length = file_.size();
        check_identity(*journal, length);
        if (!journal->complete()) {
            check_untouched(*journal, length);
            if (writable_) {
                file_system_.remove(journal_);
            }
            return Recovery::Ignored;
        }
        check_prefix_of_insert(*journal, length);
        if (!writable_) {
            return Recovery::NeedsWriting;
        }
        roll_back(*journal, length);
        return Recovery::RolledBack;
    }

  private:
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

    std::optional<ReadJournal> parse() const {
        if (bytes_.size() < kHeaderSize) {
            return std::nullopt;
        }
        const std::uint8_t* h = bytes_.data();
        if (std::all_of(h, h + kHeaderSize, [](std::uint8_t b) { return b == 0; })) {
            return std::nullopt;
        }
        if (std::memcmp(h, kMagic.data(), kMagic.size()) != 0) {
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
        journal.declared_records = get_u32le(h + 8);
        journal.sequence = get_u64le(h + 16);
        journal.length_before = get_u64le(h + 24);
        journal.length_after = get_u64le(h + 32);
        journal.header_page_hash = get_u64le(h + 40);
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

    void check_identity(const ReadJournal& journal, std::uint64_t length) const {
        if (journal.length_before < kPageSize) {
            return;
        }
        for (const std::uint8_t* record : journal.records) {
            if (get_u32le(record) == 0) {
                return;
            }
        }
        const bool same = length >= kPageSize &&
                          hash_bytes(read_page(0).data(), kPageSize, 0) == journal.header_page_hash;
        if (!same) {
            throw foreign();
        }
    }

    // How each recorded page of the database compares with the journal.
    struct PageState {
        bool all_after = true;   // every sector holds its bytes after the save
        bool all_before = true;  // every sector holds its bytes before it
        bool each_known = true;  // every sector holds one or the other
    };

    std::vector<PageState> page_states(const ReadJournal& journal, std::uint64_t length) const {
        std::vector<PageState> states;
        for (const std::uint8_t* record : journal.records) {
            const PageNumber number = get_u32le(record);
            PageState state;
            Page page{};
            if (static_cast<std::uint64_t>(number) * kPageSize + kPageSize > length ||
                read_page_at(file_, number, page) != kPageSize) {
                states.push_back({false, false, false});
                continue;
            }
            for (std::size_t s = 0; s < kSectors; ++s) {
                const std::uint8_t* sector = page.data() + s * kSectorSize;
                const bool before =
                    std::memcmp(sector, record + kRecordBeforeOffset + s * kSectorSize,
                                kSectorSize) == 0;
                const bool after = hash_bytes(sector, kSectorSize, 0) ==
                                   get_u64le(record + kRecordAfterOffset + 8 * s);
                state.all_after = state.all_after && after;
                state.all_before = state.all_before && before;
                state.each_known = state.each_known && (before || after);
            }
            states.push_back(state);
        }
        return states;
    }

    // Two databases made alike share their header page; a journal of one of
    // them lying beside the other is told apart by its pages: not one of
    // them holds what the journal recorded.
    void check_pages_fit(const std::vector<PageState>& states) const {
        if (!states.empty() && std::none_of(states.begin(), states.end(),
                                            [](const PageState& p) { return p.each_known; })) {
            throw foreign();
        }
    }

    void check_untouched(const ReadJournal& journal, std::uint64_t length) const {
        const std::vector<PageState> states = page_states(journal, length);
        if (std::none_of(states.begin(), states.end(),
                         [](const PageState& p) { return p.all_before; })) {
            check_pages_fit(states);
        }
        if (length != journal.length_before) {
            throw changed("its length is " + std::to_string(length) + " bytes, not " +
                          std::to_string(journal.length_before));
        }
        for (std::size_t i = 0; i < states.size(); ++i) {
            if (!states[i].all_before) {
                throw changed("page " + std::to_string(get_u32le(journal.records[i])) +
                              " differs, yet the journal is torn");
            }
        }
    }

    void check_prefix_of_insert(const ReadJournal& journal, std::uint64_t length) const {
        for (const std::uint8_t* record : journal.records) {
            const PageNumber number = get_u32le(record);
            if (static_cast<std::uint64_t>(number) * kPageSize + kPageSize >
                journal.length_before) {
                throw changed("the journal names page " + std::to_string(number) +
                              " past the length before the save");
            }
        }
        const std::vector<PageState> states = page_states(journal, length);
        check_pages_fit(states);
        if (length < journal.length_before || length > journal.length_after) {
            throw changed("its length is " + std::to_string(length) + " bytes, outside " +
                          std::to_string(journal.length_before) + " to " +
                          std::to_string(journal.length_after));
        }
        std::optional<std::size_t> torn;
        for (std::size_t i = 0; i < states.size(); ++i) {
            if (states[i].each_known) {
                continue;
            }
            if (torn) {
                throw changed("pages " + std::to_string(get_u32le(journal.records[*torn])) +
                              " and " + std::to_string(get_u32le(journal.records[i])) +
                              " hold neither their bytes before the save nor after it");
            }
            torn = i;
        }
        if (torn) {
            check_cut_short(journal, length, states, *torn);
        }
    }

    // A page holding bytes from neither side is the one being copied in when
    // the program was killed: pages are written in ascending order, so every
    // page before it holds its bytes after the save, every page after it
    // its bytes before, and no page past the old end has been written yet.
    void check_cut_short(const ReadJournal& journal, std::uint64_t length,
                         const std::vector<PageState>& states, std::size_t torn) const {
        const std::string page = std::to_string(get_u32le(journal.records[torn]));
        for (std::size_t i = 0; i < states.size(); ++i) {
            const bool in_order =
                i == 0 || get_u32le(journal.records[i - 1]) < get_u32le(journal.records[i]);
            const bool expected =
                i < torn ? states[i].all_after : (i == torn || states[i].all_before);
            if (!in_order || !expected || length != journal.length_before) {
                throw changed("page " + page +
                              " holds neither its bytes before the save nor after it");
            }
        }
    }

    void roll_back(const ReadJournal& journal, std::uint64_t length) const {
        for (const std::uint8_t* record : journal.records) {
            const PageNumber number = get_u32le(record);
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
        put_u32le(record, page.number);
        put_u32le(record + 4, 0);
        std::memcpy(record + kRecordBeforeOffset, page.before->data(), kPageSize);
        for (std::size_t s = 0; s < kSectors; ++s) {
            put_u64le(record + kRecordAfterOffset + 8 * s,
                      hash_bytes(page.after->data() + s * kSectorSize, kSectorSize, 0));
        }
        put_u64le(record + kRecordHashOffset, hash_bytes(record, kRecordHashOffset, sequence_));
        record += kRecordSize;
    }
    std::memcpy(h, kMagic.data(), kMagic.size());
    put_u32le(h + 8, static_cast<std::uint32_t>(save.pages.size()));
    put_u32le(h + 12, 0);
    put_u64le(h + 16, sequence_);
    put_u64le(h + 24, save.length_before);
    put_u64le(h + 32, save.length_after);
    put_u64le(h + 40, save.header_page_hash);
    put_u64le(h + kHeaderHashOffset, hash_bytes(h, kHeaderHashOffset, 0));
    put_u32le(h + kStateOffset + 4, 0);
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
        store_state(0);
        if (synchronous_) {
            mapping_->flush(kHeaderSize);
        }
    } else {
        std::uint8_t state[4] = {};
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
