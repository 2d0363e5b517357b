// Text keys under the Access 97 "General" sort order.
//
// Each code-page byte has one entry in the weight table below:
//   P(w)     plain character: weight w;
//   A(w)     letter that can carry an accent, written without one: weight w;
//   X(w, a)  accented letter: the weight w of its base letter, accent nibble a
//            (3 grave, 4 acute, 5 circumflex, 6 diaeresis, 7 tilde, 8 ring,
//            9 cedilla, A caron);
//   D(w, v)  a ligature sorted as two unaccented letters (Æ, Œ, ß): weights w, v.
// Byte 0x00 weighs 0x10 like the other control characters.
//
// Key = the weights of every byte, then the accent list. The accent list is
// empty until the first accented letter; that letter puts a 0 nibble, then one
// nibble 2 for every unaccented accentable letter seen before it, then its own
// accent nibble; every later accented letter puts one 2 per unaccented
// accentable letter since the previous accented one, then its accent nibble
// (a ligature counts as two such letters). A non-empty list ends with a 0
// nibble, is padded with a 0 nibble to whole bytes and is packed high nibble
// first; an empty list is written as a single 0x00 byte.
//
// Example: "Café" -> weights 62 60 67 66, nibbles 0 2 2 4 0 (+ pad 0)
//          -> 62 60 67 66 02 24 00.
#include "jet/general_sort.h"

#include <array>

namespace jet {
namespace {

enum class WeightKind : std::uint8_t { Plain, Accentable, Accented, Ligature };

struct Weight {
    WeightKind kind;
    std::uint8_t first;
    std::uint8_t second;  // ligatures: second weight; accented letters: accent nibble
};

constexpr Weight P(std::uint8_t w) {
    return {WeightKind::Plain, w, 0};
}
constexpr Weight A(std::uint8_t w) {
    return {WeightKind::Accentable, w, 0};
}
constexpr Weight X(std::uint8_t w, std::uint8_t accent) {
    return {WeightKind::Accented, w, accent};
}
constexpr Weight D(std::uint8_t w, std::uint8_t v) {
    return {WeightKind::Ligature, w, v};
}

// clang-format off
constexpr std::array<Weight, 256> kGeneralWeights = {
    // 0x00-0x0F
    P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10),
    P(0x10), P(0x11), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10),
    // 0x10-0x1F
    P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10),
    P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10), P(0x10),
    // 0x20-0x2F
    P(0x11), P(0x12), P(0x13), P(0x14), P(0x15), P(0x16), P(0x17), P(0x18),
    P(0x19), P(0x1A), P(0x1B), P(0x1C), P(0x1D), P(0x1E), P(0x1F), P(0x20),
    // 0x30-0x3F
    P(0x56), P(0x57), P(0x58), P(0x59), P(0x5A), P(0x5B), P(0x5C), P(0x5D),
    P(0x5E), P(0x5F), P(0x21), P(0x22), P(0x23), P(0x24), P(0x25), P(0x26),
    // 0x40-0x4F
    P(0x27), A(0x60), P(0x61), A(0x62), P(0x64), A(0x66), P(0x67), P(0x68),
    P(0x69), A(0x6A), P(0x6B), P(0x6C), P(0x6D), P(0x6F), A(0x70), A(0x72),
    // 0x50-0x5F
    P(0x73), P(0x74), P(0x75), A(0x76), P(0x77), A(0x78), P(0x7A), P(0x7B),
    P(0x7C), A(0x7D), P(0x7E), P(0x28), P(0x29), P(0x2A), P(0x2B), P(0x2C),
    // 0x60-0x6F
    P(0x2D), A(0x60), P(0x61), A(0x62), P(0x64), A(0x66), P(0x67), P(0x68),
    P(0x69), A(0x6A), P(0x6B), P(0x6C), P(0x6D), P(0x6F), A(0x70), A(0x72),
    // 0x70-0x7F
    P(0x73), P(0x74), P(0x75), A(0x76), P(0x77), A(0x78), P(0x7A), P(0x7B),
    P(0x7C), A(0x7D), P(0x7E), P(0x2E), P(0x2F), P(0x30), P(0x31), P(0x10),
    // 0x80-0x8F
    P(0x10), P(0x10), P(0x18), P(0x32), P(0x13), P(0x33), P(0x34), P(0x35),
    P(0x36), P(0x37), X(0x76, 0xA), P(0x18), D(0x72, 0x66), P(0x10), P(0x10), P(0x10),
    // 0x90-0x9F
    P(0x10), P(0x18), P(0x18), P(0x13), P(0x13), P(0x38), P(0x1E), P(0x1E),
    P(0x39), P(0x3A), X(0x76, 0xA), P(0x18), D(0x72, 0x66), P(0x10), P(0x10), X(0x7D, 6),
    // 0xA0-0xAF
    P(0x11), P(0x3B), P(0x3C), P(0x3D), P(0x3E), P(0x3F), P(0x40), P(0x41),
    P(0x42), P(0x43), P(0x44), P(0x13), P(0x45), P(0x1E), P(0x46), P(0x47),
    // 0xB0-0xBF
    P(0x48), P(0x49), P(0x58), P(0x59), P(0x4A), P(0x4B), P(0x4C), P(0x4D),
    P(0x4E), P(0x57), P(0x4F), P(0x13), P(0x50), P(0x51), P(0x52), P(0x53),
    // 0xC0-0xCF
    X(0x60, 3), X(0x60, 4), X(0x60, 5), X(0x60, 7), X(0x60, 6), X(0x60, 8), D(0x60, 0x66), X(0x62, 9),
    X(0x66, 3), X(0x66, 4), X(0x66, 5), X(0x66, 6), X(0x6A, 3), X(0x6A, 4), X(0x6A, 5), X(0x6A, 6),
    // 0xD0-0xDF
    P(0x65), X(0x70, 7), X(0x72, 3), X(0x72, 4), X(0x72, 5), X(0x72, 7), X(0x72, 6), P(0x54),
    P(0x81), X(0x78, 3), X(0x78, 4), X(0x78, 5), X(0x78, 6), X(0x7D, 4), P(0x7F), D(0x76, 0x76),
    // 0xE0-0xEF
    X(0x60, 3), X(0x60, 4), X(0x60, 5), X(0x60, 7), X(0x60, 6), X(0x60, 8), D(0x60, 0x66), X(0x62, 9),
    X(0x66, 3), X(0x66, 4), X(0x66, 5), X(0x66, 6), X(0x6A, 3), X(0x6A, 4), X(0x6A, 5), X(0x6A, 6),
    // 0xF0-0xFF
    P(0x65), X(0x70, 7), X(0x72, 3), X(0x72, 4), X(0x72, 5), X(0x72, 7), X(0x72, 6), P(0x55),
    P(0x81), X(0x78, 3), X(0x78, 4), X(0x78, 5), X(0x78, 6), X(0x7D, 4), P(0x7F), X(0x7D, 6),
};
// clang-format on

constexpr std::size_t kMaxKeyCharacters = 255;

// Collects accent nibbles and packs them two to a byte.
class AccentList {
  public:
    bool empty() const { return nibbles_.empty(); }
    void put(std::uint8_t nibble) { nibbles_.push_back(nibble); }
    void append_packed(std::vector<std::uint8_t>& out) const {
        for (std::size_t i = 0; i < nibbles_.size(); i += 2) {
            std::uint8_t low = i + 1 < nibbles_.size() ? nibbles_[i + 1] : 0;
            out.push_back(static_cast<std::uint8_t>(nibbles_[i] << 4 | low));
        }
    }

  private:
    std::vector<std::uint8_t> nibbles_;
};

}  // namespace

bool sort_order_supported(int sort_order) {
    return sort_order == kGeneralSortOrder;
}

std::string sort_order_name(int sort_order) {
    switch (sort_order) {
        case kGeneralSortOrder:
            return "General (1033)";
        case 1054:
            return "Thai (1054)";
        default:
            return "sort order " + std::to_string(sort_order);
    }
}

void require_sort_order_supported(int sort_order, std::string_view what) {
    if (sort_order_supported(sort_order)) {
        return;
    }
    throw SortOrderError(std::string(what) + " uses " + sort_order_name(sort_order) +
                         ", whose text keys this engine cannot build; only General (1033) "
                         "is supported");
}

void append_general_text_key(std::vector<std::uint8_t>& out, std::string_view bytes) {
    bytes = bytes.substr(0, kMaxKeyCharacters);
    while (!bytes.empty() && bytes.back() == ' ') {
        bytes.remove_suffix(1);
    }
    AccentList accents;
    unsigned unaccented = 0;
    for (char c : bytes) {
        const Weight& w = kGeneralWeights[static_cast<std::uint8_t>(c)];
        out.push_back(w.first);
        switch (w.kind) {
            case WeightKind::Plain:
                break;
            case WeightKind::Accentable:
                ++unaccented;
                break;
            case WeightKind::Ligature:
                out.push_back(w.second);
                unaccented += 2;
                break;
            case WeightKind::Accented:
                if (accents.empty()) {
                    accents.put(0);
                }
                for (; unaccented > 0; --unaccented) {
                    accents.put(2);
                }
                accents.put(w.second);
                break;
        }
    }
    if (accents.empty()) {
        out.push_back(0x00);
        return;
    }
    accents.put(0);
    accents.append_packed(out);
}

}  // namespace jet
