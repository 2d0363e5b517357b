// The toolkit interface: what only a real window can do, implemented by each
// desktop front end and by the tests' scripted fake.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "window/drive.h"

namespace window {

// How long a person's click may wait for an update to let it through: far
// below what anyone notices.
inline constexpr std::chrono::milliseconds kEventsInterval{10};

// A width and height in twips (1/1440 inch).
struct TwipSize {
    float width = 0;
    float height = 0;
};

// Message box buttons code: one OK button and no icon.
inline constexpr int kOkOnly = 0;

// What only a real window can do. The desktop front end implements it with its
// widget library; tests implement it with a scripted fake. The window object
// reaches the screen through nothing else.
class Toolkit : public DriveSource {
  public:
    // A modal message box; returns when the user closes it. Without a title the
    // box shows the toolkit's default title. Non-empty `details` are offered
    // beside the prompt where the toolkit has a place for them (a box's
    // detailed text), and left out where it has none.
    virtual void message_box(const std::string& prompt, int buttons,
                             const std::optional<std::string>& title,
                             const std::string& details) = 0;

    // Lets the window handle every event that is waiting; handlers of the window
    // may run during the call. It returns normally also when one of them ended
    // the program (see program_ending.h). An update calls it once a song,
    // thousands of times a second: a front end brings its controls in line
    // each time, but asks its system for events no more often than
    // kEventsInterval, as each asking costs a call into the system.
    virtual void process_pending_events() = 0;

    // Closes the window and ends the program once control returns to the
    // toolkit's event loop. Never throws.
    virtual void end_program() = 0;

    // The size of the whole screen.
    virtual TwipSize screen_size() const = 0;

    // The window's outer size, border and caption bar included.
    virtual TwipSize window_outer_size() const = 0;

    // Moves the outer window to a screen position, keeping its size. The values
    // may be fractional or negative.
    virtual void move_window(float left, float top) = 0;

    // The folder that holds the program's file, as a full path.
    virtual std::filesystem::path program_folder() const = 0;

    // The program's current folder when the window is created: where the folder
    // lists stand at start.
    virtual std::filesystem::path start_folder() const = 0;
};

}  // namespace window
