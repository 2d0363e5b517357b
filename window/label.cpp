#include "window/label.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace window {

namespace {

template <std::size_t... I>
std::array<Label, sizeof...(I)> members_of(std::string_view name, std::index_sequence<I...>) {
    return {Label(control_design(name, static_cast<int>(I)))...};
}

void check_member(ListIndex i) {
    if (i < 0 || i >= LabelArray::kMembers) {
        throw std::out_of_range("Label array has no member " + std::to_string(i));
    }
}

}  // namespace

Label::Label(const ControlDesign& design)
    : design_(design),
      caption_(design.text),
      left_(static_cast<float>(design.left)),
      top_(static_cast<float>(design.top)),
      width_(static_cast<float>(design.width)),
      height_(static_cast<float>(design.height)) {}

LabelArray::LabelArray(std::string_view name)
    : members_(members_of(name, std::make_index_sequence<kMembers>{})) {}

Label& LabelArray::operator[](ListIndex i) {
    check_member(i);
    return members_[static_cast<std::size_t>(i)];
}

const Label& LabelArray::operator[](ListIndex i) const {
    check_member(i);
    return members_[static_cast<std::size_t>(i)];
}

}  // namespace window
