// Conversion between the code-page bytes that Access 97 files store and UTF-8.
//
// Access 97 writes text in the Windows ANSI code page of the machine that wrote
// it and leaves the header's code page field at 1252, so the code page of the
// data is chosen for each database when it is opened (data_code_page.h).
//
// The single-byte code pages map every byte as Windows does
// (MultiByteToWideChar without MB_ERR_INVALID_CHARS): each of the 256 bytes
// has a character of its own, so any stored text reads as characters and
// writes back as the same bytes. A byte a code page leaves unassigned reads as
// the character Windows gives it: in 0x80-0x9F the C1 control of the same
// number (0x81 in 1252 is U+0081), elsewhere a private-use character (0xFC in
// 874 is U+F8C5) or, for 0xCA in 1255, the Hebrew point U+05BA. The tables
// are written by tools/gen_codepages.py, which lists those entries.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace jet {

// Raised when text cannot be represented in the target code page, or when a
// code page number is not supported.
class CodePageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class CodePage {
  public:
    // The code page with this Windows number; throws CodePageError if unsupported.
    static const CodePage& get(int number);
    static bool supported(int number);

    virtual ~CodePage() = default;
    virtual int number() const = 0;
    // Every byte has a character, so any bytes convert.
    virtual std::string to_utf8(std::string_view bytes) const = 0;
    // The inverse of to_utf8: from_utf8(to_utf8(b)) == b for all bytes b.
    // Throws CodePageError naming the first character the code page cannot hold.
    virtual std::string from_utf8(std::string_view utf8) const = 0;
    // Whether from_utf8 converts the text: valid UTF-8 whose every character
    // the code page holds.
    bool can_store(std::string_view utf8) const;
};

// The system's code page, which a database's text is read and written in
// when neither the user nor its stored text names one (data_code_page.h): on
// Windows the system ANSI code page; elsewhere the one that the locale
// (LC_ALL, LC_CTYPE, LANG) implies, e.g. Thai locales give 874, and 1252 when
// nothing better is known.
int data_code_page_for_locale();

// Where data_code_page_for_locale found its answer, for people: e.g. "the
// system's ANSI code page" or "the system's code page (LANG=th_TH.UTF-8)".
std::string data_code_page_source();

}  // namespace jet
