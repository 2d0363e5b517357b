#include "window/list_box.h"

#include <stdexcept>

namespace window {

ListBox::ListBox(const ControlDesign& design) : design_(design) {}

void ListBox::Clear() {
    items_.clear();
    ++revision_;
    selected_ = -1;
}

void ListBox::AddItem(std::string text) {
    items_.push_back(std::move(text));
    ++revision_;
}

ListIndex ListBox::ListCount() const {
    return static_cast<ListIndex>(items_.size());
}

const std::string& ListBox::List(ListIndex i) const {
    if (i < 0 || i >= ListCount()) {
        throw std::out_of_range(std::string(design_.name) + " has no item " + std::to_string(i) +
                                "; it holds " + std::to_string(ListCount()));
    }
    return items_[static_cast<std::size_t>(i)];
}

void ListBox::select(ListIndex i) {
    List(i);
    if (i == selected_) {
        return;
    }
    selected_ = i;
    if (click_) {
        click_();
    }
}

void ListBox::double_click() {
    if (selected_ >= 0 && double_click_) {
        double_click_();
    }
}

}  // namespace window
