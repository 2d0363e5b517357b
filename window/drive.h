// A drive as the drive list shows it, and where a toolkit gets the drives
// from and learns whether one is ready.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace window {

// One drive of the drive list. `text` is what the drive list shows and what its
// Drive property reads: on Windows the letter and a colon ("c:"), elsewhere the
// mount point followed by a label in brackets ("/media/usb [sdb1]"). The text is
// never a folder path, so a folder list that is given it knows it was given a
// drive, not the drive's root folder.
struct Drive {
    std::filesystem::path root;
    std::string text;
};

Drive make_drive(const std::filesystem::path& root, std::string_view label);

// Where the drives come from: the toolkit on a real machine, a scripted list in tests.
class DriveSource {
  public:
    virtual ~DriveSource() = default;
    virtual std::vector<Drive> drives() const = 0;
    // Whether the drive's root can be listed now (a medium is in, it is mounted).
    virtual bool drive_ready(const Drive& drive) const = 0;
};

// The drive among `drives` whose root is the longest component-wise prefix of
// `path` (an absolute path), if any.
std::optional<Drive> drive_of(const std::filesystem::path& path, const std::vector<Drive>& drives);

// The drive whose text is exactly `text`, if any.
std::optional<Drive> drive_named(std::string_view text, const std::vector<Drive>& drives);

}  // namespace window
