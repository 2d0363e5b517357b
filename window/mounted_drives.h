// This machine's drives for the drive list: drive letters on Windows, the
// mounted file systems a person would recognise on Linux.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "window/drive.h"

namespace window {

// The drives of this machine as a person would recognise them. On Windows the
// drive letters in use. On Linux the mounted file systems of /proc/self/mountinfo
// that are the root "/", a separate /home, or removable media mounted under
// /media or /mnt; never pseudo file systems, bind mounts (a mount whose root
// inside its file system is not "/") or the single files a container runtime
// mounts (/etc/hosts and the like).
std::vector<Drive> mounted_drives();

// The drives described by the text of a mountinfo file, ordered by root.
// A later mount on the same mount point hides an earlier one.
std::vector<Drive> drives_from_mountinfo(std::string_view mountinfo);

// Whether the folder can be listed now: the readiness test of a real drive.
bool root_listable(const std::filesystem::path& root);

}  // namespace window
