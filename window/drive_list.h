// The model of the drive list Drive1: the drives offered, the one selected,
// and the Change it raises when the selection moves.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "window/design_table.h"
#include "window/drive.h"
#include "window/event_handler.h"

namespace window {

// The list of drives with one selected.
class DriveList {
  public:
    // Selects the drive of `start_folder`, raising nothing.
    DriveList(const ControlDesign& design, const DriveSource& source,
              const std::filesystem::path& start_folder);

    // The selected drive's text.
    const std::string& Drive() const { return selected_.text; }

    // Selects a drive given by its text, or the drive on which a folder (a full
    // path) lies. Raises Change when the selection changes. Throws
    // std::invalid_argument when the text names neither.
    void set_Drive(std::string_view drive_or_folder);

    // The drives that the list offers, as the source gives them now.
    std::vector<window::Drive> drives() const { return source_.drives(); }

    void on_change(EventHandler handler) { change_ = std::move(handler); }

    const ControlDesign& design() const { return design_; }

  private:
    window::Drive resolve(std::string_view drive_or_folder) const;

    const ControlDesign& design_;
    const DriveSource& source_;
    window::Drive selected_;
    EventHandler change_;
};

}  // namespace window
