// What the text a database already holds says about the code page it was
// written in; the second rule of the data code page (data_code_page.h).
//
// Looked at, in this order: the names in the catalogue (tables, queries,
// forms and the rest), the column and index names of the user's tables, then
// the values of their Text columns, table by table in catalogue order. Each
// name or value holding a byte other than ASCII and the few bytes 874 and
// 1252 share is one piece of evidence, Thai or not Thai as
// thai_874_evidence (thai_874_text.h) judges it:
//   - Thai when at least three pieces in four read as Thai: Access wrote
//     the text on a Thai Windows, in 874;
//   - NotThai when there is evidence and less of it reads as Thai: the text
//     is in some other code page;
//   - None when there is no evidence: nothing stored shows a code page.
// The look ends as soon as the verdict is firm (firm_evidence pieces) or
// after `rows` rows in all, so that opening a database of a million rows
// costs no full read: the verdict comes from the first rows, which is where
// a catalogue's text is as telling as anywhere. Memo values are not read:
// they lie on pages of their own. A table that cannot be read (damaged) is
// passed over; its damage is reported where the table is used.
#pragma once

#include <cstddef>
#include <vector>

#include "jet/catalogue.h"
#include "jet/codepage.h"
#include "jet/pager.h"

namespace jet {

enum class StoredTextVerdict { None, Thai, NotThai };

struct StoredTextLimits {
    std::size_t firm_evidence = 200;
    std::size_t rows = 100'000;
};

// `catalogue` is the database's catalogue as read with `names_page`, the
// code page the names were decoded with; their bytes are got back from it.
StoredTextVerdict judge_stored_text(Pager& pager, const std::vector<CatalogueEntry>& catalogue,
                                    const CodePage& names_page,
                                    const StoredTextLimits& limits = {});

}  // namespace jet
