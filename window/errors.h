// The failures of listing that the window's handlers catch or pass on: a
// folder a list cannot show, and a drive that is not ready.
#pragma once

#include <stdexcept>
#include <string>

namespace window {

// A folder list or file list could not show a folder: it is missing, cannot be
// read, or holds a name that is not valid text. The message names the folder.
class FolderError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A drive whose root cannot be listed (no medium, unmounted, refused).
class DriveNotReady : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace window
