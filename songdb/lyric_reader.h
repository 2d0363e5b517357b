// The first lines of a lyric file, as text.
//
// A lyric file is a text file of lines: the song's title, its artist, then the
// lyrics. Lines end in CR LF, LF or CR. A file that starts with a byte-order
// mark is UTF-8 (EF BB BF), UTF-16 little-endian (FF FE) or big-endian (FE FF)
// and is decoded accordingly; any other file holds bytes of the database's
// data code page (Thai lyric files are Windows-874) and is read as such.
#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "jet/codepage.h"

namespace songdb {

// A lyric file that cannot be opened or read, or whose text cannot be decoded;
// the message names the file.
class LyricError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads at most `max_lines` lines of the file, without their line ends, as
// UTF-8. An empty file has no line; a last line without a line end counts.
// Only as much of the file is read as those lines need, and the file is closed
// on every way out.
std::vector<std::string> read_lyric_lines(const std::filesystem::path& path,
                                          const jet::CodePage& code_page,
                                          std::size_t max_lines = 3);

}  // namespace songdb
