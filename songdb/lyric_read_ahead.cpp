#include "songdb/lyric_read_ahead.h"

#include <algorithm>
#include <utility>

#include "window/native_text.h"

namespace songdb {

LyricReadAhead::LyricReadAhead(std::vector<std::string> files, std::size_t first)
    : files_(std::move(files)),
      reads_(kFilesAhead),
      first_wanted_(first),
      reader_([this] { read_files(); }) {}

LyricReadAhead::~LyricReadAhead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    reader_.join();
}

void LyricReadAhead::read_files() {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || i < first_wanted_ + kFilesAhead; });
            if (stopping_) {
                return;
            }
            if (i < first_wanted_) {
                read_count_ = i + 1;
                continue;
            }
        }
        Read read;
        try {
            read.lines = read_lyric_file(window::path_of_text(files_[i]));
        } catch (...) {
            read.error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            reads_[i % kFilesAhead] = std::move(read);
            read_count_ = i + 1;
        }
        changed_.notify_all();
    }
}

LyricLines LyricReadAhead::take(std::size_t index, const std::string& file) {
    if (index >= files_.size() || files_[index] != file) {
        return read_lyric_file(window::path_of_text(file));
    }
    Read read;
    {
        std::unique_lock lock(mutex_);
        first_wanted_ = std::max(first_wanted_, index);
        changed_.notify_all();
        changed_.wait(lock, [&] { return read_count_ > index; });
        read = std::move(reads_[index % kFilesAhead]);
        first_wanted_ = index + 1;
    }
    changed_.notify_all();
    if (read.error) {
        std::rethrow_exception(read.error);
    }
    return std::move(read.lines);
}

}  // namespace songdb
