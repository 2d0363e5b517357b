// The progress of `listsong add`. Where standard output is a terminal, one
// line redrawn in place shows the folders done, the songs stored and skipped,
// the songs gone through per second and the current folder; elsewhere one
// plain line per folder is written:
//   /k/midi/pop: 2 songs stored, 1 skipped
// A summary line ends the run:
//   stored 3 songs from 2 folders, skipped 2 songs already in the catalogue,
//   in 0.4 s into /k/LISTSONG.mdb
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

    // A song of `folder` (the MIDI folder being read) stored, or skipped
    // because the catalogue holds it.
    void song_stored(const std::string& folder);
    void song_skipped(const std::string& folder);
    void folder_done(const std::string& folder);
    void finish(const std::filesystem::path& database);
    // Ends the progress line so that a message after it starts on its own line.
    void interrupt();

  private:
    using Clock = std::chrono::steady_clock;

    double seconds() const;
    // Draws the line, at most every tenth of a second, while a folder is under way.
    void song_done(const std::string& folder);
    void draw(const std::string& folder);
    void clear_line();

    std::ostream& out_;
    LineRedraw redraw_;
    std::int64_t folders_;
    std::int64_t folders_done_ = 0;
    std::int64_t stored_ = 0;
    std::int64_t skipped_ = 0;
    std::int64_t folder_stored_ = 0;
    std::int64_t folder_skipped_ = 0;
    Clock::time_point start_;
    Clock::time_point last_draw_;
    // Characters of the line on screen; 0 before the first draw.
    std::size_t drawn_width_ = 0;
};

}  // namespace cli
