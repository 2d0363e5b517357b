// The program as the window's logic sees it: where its file lies, from the
// toolkit, as text the lists and paths are built from.
#pragma once

#include <string>

#include "window/native_text.h"
#include "window/toolkit.h"

namespace window {

// The running program.
class App {
  public:
    explicit App(const Toolkit& toolkit) : toolkit_(toolkit) {}

    // The folder that holds the program's file, as a full path.
    std::string Path() const {
        const std::filesystem::path folder = toolkit_.program_folder();
        return text_of_path(folder, folder);
    }

  private:
    const Toolkit& toolkit_;
};

}  // namespace window
