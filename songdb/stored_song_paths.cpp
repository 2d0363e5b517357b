#include "songdb/stored_song_paths.h"

#include <algorithm>
#include <bit>
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
    sorted_.push_back(digest(path));
}

void StoredSongPaths::finish_reading() {
    std::sort(sorted_.begin(), sorted_.end());
    sorted_.shrink_to_fit();
    index_buckets();
}

void StoredSongPaths::remember(std::string_view path) {
    recent_.insert(digest(path));
    if (recent_.size() >= std::max(kSmallestBatch, sorted_.size() / 8)) {
        merge_recent();
    }
}

// The batch is sorted and merged in: each digest is moved a number of times
// that grows with the logarithm of the songs, as a batch is an eighth of
// what is sorted already.
void StoredSongPaths::merge_recent() {
    const auto middle = static_cast<std::ptrdiff_t>(sorted_.size());
    sorted_.insert(sorted_.end(), recent_.begin(), recent_.end());
    std::sort(sorted_.begin() + middle, sorted_.end());
    std::inplace_merge(sorted_.begin(), sorted_.begin() + middle, sorted_.end());
    recent_.clear();
    index_buckets();
}

// One pass over the sorted digests, as often as they are sorted again.
void StoredSongPaths::index_buckets() {
    bucket_bits_ = std::bit_width(sorted_.size() / kDigestsPerBucket);
    const std::size_t buckets = std::size_t{1} << bucket_bits_;
    bucket_starts_.assign(buckets + 1, 0);
    std::size_t at = 0;
    for (std::size_t b = 0; b < buckets; ++b) {
        bucket_starts_[b] = static_cast<std::uint32_t>(at);
        while (at < sorted_.size() && bucket_of(sorted_[at]) == b) {
            ++at;
        }
    }
    bucket_starts_[buckets] = static_cast<std::uint32_t>(sorted_.size());
}

std::size_t StoredSongPaths::bucket_of(std::uint64_t digest) const {
    return bucket_bits_ == 0 ? 0 : static_cast<std::size_t>(digest >> (64 - bucket_bits_));
}

bool StoredSongPaths::contains(std::string_view path) const {
    const std::uint64_t d = digest(path);
    auto first = sorted_.begin();
    auto last = sorted_.end();
    if (!bucket_starts_.empty()) {
        const std::size_t b = bucket_of(d);
        first = sorted_.begin() + bucket_starts_[b];
        last = sorted_.begin() + bucket_starts_[b + 1];
    }
    return std::binary_search(first, last, d) || recent_.contains(d);
}

}  // namespace songdb
