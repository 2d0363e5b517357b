// The songs a catalogue holds already, by the path of their MIDI file, so that
// an update stores each song once however often it runs over the same
// folders. The paths are read in one pass over the table at the start of a
// run and kept as 64-bit digests of their comparison keys
// (path_comparison.h): eight bytes a song, so a catalogue of a million songs
// costs 8 MB, and two different paths share a digest with a chance of about
// one in 10^7 even then. The songs stored during the run join them in
// sorted batches, so that they too cost eight bytes a song. A look-up goes
// straight to the few digests that share its leading bits (the digests are
// spread evenly), rather than halving its way through megabytes of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace songdb {

class StoredSongPaths {
  public:
    // While the catalogue is read: a path it holds.
    void add_stored(std::string_view path);
    // After the last add_stored, before the first contains.
    void finish_reading();

    // A path stored during the run.
    void remember(std::string_view path);
    // Whether the catalogue holds `path`, read or stored during the run.
    bool contains(std::string_view path) const;

  private:
    // Songs stored in the run wait in a hash set until they are an eighth of
    // the others, or at least this many, and are then merged in.
    static constexpr std::size_t kSmallestBatch = 4096;

    // About this many digests share a bucket of leading bits.
    static constexpr std::size_t kDigestsPerBucket = 8;

    void merge_recent();
    void index_buckets();
    // The bucket of `digest`: its leading bucket_bits_ bits.
    std::size_t bucket_of(std::uint64_t digest) const;

    // The songs read, sorted by finish_reading(), and those stored in the
    // run merged in since.
    std::vector<std::uint64_t> sorted_;
    // The digests of sorted_ whose leading bucket_bits_ bits read b lie at
    // [bucket_starts_[b], bucket_starts_[b + 1]); empty before the first
    // sorting, when the whole of sorted_ is searched.
    std::vector<std::uint32_t> bucket_starts_;
    int bucket_bits_ = 0;
    // Songs stored in the run since the last merge.
    std::unordered_set<std::uint64_t> recent_;
};

}  // namespace songdb
