#include "window/re_name_fold.h"

namespace window {

// "Exit": ends the program at once, asking nothing.
void ReNameFold::Command1_Click() {
    end_program();
}

// Bound to List1's double click; the window does nothing with it.
void ReNameFold::List1_DblClick() {}

// Bound to List3's change of selection; the window does nothing with it.
void ReNameFold::List3_Click() {}

}  // namespace window
