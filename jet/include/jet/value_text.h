// Text forms of column values, as `dump` prints them.
//
// JSON (one value of a JSON object):
//   NULL            null
//   Text, Memo      a JSON string of the value converted from the code page to UTF-8;
//                   ", \, \b, \f, \n, \r, \t escaped so, other characters below
//                   U+0020 as \u00xx (lower-case hex), everything else as is
//   Byte, Integer,  a plain number
//   Long
//   Single          rounded to 7 significant digits (halves away from zero), then
//                   written like Double
//   Double          the shortest digits that read back as the same double, laid
//                   out as JavaScript writes numbers: 3, 0.5, 1e+21, 1e-7, 1.5e-7;
//                   NaN and infinities (not JSON numbers) are null
//   Currency        a string with exactly 4 decimals: "12.5000", "-0.0100"
//   Date/Time       a string "YYYY-MM-DDTHH:MM:SS"; the integer part of the stored
//                   day count (towards zero) is the day after 1899-12-30, the
//                   fraction's magnitude the time from that day's midnight
//                   (-1.25 is 1899-12-29T06:00:00); rounded to the nearest
//                   second, a full day carrying into the next day
//   Binary, OLE     a string of lower-case hex digits
//   Replication ID  a string "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case
//   Yes/No          true or false
//
// CSV (one field): the same texts without JSON quoting or escaping: numbers
// as above (NaN, Infinity, -Infinity for non-finite floats), booleans true /
// false, currency, dates, hex and Replication IDs bare. Text is quoted with
// double quotes (inner quotes doubled) when it holds a comma, quote, CR or LF,
// or starts or ends with a space or tab. NULL is an empty field; empty text
// is "" so that it stays apart from NULL.
#pragma once

#include <string>

#include "jet/codepage.h"
#include "jet/value.h"

namespace jet {

// Both throw std::invalid_argument when the value is not of the column's type,
// and std::out_of_range for a date outside the years 0000-9999.
std::string json_value(const Value& value, ColumnType type, const CodePage& code_page);
std::string csv_value(const Value& value, ColumnType type, const CodePage& code_page);

}  // namespace jet
