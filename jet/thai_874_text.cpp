#include "jet/thai_874_text.h"

#include <algorithm>

#include <cstddef>
#include <cstdint>

namespace jet {
namespace {

enum class Kind {
    Ascii,
    Shared,          // means the same in 874 as in 1252
    Unassigned,      // no character of 874
    Consonant,       // 0xA1-0xCE
    Mark,            // vowel or tone mark written above or below a consonant
    LeadingVowel,    // written before the consonant it follows in speech
    FollowingVowel,  // written after a letter
    Sign,            // ฯ, ๆ, ฿, ๏, ๚, ๛: stand on their own
    Digit,           // Thai digits 0xF0-0xF9
};

Kind kind_of(std::uint8_t b) {
    if (b < 0x80)
        return Kind::Ascii;
    if (b == 0x80 || b == 0x85 || (b >= 0x91 && b <= 0x97) || b == 0xA0)
        return Kind::Shared;
    if (b < 0xA0 || (b >= 0xDB && b <= 0xDE) || b >= 0xFC)
        return Kind::Unassigned;
    if (b <= 0xCE)
        return Kind::Consonant;
    if (b == 0xD1 || (b >= 0xD4 && b <= 0xDA) || (b >= 0xE7 && b <= 0xEE))
        return Kind::Mark;
    if (b >= 0xE0 && b <= 0xE4)
        return Kind::LeadingVowel;
    if (b == 0xD0 || b == 0xD2 || b == 0xD3 || b == 0xE5)
        return Kind::FollowingVowel;
    if (b >= 0xF0 && b <= 0xF9)
        return Kind::Digit;
    return Kind::Sign;
}

bool thai(Kind kind) {
    return kind != Kind::Ascii && kind != Kind::Shared && kind != Kind::Unassigned;
}

bool ascii_letter(std::uint8_t b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

}  // namespace

ThaiEvidence thai_874_evidence(std::string_view bytes) {
    // Most stored text is ASCII alone, which tells nothing: said at once.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<std::uint8_t>(c) < 0x80; }))
        return ThaiEvidence::None;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    bool any_thai = false;
    bool any_word = false;  // a run of two or more Thai characters, one a consonant
    Kind previous = Kind::Ascii;
    int marks_on_consonant = 0;
    std::size_t run_start = 0;  // of the current run of Thai characters
    bool run_has_consonant = false;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        const Kind kind = i < bytes.size() ? kind_of(byte(i)) : Kind::Ascii;
        if (kind == Kind::Unassigned)
            return ThaiEvidence::NotThai;
        if (thai(kind) && !thai(previous)) {
            run_start = i;
            run_has_consonant = false;
        }
        run_has_consonant = run_has_consonant || kind == Kind::Consonant;
        // Against a Latin letter, a run that is no Thai word (one character,
        // or no consonant: digits, signs) is accented letters of a Latin word
        // read in the wrong code page.
        if (!thai(kind) && thai(previous)) {
            const bool word = i - run_start > 1 && run_has_consonant;
            const bool letter_before = run_start > 0 && ascii_letter(byte(run_start - 1));
            const bool letter_after = i < bytes.size() && ascii_letter(byte(i));
            if (!word && (letter_before || letter_after))
                return ThaiEvidence::NotThai;
            any_word = any_word || word;
        }
        switch (kind) {
            case Kind::Mark:
                // On a consonant, at most two stacked (a vowel and a tone mark).
                if (previous == Kind::Consonant) {
                    marks_on_consonant = 1;
                } else if (previous == Kind::Mark && marks_on_consonant == 1) {
                    marks_on_consonant = 2;
                } else {
                    return ThaiEvidence::NotThai;
                }
                break;
            case Kind::LeadingVowel:
                if (i + 1 >= bytes.size() || kind_of(byte(i + 1)) != Kind::Consonant)
                    return ThaiEvidence::NotThai;
                break;
            case Kind::FollowingVowel:
                if (previous != Kind::Consonant && previous != Kind::Mark &&
                    previous != Kind::FollowingVowel)
                    return ThaiEvidence::NotThai;
                break;
            default:
                break;
        }
        any_thai = any_thai || thai(kind);
        previous = kind;
    }
    if (!any_thai)
        return ThaiEvidence::None;
    // Lone characters with no word among them are symbols of another code
    // page (£, ©, °, ½ and the like fall on Thai consonants).
    return any_word ? ThaiEvidence::Thai : ThaiEvidence::NotThai;
}

}  // namespace jet
