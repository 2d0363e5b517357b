// Single-byte Windows code pages: byte-to-character tables generated into
// codepage_tables.cpp, and their inverse built once per code page on first use.
#include "jet/codepage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "jet/codepage_tables.h"
#include "jet/system_code_page.h"
#include "jet/unicode.h"

namespace jet {

namespace {

std::string code_point_name(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

class SingleByteCodePage final : public CodePage {
  public:
    explicit SingleByteCodePage(const SingleByteTable& table) : table_(table) {
        for (int i = 0; i < 128; ++i) {
            to_byte_.emplace_back(table.upper[i], static_cast<char>(0x80 + i));
        }
        std::sort(to_byte_.begin(), to_byte_.end());
    }

    int number() const override { return table_.number; }

    std::string to_utf8(std::string_view bytes) const override {
        std::string out;
        out.reserve(bytes.size());
        for (const char byte : bytes) {
            const auto b = static_cast<std::uint8_t>(byte);
            if (b < 0x80) {
                out += byte;
            } else {
                append_utf8(out, table_.upper[b - 0x80]);
            }
        }
        return out;
    }

    std::string from_utf8(std::string_view utf8) const override {
        // ASCII is the same in UTF-8 and in every code page here: copied in
        // one piece, up to the first byte beyond it.
        const auto beyond_ascii = std::find_if(
            utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        std::string out(utf8.begin(), beyond_ascii);
        if (beyond_ascii == utf8.end()) {
            return out;
        }
        out.reserve(utf8.size());
        std::size_t pos = out.size();
        while (pos < utf8.size()) {
            const std::optional<char32_t> next = next_utf8(utf8, pos);
            if (!next) {
                throw CodePageError("invalid UTF-8 at byte " + std::to_string(pos) +
                                    " of the text");
            }
            const char32_t c = *next;
            if (c < 0x80) {
                out += static_cast<char>(c);
                continue;
            }
            const auto found =
                std::lower_bound(to_byte_.begin(), to_byte_.end(), c,
                                 [](const auto& entry, char32_t key) { return entry.first < key; });
            if (found == to_byte_.end() || found->first != c) {
                throw CodePageError("character " + code_point_name(c) +
                                    " cannot be stored in code page " +
                                    std::to_string(table_.number));
            }
            out += found->second;
        }
        return out;
    }

  private:
    const SingleByteTable& table_;
    std::vector<std::pair<char32_t, char>> to_byte_;  // sorted by character
};

const SingleByteTable* find_table(int number) {
    for (const auto& table : kSingleByteTables) {
        if (table.number == number)
            return &table;
    }
    return nullptr;
}

std::string supported_list() {
    std::string list;
    for (const auto& table : kSingleByteTables) {
        if (!list.empty())
            list += ", ";
        list += std::to_string(table.number);
    }
    return list;
}

// The code page a POSIX locale name such as "th_TH.UTF-8" or "sr_RS@latin" implies.
int code_page_for_locale_name(std::string_view locale) {
    const std::size_t language_end = locale.find_first_of("_.@");
    const std::string_view language = locale.substr(0, language_end);
    const bool latin_script = locale.find("@latin") != std::string_view::npos;
    const auto one_of = [&](std::initializer_list<std::string_view> languages) {
        return std::find(languages.begin(), languages.end(), language) != languages.end();
    };
    const auto if_supported = [](int number) {
        return CodePage::supported(number) ? number : 1252;
    };

    if (language == "th")
        return 874;
    if (language == "ja")
        return if_supported(932);
    if (language == "ko")
        return if_supported(949);
    if (language == "zh") {
        const bool traditional = locale.starts_with("zh_TW") || locale.starts_with("zh_HK") ||
                                 locale.starts_with("zh_MO");
        return if_supported(traditional ? 950 : 936);
    }
    if (language == "sr")
        return latin_script ? 1250 : 1251;
    if (one_of({"cs", "pl", "hu", "sk", "sl", "hr", "ro", "sq", "bs"}))
        return 1250;
    if (one_of({"ru", "uk", "bg", "be", "mk"}))
        return 1251;
    if (language == "el")
        return 1253;
    if (language == "tr")
        return 1254;
    if (language == "he" || language == "iw")
        return 1255;
    if (one_of({"ar", "fa", "ur"}))
        return 1256;
    if (one_of({"et", "lv", "lt"}))
        return 1257;
    if (language == "vi")
        return 1258;
    return 1252;
}

// The first of the locale variables that is set, with its name.
std::optional<std::pair<const char*, std::string>> locale_variable() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return std::make_pair(variable, std::string(value));
    }
    return std::nullopt;
}

}  // namespace

const CodePage& CodePage::get(int number) {
    static std::mutex mutex;
    static std::vector<std::unique_ptr<SingleByteCodePage>> made;

    const SingleByteTable* table = find_table(number);
    if (table == nullptr) {
        throw CodePageError("code page " + std::to_string(number) +
                            " is not supported (supported: " + supported_list() + ")");
    }
    std::lock_guard lock(mutex);
    for (const auto& page : made) {
        if (page->number() == number)
            return *page;
    }
    made.push_back(std::make_unique<SingleByteCodePage>(*table));
    return *made.back();
}

bool CodePage::supported(int number) {
    return find_table(number) != nullptr;
}

bool CodePage::can_store(std::string_view utf8) const {
    try {
        from_utf8(utf8);
        return true;
    } catch (const CodePageError&) {
        return false;
    }
}

int data_code_page_for_locale() {
    if (const std::optional<int> active = windows_ansi_code_page()) {
        return CodePage::supported(*active) ? *active : 1252;
    }
    if (const auto locale = locale_variable())
        return code_page_for_locale_name(locale->second);
    return 1252;
}

std::string data_code_page_source() {
    if (const std::optional<int> active = windows_ansi_code_page()) {
        if (CodePage::supported(*active))
            return "the system's ANSI code page";
        return "1252, as the system's ANSI code page " + std::to_string(*active) +
               " is not supported";
    }
    if (const auto locale = locale_variable())
        return "the system's code page (" + std::string(locale->first) + "=" + locale->second + ")";
    return "the system's code page (no locale is set)";
}

}  // namespace jet
