// Conversion between the code-page bytes that Access 97 files store and UTF-8.
//
// Access 97 writes text in the Windows ANSI code page of the machine that wrote
// it and leaves the header's code page field at 1252, so the code page of the
// data is a choice the caller makes (see data_code_page_for_locale).
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
    // Bytes that the code page leaves undefined become U+FFFD.
    virtual std::string to_utf8(std::string_view bytes) const = 0;
    // Throws CodePageError naming the first character the code page cannot hold.
    virtual std::string from_utf8(std::string_view utf8) const = 0;
};

// The data code page a database is read and written in when the user names
// none: on Windows the system ANSI code page; elsewhere the one that the
// locale (LC_ALL, LC_CTYPE, LANG) implies, e.g. Thai locales give 874, and
// 1252 when nothing better is known.
int data_code_page_for_locale();

}  // namespace jet
