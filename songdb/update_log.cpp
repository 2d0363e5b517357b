#include "songdb/update_log.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "jet/file_system.h"

namespace songdb {
namespace {

constexpr const char* kLogName = "listsong.log";

std::tm local_time(std::time_t time) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    return local;
}

std::tm utc_time(std::time_t time) {
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &time);
#else
    gmtime_r(&time, &utc);
#endif
    return utc;
}

// "2026-12-07 19:04:05 +0700": local time and its offset from UTC, worked out
// from the two broken-down times, as not every C library's %z gives it.
std::string time_text(std::time_t time) {
    const std::tm local = local_time(time);
    std::tm utc = utc_time(time);
    utc.tm_isdst = local.tm_isdst;
    std::tm local_copy = local;
    const long offset_minutes =
        static_cast<long>(std::difftime(std::mktime(&local_copy), std::mktime(&utc))) / 60;
    const long magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d %c%02ld%02ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offset_minutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

// The field with tabs and line ends turned into blanks.
std::string one_line(std::string field) {
    for (char& c : field) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return field;
}

}  // namespace

std::filesystem::path update_log_beside(const std::filesystem::path& database) {
    return database.parent_path() / kLogName;
}

std::string update_log_text(const UpdateLogLine& line) {
    std::string text = time_text(line.time);
    text += "\tmidi " + one_line(line.midi_folder);
    text += "\tcur " + one_line(line.cur_folder);
    text += "\tlyr " + one_line(line.lyr_folder);
    text += "\tstored " + std::to_string(line.stored);
    text += "\tskipped " + std::to_string(line.skipped);
    text += line.failure ? "\tfailed: " + one_line(*line.failure) : std::string("\tok");
    return text;
}

void append_update_log(const std::filesystem::path& log_file, const UpdateLogLine& line) {
    std::ofstream out(log_file, std::ios::binary | std::ios::app);
    out << update_log_text(line) << '\n';
    out.flush();
    if (!out) {
        throw std::runtime_error("the update log " + jet::path_text(log_file) +
                                 " cannot be written; check that its folder is writable");
    }
}

}  // namespace songdb
