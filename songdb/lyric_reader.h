// The first lines of a lyric file, as text.
//
// A lyric file is a text file of lines: the song's title, its artist, then the
// lyrics. Lines end in CR LF, LF or CR. A file that starts with a byte-order
// mark is UTF-8 (EF BB BF), UTF-16 little-endian (FF FE) or big-endian (FE FF)
// and is decoded accordingly. A file without a mark whose lines read are
// valid UTF-8 and hold characters beyond ASCII is UTF-8 (as editors save it
// today); any other holds bytes of the database's data code page (Thai lyric
// files are Windows-874) and is read as such.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
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

// The first lines of a lyric file as read, before a code page is chosen for
// them: UTF-8 text, or bytes of a code page the file does not name.
struct LyricLines {
    std::vector<std::string> lines;
    bool in_code_page = false;  // the lines are bytes of an unnamed code page

    // The lines joined by LF: what a code page is chosen by.
    std::string bytes() const;
    // The lines as UTF-8, bytes of an unnamed code page taken as `code_page`.
    std::vector<std::string> decoded(const jet::CodePage& code_page) const;
};

// Reads at most `max_lines` lines of the file, without their line ends, as
// read_lyric_lines describes; UTF-8 and UTF-16 files are decoded.
LyricLines read_lyric_file(const std::filesystem::path& path, std::size_t max_lines = 3);
LyricLines read_lyric_file(std::istream& in, const std::string& name, std::size_t max_lines = 3);

// Reads at most `max_lines` lines of the file, without their line ends, as
// UTF-8. An empty file has no line; a last line without a line end counts.
// Only as much of the file is read as those lines need, and the file is closed
// on every way out.
//
// A line is read up to 64 KiB of the file's bytes, far more than a Text
// column holds (255 bytes). A longer line is cut there, after its last whole
// character, and is the last line returned: the rest of the file is not read,
// as the next line could only be found by reading all of the long one. So a
// huge file, with or without line ends, costs at most 64 KiB a line to read;
// a cut title or artist is then refused when stored, as too long for its
// column.
std::vector<std::string> read_lyric_lines(const std::filesystem::path& path,
                                          const jet::CodePage& code_page,
                                          std::size_t max_lines = 3);

// The same from a stream positioned at the start of the text; `name` names
// it in messages.
std::vector<std::string> read_lyric_lines(std::istream& in, const std::string& name,
                                          const jet::CodePage& code_page,
                                          std::size_t max_lines = 3);

}  // namespace songdb
