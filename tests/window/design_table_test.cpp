#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "window/design_table.h"

namespace window {
namespace {

bool overlaps(const ControlDesign& a, const ControlDesign& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// Shown on screen: visible, in the client area itself (not in the hidden
// frame), and starting inside its bounds.
bool seen_on_screen(const ControlDesign& control) {
    return control.visible && control.container == window_design().name &&
           control.left < window_design().client_width &&
           control.top < window_design().client_height;
}

TEST(DesignTableTest, TabOrderHoldsEachPlaceOnceAndVisitsTheShownControlsInOrder) {
    std::vector<int> tabs;
    for (const ControlDesign& control : control_designs()) {
        tabs.push_back(control.tab_index);
    }
    std::sort(tabs.begin(), tabs.end());
    ASSERT_EQ(tabs.size(), 46U);
    for (int i = 0; i < 46; ++i) {
        EXPECT_EQ(tabs[static_cast<std::size_t>(i)], i);
    }

    std::vector<const ControlDesign*> focusable;
    for (const ControlDesign& control : control_designs()) {
        if (control.visible && control.container == window_design().name &&
            control.kind != ControlKind::label && control.kind != ControlKind::frame) {
            focusable.push_back(&control);
        }
    }
    std::sort(focusable.begin(), focusable.end(),
              [](auto* a, auto* b) { return a->tab_index < b->tab_index; });
    std::vector<std::string> order;
    for (const ControlDesign* control : focusable) {
        order.emplace_back(control->name);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Drive1", "Dir1", "Command1", "List3", "Dir2",
                                               "Dir3", "CmdChDir"}));
}

TEST(DesignTableTest, ShownControlsOverlapOnlyWhereTheTwoInstructionLinesShareABand) {
    std::set<std::pair<std::string, std::string>> overlapping;
    const auto controls = control_designs();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t k = i + 1; k < controls.size(); ++k) {
            if (seen_on_screen(controls[i]) && seen_on_screen(controls[k]) &&
                overlaps(controls[i], controls[k])) {
                overlapping.emplace(controls[i].name, controls[k].name);
            }
        }
    }
    EXPECT_EQ(overlapping, (std::set<std::pair<std::string, std::string>>{{"Label7", "Label6"}}));
    EXPECT_FALSE(seen_on_screen(control_design("List3")));
    EXPECT_FALSE(seen_on_screen(control_design("Label1")));
}

TEST(DesignTableTest, TextsAndEventBindings) {
    EXPECT_EQ(window_design().caption, "Update Database For Zellowind");
    EXPECT_EQ(control_design("Label7").text.back(), ' ');
    EXPECT_LE(control_design("Label8").text.size(), 25U);
    EXPECT_EQ(control_design("MidFile").text, "*.mid");
    EXPECT_EQ(control_design("LyrFile").text, "*.Lyr");
    EXPECT_EQ(control_design("Label2", 1).text_colour, Rgb{0x000000});
    EXPECT_FALSE(control_design("Label2", 2).text_colour.has_value());
    EXPECT_THROW(control_design("Label2"), std::out_of_range);
    EXPECT_THROW(control_design("Label2", 22), std::out_of_range);

    std::set<std::string> handlers;
    for (const ControlDesign& control : control_designs()) {
        if (control.event) {
            EXPECT_EQ(control.event->handler,
                      std::string(control.name) +
                          (control.event->event == EventKind::change         ? "_Change"
                           : control.event->event == EventKind::double_click ? "_DblClick"
                                                                             : "_Click"));
            handlers.emplace(control.event->handler);
        }
    }
    EXPECT_EQ(handlers.size(), 8U);
}

}  // namespace
}  // namespace window
