// The data code page of one open database: the code page its text is read
// and written in. Access 97 stores text in the ANSI code page of the Windows
// that wrote it and leaves the header's field at 1252, so the page is chosen
// when the database is opened, by the first of these rules that applies:
//   1. Named: the caller named it (OpenOptions::code_page, --codepage).
//   2. Shown by the text already stored (stored_text.h): Thai text gives 874
//      (StoredTextIsThai); other text rules 874 out and gives the system's
//      code page, or 1252 when the system's is 874 (StoredTextIsNotThai).
//   3. System: the system's code page, Windows' ANSI code page or the one
//      the locale implies (data_code_page_for_locale, codepage.h).
//   4. TextBeingAdded: while the page came from rule 3, so that nothing
//      stored holds a byte beyond ASCII, a text being added that the system's
//      page cannot store and 874 can, or bytes of text in no named code page
//      that read as Thai, switch the database to 874 for the rest of its
//      open. A Thai catalogue started on a machine whose page is
//      not Thai is written in 874, and read as Thai again by rule 2.
//      Once a text beyond ASCII has been stored in the system's page, that
//      page stays.
#pragma once

#include <string>
#include <string_view>

#include "jet/codepage.h"
#include "jet/database.h"
#include "jet/stored_text.h"

namespace jet {

// The rules above are named by CodePageRule, in database.h.

class DataCodePage {
  public:
    // Rule 1; throws CodePageError when the code page is not supported.
    static DataCodePage named(int number);
    // Rule 3, until follow_stored_text is told what the stored text shows.
    static DataCodePage system();

    // Rule 2 over rule 3: returns whether the page changed.
    bool follow_stored_text(StoredTextVerdict verdict);

    const CodePage& page() const { return *page_; }
    CodePageRule rule() const { return rule_; }
    // The rule as a sentence for people, e.g. "the catalogue's text is Thai".
    std::string reason() const;

    // The page to store `utf8` in: page(), after applying rule 4 to the text.
    const CodePage& page_for_text(std::string_view utf8);
    // The page to read `bytes` of text in whose code page nothing names (a
    // text file without a byte-order mark): page(), after applying rule 4 to
    // them, where bytes that read as Thai (thai_874_text.h) are Thai text
    // being added.
    const CodePage& page_for_bytes(std::string_view bytes);

  private:
    DataCodePage(const CodePage& page, CodePageRule rule);

    const CodePage* page_;
    CodePageRule rule_;
    // The system's code page (rule 3), which rules 2 and 4 start from, and
    // where it came from.
    int system_number_;
    std::string system_source_;
    // A text beyond ASCII was given to be stored in the system's page, so
    // the data now shows that page and rule 4 no longer applies.
    bool system_page_in_use_ = false;
};

}  // namespace jet
