#include "window/folder_count_caption.h"
#include "window/re_name_fold.h"

namespace window {

namespace {

// Rebuilds a list box whole from a folder list's sub-folders, in its order.
void refresh_sub_folders(const FolderList& folders, ListBox& list) {
    list.Clear();
    const ListIndex count = folders.ListCount();
    for (ListIndex i = 0; i < count; ++i) {
        list.AddItem(folders.List(i));
    }
}

}  // namespace

// The MIDI root changed: the count label first, then List1.
void ReNameFold::Dir1_Change() {
    Label1.set_Caption(folder_count_caption(Dir1.ListCount()));
    refresh_sub_folders(Dir1, List1);
}

// The cursor root changed.
void ReNameFold::Dir2_Change() {
    refresh_sub_folders(Dir2, List2);
}

// The lyric root changed.
void ReNameFold::Dir3_Change() {
    refresh_sub_folders(Dir3, List3);
}

}  // namespace window
