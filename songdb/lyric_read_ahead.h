// Lyric files read ahead of the song table writer, on a thread of their own:
// while the writer stores one song, the next songs' lyric files are opened
// and read, so that waiting for the disk overlaps the catalogue's work.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "songdb/lyric_reader.h"

namespace songdb {

class LyricReadAhead {
  public:
    // Starts reading the lyric files named by `files` (their text, as the
    // file list gives them), in order from files[first], at most
    // kFilesAhead beyond the last one taken.
    LyricReadAhead(std::vector<std::string> files, std::size_t first);
    // Stops reading and waits for the file being read.
    ~LyricReadAhead();
    LyricReadAhead(const LyricReadAhead&) = delete;
    LyricReadAhead& operator=(const LyricReadAhead&) = delete;

    // What read_lyric_file gives for files[index], or throws what it threw.
    // Indexes are taken in ascending order; the files passed over are
    // dropped. A file that is not the one read ahead at `index` (the lists
    // changed while the update ran) is read here and now.
    LyricLines take(std::size_t index, const std::string& file);

  private:
    static constexpr std::size_t kFilesAhead = 64;
    struct Read {
        LyricLines lines;
        std::exception_ptr error;
    };

    void read_files();
    // Whether the reader, waiting for room, may go on: half of what it read
    // ahead is taken. So the threads wake each other once in kFilesAhead / 2
    // files, not at every file.
    bool room_to_read() const {
        return stopping_ || read_count_ + kFilesAhead / 2 < first_wanted_ + kFilesAhead;
    }

    const std::vector<std::string> files_;
    std::vector<Read> reads_;  // files_[i]'s in reads_[i % kFilesAhead]
    std::mutex mutex_;
    std::condition_variable room_;   // the reader waits on it for room
    std::condition_variable ready_;  // take() waits on it for its file
    std::size_t first_wanted_ = 0;   // files before it are taken or dropped
    std::size_t read_count_ = 0;     // files read (or dropped) so far
    bool reader_waiting_ = false;
    bool taker_waiting_ = false;
    // The reads that take(), waiting, waits for: a quarter of kFilesAhead
    // beyond its file, so that when the reader is the slower of the two the
    // threads still wake each other once in that many files.
    std::size_t taker_wants_ = 0;
    bool stopping_ = false;
    std::thread reader_;
};

}  // namespace songdb
