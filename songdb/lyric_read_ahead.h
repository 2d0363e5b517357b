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

    const std::vector<std::string> files_;
    std::vector<Read> reads_;  // files_[i]'s in reads_[i % kFilesAhead]
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t first_wanted_ = 0;  // files before it are taken or dropped
    std::size_t read_count_ = 0;    // files read so far
    bool stopping_ = false;
    std::thread reader_;
};

}  // namespace songdb
