#include <exception>

#include "window/re_name_fold.h"

namespace window {

// A new drive: the three folder lists move to it in order, each refreshing its
// list inside the write. If a write fails (typically a drive that is not
// ready), the later writes are skipped and the drive list goes back, silently,
// to the drive of Dir1's folder; that change runs this handler once more for
// the restored drive. The end of the program is not a failure and passes on.
void ReNameFold::Drive1_Change() {
    try {
        Dir1.set_Path(Drive1.Drive());
        Dir2.set_Path(Drive1.Drive());
        Dir3.set_Path(Drive1.Drive());
    } catch (const std::exception&) {
        Drive1.set_Drive(Dir1.Path());
    }
}

}  // namespace window
