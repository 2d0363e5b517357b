// The update log: one line per update, appended to listsong.log beside the
// catalogue, so that a shop can see afterwards what each update did and why
// one failed. A line holds, separated by tabs: the local time with its offset
// from UTC, the three folders chosen, the songs stored and skipped, and "ok"
// or "failed: " and the cause. Tabs and line ends inside a field become
// blanks, so every update stays one line. The file is UTF-8.
//
//   2026-12-07 19:04:05 +0700	midi /k/midi	cur /k/cur	lyr /k/lyr	stored 300	skipped
//   0 ok
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace songdb {

struct UpdateLogLine {
    std::time_t time = 0;
    std::string midi_folder;
    std::string cur_folder;
    std::string lyr_folder;
    std::int64_t stored = 0;
    std::int64_t skipped = 0;
    std::optional<std::string> failure;  // empty: the update succeeded
};

// listsong.log in the catalogue's folder.
std::filesystem::path update_log_beside(const std::filesystem::path& database);

// The line as written, without its line end.
std::string update_log_text(const UpdateLogLine& line);

// Appends the line and flushes it; throws std::runtime_error naming the file.
void append_update_log(const std::filesystem::path& log_file, const UpdateLogLine& line);

}  // namespace songdb
