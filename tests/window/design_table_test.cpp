#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
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

// A binding is what the window's handler for an event of a control is
// called: the control's name and the event's ("Dir1_Change"), from a control
// that raises that event.
TEST(DesignTableTest, EveryBoundEventIsOneItsControlRaisesAndGoesToTheHandlerNamedForIt) {
    std::set<std::string> handlers;
    for (const ControlDesign& control : control_designs()) {
        if (!control.event) {
            continue;
        }
        SCOPED_TRACE(std::string(control.name));
        const EventKind event = control.event->event;
        const std::string suffix = event == EventKind::change         ? "_Change"
                                   : event == EventKind::double_click ? "_DblClick"
                                                                      : "_Click";
        EXPECT_EQ(control.event->handler, std::string(control.name) + suffix);
        EXPECT_EQ(control.index, kNotInArray) << "a control array shares one handler";
        switch (event) {
            case EventKind::click:
                EXPECT_TRUE(control.kind == ControlKind::command_button ||
                            control.kind == ControlKind::list_box);
                break;
            case EventKind::double_click:
                EXPECT_EQ(control.kind, ControlKind::list_box);
                break;
            case EventKind::change:
                EXPECT_TRUE(control.kind == ControlKind::drive_list ||
                            control.kind == ControlKind::folder_list);
                break;
            case EventKind::load:
                ADD_FAILURE() << "only the window raises load";
                break;
        }
        EXPECT_TRUE(handlers.emplace(control.event->handler).second);
    }
    EXPECT_EQ(window_design().load.event, EventKind::load);
    EXPECT_EQ(window_design().load.handler, "Form_Load");
}

// Each control is found by its name and index alone, a control array's
// members numbered from 0 without a gap, and each control stands in a
// container that the table holds: the window, or one of its frames, inside
// which it lies when it is shown.
TEST(DesignTableTest, EveryControlIsFoundByNameAndIndexInsideAContainerOfTheTable) {
    std::map<std::string, std::vector<int>> indexes;
    for (const ControlDesign& control : control_designs()) {
        SCOPED_TRACE(std::string(control.name) + " " + std::to_string(control.index));
        EXPECT_EQ(&control_design(control.name, control.index), &control);
        indexes[std::string(control.name)].push_back(control.index);
        if (control.container != window_design().name) {
            const ControlDesign& frame = control_design(control.container);
            EXPECT_EQ(frame.kind, ControlKind::frame);
            if (control.visible) {
                EXPECT_LE(control.left + control.width, frame.width);
                EXPECT_LE(control.top + control.height, frame.height);
            }
        }
    }
    for (auto& [name, members] : indexes) {
        if (members.size() == 1 && members.front() == kNotInArray) {
            continue;
        }
        std::sort(members.begin(), members.end());
        for (std::size_t i = 0; i < members.size(); ++i) {
            EXPECT_EQ(members[i], static_cast<int>(i)) << name;
        }
        EXPECT_THROW(control_design(name), std::out_of_range) << name;
        EXPECT_THROW(control_design(name, static_cast<int>(members.size())), std::out_of_range)
            << name;
    }
    EXPECT_THROW(control_design("NoSuchControl"), std::out_of_range);
}

// A control seen on the screen lies wholly in the client area: none is cut
// off at the window's edge.
TEST(DesignTableTest, EveryControlSeenOnTheScreenLiesWhollyInTheClientArea) {
    for (const ControlDesign& control : control_designs()) {
        if (seen_on_screen(control)) {
            SCOPED_TRACE(std::string(control.name));
            EXPECT_GE(control.left, 0);
            EXPECT_GE(control.top, 0);
            EXPECT_LE(control.left + control.width, window_design().client_width);
            EXPECT_LE(control.top + control.height, window_design().client_height);
        }
    }
}

}  // namespace
}  // namespace window
