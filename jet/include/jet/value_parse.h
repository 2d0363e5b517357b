// Values from text: how a string set into a field becomes the column's value,
// following the conversions Access applies when a field is set from a string.
//
//   Text, Memo      the text as it is (no trimming), converted from UTF-8 to the
//                   code page; a Text longer than the column's size in bytes, or
//                   a Memo longer than a long value holds (2^30 - 1 bytes), is
//                   refused as "field too small"
//   Byte, Integer,  a decimal number: blanks (space, tab) around it, an optional
//   Long            sign, digits with an optional fraction ("12", "-3.5", ".5",
//                   "7."); a fraction is rounded half to even as Access's
//                   integer conversions do (2.5 gives 2, 3.5 gives 4, -2.5 gives
//                   -2); out of the type's range after rounding: overflow
//   Currency        the same form, exact to 4 decimals; further decimals are
//                   rounded half to even (the automation currency conversion
//                   Access uses rounds so), out of the 64-bit range: overflow
//   Single, Double  the same form with an optional exponent ("1.5e-7", "2E+10");
//                   the nearest value of the type; too large: overflow; too small
//                   to represent: zero. NaN and infinities are not accepted
//   Date/Time       "YYYY-MM-DD", optionally followed by "THH:MM", "THH:MM:SS",
//                   " HH:MM" or " HH:MM:SS"; blanks around it; years 100-9999 as
//                   Access allows (others: overflow). Stored as days since
//                   1899-12-30 plus the time as a fraction of a day; before
//                   1899-12-30 the integer part is the (negative) day and the
//                   fraction still counts forward from its midnight
//   Yes/No          True, False, Yes, No, On, Off in any case, or a number as
//                   above (0 is false, any other number true)
//   Replication ID  "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in any case, blanks
//                   around it, stored with its first three groups little-endian
//   Binary, OLE     hexadecimal digits in pairs, any case, nothing between them
//                   ("", "00ff1A"); a Binary longer than its column is "field
//                   too small"
//
// These are the inverse of the text forms that `dump` prints (value_text.h):
// every value printed there reads back to the same value here, except Single
// values whose 7 printed digits do not identify the float and Date/Time
// values with fractions of a second (the engine's own timestamps in the
// catalogue), which the printed form rounds to the second. A time of day is
// computed as seconds times 1/86400, which gives the last bit of the double
// exactly as the real files store it (dividing by 86400 differs in the last
// bit for some times).
#pragma once

#include <string_view>

#include "jet/codepage.h"
#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

// The value `utf8` gives when set into `column`. Throws WriteRefused (kinds
// Conversion, Overflow, FieldTooSmall) naming the column and the text, and
// CodePageError for text the code page cannot represent.
Value value_from_text(std::string_view utf8, const Column& column, const CodePage& code_page);

}  // namespace jet
