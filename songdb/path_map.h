// Paths for another machine. A catalogue may be prepared on one machine (or
// on the song drive mounted elsewhere) for a player that finds the songs
// under another folder: each mapping FROM=TO stores every path under FROM as
// the same path under TO, written with TO's separator, so that
// /media/usb/Karaoke=D:\Karaoke stores /media/usb/Karaoke/midi/a/0001.mid
// as D:\Karaoke\midi\a\0001.mid.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace songdb {

struct PathMapping {
    std::string from;  // an absolute folder of this machine, UTF-8, no trailing separator
    std::string to;    // the same folder as the player finds it, no trailing separator
};

// The mapping of one "FROM=TO" argument, split at the first '='; FROM is made
// absolute against the current folder. Throws std::invalid_argument saying
// what is wrong and what is expected.
PathMapping parse_path_mapping(std::string_view from_equals_to);

class PathMap {
  public:
    void add(PathMapping mapping);
    bool empty() const { return mappings_.empty(); }
    const std::vector<PathMapping>& mappings() const { return mappings_; }

    // `path` (native, UTF-8) as stored: under the longest FROM that holds it,
    // moved under its TO with TO's separator; unchanged when no FROM holds it.
    // A TO that starts with a drive letter or "\\" takes '\' (its own '/'
    // included), one that holds '\' and no '/' too, any other '/'.
    std::string stored_path(const std::string& path) const;

  private:
    std::vector<PathMapping> mappings_;
};

}  // namespace songdb
