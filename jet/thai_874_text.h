// Whether stored bytes read as Thai text in Windows code page 874.
//
// Thai in code page 874 (TIS-620 with the Windows punctuation) is a script
// with a strict order of characters: consonants 0xA1-0xCE carry the vowel and
// tone marks written above and below them (0xD1, 0xD4-0xDA, 0xE7-0xEE), the
// leading vowels 0xE0-0xE4 stand before a consonant, the following vowels
// 0xD0, 0xD2, 0xD3 and 0xE5 after a letter. Text of another code page read as
// 874 breaks that order at once: an accented Western letter between ASCII
// letters becomes a lone Thai character or digit inside a Latin word, a mark
// after a Latin letter or a digit, or a byte 874 leaves unassigned; a lone
// symbol (£, ©, °, ½ and the like) becomes a lone Thai consonant.
#pragma once

#include <string_view>

namespace jet {

enum class ThaiEvidence {
    // Nothing but ASCII and the bytes 874 shares with 1252 (0x80 €, 0x85 …,
    // 0x91-0x97 quotes, bullet and dashes, 0xA0 no-break space), which read
    // alike in both and say nothing.
    None,
    // Well-formed Thai: every other byte a Thai character in a valid order,
    // with at least one word (a run of two or more Thai characters, one of
    // them a consonant), and every run that touches an ASCII letter a word.
    Thai,
    // Bytes that are no well-formed Thai.
    NotThai,
};

ThaiEvidence thai_874_evidence(std::string_view bytes);

}  // namespace jet
