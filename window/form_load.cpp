#include "window/folder_count_caption.h"
#include "window/re_name_fold.h"

namespace window {

namespace {

// Each member of the Label2 strip overlaps the one above it by this much.
constexpr float kStripOverlap = 45;
constexpr float kStripLeft = 120;

}  // namespace

// Start-up: centres the window, fills List1 and Label1 from Dir1, and stacks the
// hidden Label2 strip.
void ReNameFold::Form_Load() {
    const float screen_width = screen.Width();
    const float window_width = Width();
    const float screen_height = screen.Height();
    const float window_height = Height();
    Move((screen_width - window_width) / 2, (screen_height - window_height) / 2);

    const ListIndex folders = Dir1.ListCount();
    for (ListIndex i = 0; i < folders; ++i) {
        List1.AddItem(Dir1.List(i));
    }
    Label1.set_Caption(folder_count_caption(Dir1.ListCount()));

    Label2[0].set_Caption("");
    for (ListIndex i = 1; i < LabelArray::kMembers; ++i) {
        const float height = Label2[i - 1].Height();
        const float top = Label2[i - 1].Top();
        Label2[i].set_Top(top + height - kStripOverlap);
        Label2[i].set_Left(kStripLeft);
        Label2[i].set_Caption("");
    }
}

}  // namespace window
