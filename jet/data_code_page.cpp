#include "jet/data_code_page.h"

#include <algorithm>

#include "jet/thai_874_text.h"

namespace jet {
namespace {

constexpr int kThai = 874;
constexpr int kWestern = 1252;

bool ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

DataCodePage::DataCodePage(const CodePage& page, CodePageRule rule)
    : page_(&page),
      rule_(rule),
      system_number_(data_code_page_for_locale()),
      system_source_(data_code_page_source()) {}

DataCodePage DataCodePage::named(int number) {
    return DataCodePage(CodePage::get(number), CodePageRule::Named);
}

DataCodePage DataCodePage::system() {
    return DataCodePage(CodePage::get(data_code_page_for_locale()), CodePageRule::System);
}

bool DataCodePage::follow_stored_text(StoredTextVerdict verdict) {
    if (rule_ != CodePageRule::System)
        return false;
    const CodePage* before = page_;
    switch (verdict) {
        case StoredTextVerdict::None:
            return false;
        case StoredTextVerdict::Thai:
            page_ = &CodePage::get(kThai);
            rule_ = CodePageRule::StoredTextIsThai;
            break;
        case StoredTextVerdict::NotThai:
            page_ = &CodePage::get(system_number_ == kThai ? kWestern : system_number_);
            rule_ = CodePageRule::StoredTextIsNotThai;
            break;
    }
    return page_ != before;
}

std::string DataCodePage::reason() const {
    switch (rule_) {
        case CodePageRule::Named:
            return "named when the database was opened";
        case CodePageRule::StoredTextIsThai:
            return "the catalogue's text is Thai";
        case CodePageRule::StoredTextIsNotThai:
            if (system_number_ == kThai) {
                return "the catalogue's text is not Thai, and 874 is the system's code page: "
                       "1252";
            }
            return "the catalogue's text is not Thai: " + system_source_;
        case CodePageRule::System:
            return system_source_;
        case CodePageRule::TextBeingAdded:
            return "the text being added is Thai, which " + std::to_string(system_number_) +
                   ", the system's code page, does not hold, and the catalogue held no text "
                   "beyond ASCII";
    }
    return {};
}

const CodePage& DataCodePage::page_for_text(std::string_view utf8) {
    if (rule_ != CodePageRule::System || system_page_in_use_ || ascii(utf8))
        return *page_;
    if (page_->can_store(utf8)) {
        system_page_in_use_ = true;
        return *page_;
    }
    const CodePage& thai = CodePage::get(kThai);
    if (thai.can_store(utf8)) {
        page_ = &thai;
        rule_ = CodePageRule::TextBeingAdded;
    }
    return *page_;
}

const CodePage& DataCodePage::page_for_bytes(std::string_view bytes) {
    if (rule_ != CodePageRule::System || system_page_in_use_ || page_->number() == kThai ||
        thai_874_evidence(bytes) != ThaiEvidence::Thai) {
        return *page_;
    }
    page_ = &CodePage::get(kThai);
    rule_ = CodePageRule::TextBeingAdded;
    return *page_;
}

}  // namespace jet
