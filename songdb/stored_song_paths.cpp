#include "songdb/stored_song_paths.h"

#include <algorithm>
#include <string>

#include "songdb/path_comparison.h"

namespace songdb {
namespace {

// FNV-1a over the bytes, then a 64-bit finaliser that spreads every input
// bit over the whole digest.
std::uint64_t digest(std::string_view path) {
    const std::string key = path_comparison_key(path);
    std::uint64_t h = 0xCBF29CE484222325ULL;
    for (const char c : key) {
        h = (h ^ static_cast<std::uint8_t>(c)) * 0x100000001B3ULL;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return h;
}

}  // namespace

void StoredSongPaths::add_stored(std::string_view path) {
    read_.push_back(digest(path));
}

void StoredSongPaths::finish_reading() {
    std::sort(read_.begin(), read_.end());
    read_.shrink_to_fit();
}

void StoredSongPaths::remember(std::string_view path) {
    stored_in_run_.insert(digest(path));
}

bool StoredSongPaths::contains(std::string_view path) const {
    const std::uint64_t d = digest(path);
    return std::binary_search(read_.begin(), read_.end(), d) || stored_in_run_.contains(d);
}

}  // namespace songdb
