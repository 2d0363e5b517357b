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
    room_.notify_one();
    reader_.join();
}

void LyricReadAhead::read_files() {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        {
            std::unique_lock lock(mutex_);
            if (i >= first_wanted_ + kFilesAhead) {
                reader_waiting_ = true;
                room_.wait(lock, [&] { return room_to_read(); });
                reader_waiting_ = false;
            }
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
        bool wake_taker = false;
        {
            std::lock_guard lock(mutex_);
            reads_[i % kFilesAhead] = std::move(read);
            read_count_ = i + 1;
            wake_taker = taker_waiting_ && read_count_ >= taker_wants_;
        }
        if (wake_taker) {
            ready_.notify_one();
        }
    }
}

LyricLines LyricReadAhead::take(std::size_t index, const std::string& file) {
    if (index >= files_.size() || files_[index] != file) {
        return read_lyric_file(window::path_of_text(file));
    }
    Read read;
    bool wake_reader = false;
    {
        std::unique_lock lock(mutex_);
        first_wanted_ = std::max(first_wanted_, index);
        if (read_count_ <= index) {
            if (reader_waiting_ && room_to_read()) {
                room_.notify_one();
            }
            taker_waiting_ = true;
            taker_wants_ = std::min(files_.size(), index + 1 + kFilesAhead / 4);
            ready_.wait(lock, [&] { return read_count_ >= taker_wants_; });
            taker_waiting_ = false;
        }
        read = std::move(reads_[index % kFilesAhead]);
        first_wanted_ = index + 1;
        wake_reader = reader_waiting_ && room_to_read();
    }
    if (wake_reader) {
        room_.notify_one();
    }
    if (read.error) {
        std::rethrow_exception(read.error);
    }
    return std::move(read.lines);
}

}  // namespace songdb
