// The progress of `listsong add`. Where standard output is a terminal, one
// line redrawn in place shows the folders done, the songs stored, the songs
// per second and the current folder; elsewhere one plain line per folder is
// written. A summary line ends the run.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

#include "cli/console_output.h"

namespace cli {

class AddProgress {
  public:
    AddProgress(std::ostream& out, LineRedraw redraw, std::int64_t folders);

    // `mid_path`: the stored song's MIDI file, as the update joined it.
    void song_stored(const std::string& mid_path);
    void folder_done(const std::string& folder);
    void finish(const std::filesystem::path& database);
    // Ends the progress line so that a message after it starts on its own line.
    void interrupt();

  private:
    using Clock = std::chrono::steady_clock;

    double seconds() const;
    void draw(const std::string& folder);
    void clear_line();

    std::ostream& out_;
    LineRedraw redraw_;
    std::int64_t folders_;
    std::int64_t folders_done_ = 0;
    std::int64_t songs_ = 0;
    std::int64_t folder_songs_ = 0;
    Clock::time_point start_;
    Clock::time_point last_draw_;
    // Characters of the line on screen; 0 before the first draw.
    std::size_t drawn_width_ = 0;
};

}  // namespace cli
