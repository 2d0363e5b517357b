// Lines of /proc/self/mountinfo, as the Linux kernel writes them:
//
//   36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw,errors=continue
//   (1)(2)(3)   (4)   (5)         (6)       (7)      (8) (9)  (10)      (11)
//
//   (4) root of the mount inside its file system ("/" unless a bind mount)
//   (5) mount point; blanks, tabs, newlines and backslashes appear as octal
//       escapes such as \040
//   (7) zero or more optional fields, ended by the separator "-" (8)
//   (9) file system type, (10) mount source.
#include "window/mounted_drives.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace window {

namespace fs = std::filesystem;

namespace {

// File system types that hold no files of a person's own.
constexpr std::array<std::string_view, 28> kPseudoFileSystems = {
    "proc",        "sysfs",           "tmpfs",       "devtmpfs",   "devpts",  "cgroup",
    "cgroup2",     "overlay",         "securityfs",  "debugfs",    "tracefs", "pstore",
    "bpf",         "mqueue",          "hugetlbfs",   "autofs",     "fusectl", "configfs",
    "binfmt_misc", "efivarfs",        "nsfs",        "rpc_pipefs", "ramfs",   "squashfs",
    "selinuxfs",   "fuse.gvfsd-fuse", "fuse.portal", "nfsd"};

bool is_octal(char c) {
    return c >= '0' && c <= '7';
}

std::string unescaped(std::string_view field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && is_octal(field[i + 1]) &&
            is_octal(field[i + 2]) && is_octal(field[i + 3])) {
            text.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                             (field[i + 3] - '0')));
            i += 3;
        } else {
            text.push_back(field[i]);
        }
    }
    return text;
}

bool is_pseudo(std::string_view type) {
    return std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), type) !=
           kPseudoFileSystems.end();
}

bool is_drive_place(const std::string& mount_point) {
    return mount_point == "/home" || mount_point == "/mnt" || mount_point.starts_with("/media/") ||
           mount_point.starts_with("/mnt/");
}

std::string label_of(const std::string& mount_point, const std::string& source) {
    const std::string name = fs::path(source).filename().string();
    if (!name.empty()) {
        return name;
    }
    return mount_point == "/" ? "root" : fs::path(mount_point).filename().string();
}

}  // namespace

std::vector<Drive> drives_from_mountinfo(std::string_view mountinfo) {
    std::vector<Drive> drives;
    std::istringstream lines{std::string(mountinfo)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mount_point, options, field;
        if (!(fields >> id >> parent >> device >> root >> mount_point >> options)) {
            continue;
        }
        while (fields >> field && field != "-") {
        }
        std::string type, source;
        if (field != "-" || !(fields >> type >> source)) {
            continue;
        }
        mount_point = unescaped(mount_point);
        const bool wanted =
            mount_point == "/" || (root == "/" && !is_pseudo(type) && is_drive_place(mount_point));
        if (!wanted) {
            continue;
        }
        std::erase_if(drives, [&](const Drive& drive) { return drive.root == mount_point; });
        drives.push_back(make_drive(mount_point, label_of(mount_point, unescaped(source))));
    }
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.root < b.root; });
    return drives;
}

std::vector<Drive> mounted_drives() {
#ifdef _WIN32
    std::vector<Drive> drives;
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (letters & (DWORD{1} << i)) {
            const std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
            drives.push_back(make_drive(root, ""));
        }
    }
    return drives;
#else
    std::ifstream file("/proc/self/mountinfo");
    std::ostringstream text;
    text << file.rdbuf();
    std::vector<Drive> drives = drives_from_mountinfo(text.str());
    if (drives.empty()) {
        drives.push_back(make_drive("/", "root"));
    }
    return drives;
#endif
}

bool root_listable(const fs::path& root) {
    std::error_code error;
    fs::directory_iterator it(root, error);
    return !error;
}

}  // namespace window
