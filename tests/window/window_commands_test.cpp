#include <string>
#include <vector>

#include "tests/window/window_fixture.h"
#include "window/program_ending.h"

namespace window::testing {
namespace {

namespace fs = std::filesystem;

// Records, when it goes, that the frame holding it was unwound.
struct UnwindWitness {
    explicit UnwindWitness(bool& unwound) : unwound_(unwound) {}
    ~UnwindWitness() { unwound_ = true; }
    bool& unwound_;
};

class WindowCommandsTest : public WindowTest {
  protected:
    WindowCommandsTest() {
        tree.folder("a/music/pop");
        tree.folder("b/x");
    }
};

TEST_F(WindowCommandsTest, ExitRightAfterStartEndsWithoutQuestionAndNoHandlerRunsAfter) {
    ReNameFold& window = open_window();
    window.Command1.press();
    EXPECT_TRUE(toolkit.program_ended());
    EXPECT_TRUE(window.ending());
    EXPECT_TRUE(toolkit.messages().empty());

    window.Drive1.set_Drive(drive_b_text);
    window.Dir2.set_Path(text(drive_b));
    window.Command1.press();
    window.close_box();
    EXPECT_EQ(window.Dir1.Path(), text(drive_a / "music"));
    EXPECT_EQ(window.List1.ListCount(), 1);
    EXPECT_EQ(window.List2.ListCount(), 0);
    EXPECT_EQ(toolkit.end_calls(), 1);
}

TEST_F(WindowCommandsTest, ExitDuringAHandlerStopsItAndUnwindsItsFrames) {
    ReNameFold& window = open_window();
    bool unwound = false;
    bool went_on = false;
    window.on_click(window.CmdChDir, [&] {
        UnwindWitness witness(unwound);
        window.Label9.set_Caption("Folder: working");
        window.process_pending_events();
        went_on = true;
        window.message_box("  Update Ok ", kOkOnly, " SongName chang!! ");
    });
    toolkit.queue([&] { window.Dir3.set_Path(text(drive_b)); });
    toolkit.queue([&] { window.Command1.press(); });
    toolkit.queue([&] { window.Dir2.set_Path(text(drive_b)); });

    EXPECT_NO_THROW(window.CmdChDir.press());

    EXPECT_TRUE(toolkit.program_ended());
    EXPECT_TRUE(unwound);
    EXPECT_FALSE(went_on);
    EXPECT_TRUE(toolkit.messages().empty());
    EXPECT_EQ(window.List3.ListCount(), 1) << "the folder change before Exit was handled";
    EXPECT_EQ(window.Dir2.Path(), text(drive_a / "music")) << "nothing ran after Exit";
    EXPECT_EQ(window.Label9.Caption(), "Folder: working");
}

TEST_F(WindowCommandsTest, EndInsideANestedHandlerStopsTheHandlerAroundIt) {
    ReNameFold& window = open_window();
    bool inner_went_on = false;
    bool outer_went_on = false;
    window.on_click(window.Command1, [&] {
        window.process_pending_events();
        inner_went_on = true;
    });
    window.on_click(window.CmdChDir, [&] {
        window.Command1.press();
        outer_went_on = true;
    });
    toolkit.queue([&] { window.close_box(); });

    EXPECT_NO_THROW(window.CmdChDir.press());
    EXPECT_FALSE(inner_went_on);
    EXPECT_FALSE(outer_went_on);
    EXPECT_TRUE(toolkit.program_ended());
    EXPECT_THROW(window.process_pending_events(), ProgramEnding);
}

TEST_F(WindowCommandsTest, HandlersRunThroughTheToolkitsEventProcessing) {
    ReNameFold& window = open_window();
    std::vector<std::string> seen;
    window.on_click(window.CmdChDir, [&] {
        window.process_pending_events();
        seen.push_back(window.List1.List(0));
        window.message_box("   Error ", kOkOnly);
    });
    toolkit.queue([&] { window.Dir1.set_Path(text(drive_b)); });

    window.CmdChDir.press();

    EXPECT_EQ(seen, std::vector<std::string>{text(drive_b / "x")});
    ASSERT_EQ(toolkit.messages().size(), 1U);
    EXPECT_EQ(toolkit.messages()[0].prompt, "   Error ");
    EXPECT_EQ(toolkit.messages()[0].buttons, 0);
    EXPECT_FALSE(toolkit.messages()[0].title.has_value());
    EXPECT_FALSE(toolkit.program_ended());
}

TEST_F(WindowCommandsTest, HiddenButtonsNeverFireAndBoundListEventsChangeNothing) {
    ReNameFold& window = open_window();
    int clicks = 0;
    for (CommandButton* hidden : {&window.Command2, &window.Command3, &window.Cmdclearlist2}) {
        window.on_click(*hidden, [&] { ++clicks; });
        hidden->press();
    }
    EXPECT_EQ(clicks, 0);
    window.on_click(window.CmdChDir, [&] { ++clicks; });
    window.CmdChDir.set_enabled(false);
    window.CmdChDir.press();
    EXPECT_EQ(clicks, 0);
    window.CmdChDir.set_enabled(true);
    window.CmdChDir.press();
    EXPECT_EQ(clicks, 1);

    window.Dir3.set_Path(text(tree.folder("b")));
    window.List3.select(0);
    window.List1.select(0);
    window.List1.double_click();
    EXPECT_EQ(window.List3.ListCount(), 1);
    EXPECT_EQ(window.List1.ListCount(), 1);
    EXPECT_EQ(window.Label1.Caption(), "1   folder");
    EXPECT_FALSE(toolkit.program_ended());
    EXPECT_TRUE(toolkit.messages().empty());
}

TEST(ListBoxTest, KeepsInsertionOrderAndCountsPast32767) {
    ListBox list(control_design("List1"));
    constexpr ListIndex kItems = 40000;
    for (ListIndex i = kItems; i > 0; --i) {
        list.AddItem(std::to_string(i));
    }
    ASSERT_EQ(list.ListCount(), kItems);
    EXPECT_EQ(list.List(0), "40000");
    EXPECT_EQ(list.List(32768), "7232");
    EXPECT_THROW(list.List(kItems), std::out_of_range);
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
}

}  // namespace
}  // namespace window::testing
