// The model of a list box (List1, List2, List3): texts in the order added,
// read by position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "window/design_table.h"
#include "window/event_handler.h"
#include "window/list_index.h"

namespace window {

// A list of texts in the order added; it does not sort.
class ListBox {
  public:
    explicit ListBox(const ControlDesign& design);

    void Clear();
    // Appends the text as the last item.
    void AddItem(std::string text);
    ListIndex ListCount() const;
    // The text of item i, 0 <= i < ListCount(); any other i throws std::out_of_range.
    const std::string& List(ListIndex i) const;

    // Counts the changes of the items, so that a view can tell whether the
    // list still holds what it last showed without comparing them.
    std::uint64_t revision() const { return revision_; }

    // The selected item, or -1 when none is.
    ListIndex selected() const { return selected_; }

    // The user selects item i, by mouse or keyboard; raises Click when the
    // selection moves.
    void select(ListIndex i);
    // The user double-clicks the selected item; raises DblClick.
    void double_click();

    void on_click(EventHandler handler) { click_ = std::move(handler); }
    void on_double_click(EventHandler handler) { double_click_ = std::move(handler); }

    const ControlDesign& design() const { return design_; }

  private:
    const ControlDesign& design_;
    std::vector<std::string> items_;
    std::uint64_t revision_ = 0;
    ListIndex selected_ = -1;
    EventHandler click_;
    EventHandler double_click_;
};

}  // namespace window
