#include "cli/add_progress.h"

#include <iomanip>

#include "jet/file_system.h"

namespace cli {

namespace {

bool starts_character(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// Characters of UTF-8 text, taken as the columns it fills on a terminal. Thai
// marks above and below a letter count although they take no column: the
// line only ends sooner than it needs to.
std::size_t character_count(const std::string& text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += starts_character(c) ? 1 : 0;
    }
    return count;
}

// Where character `n` (counted from 0) of `text` starts; the text's size when
// it has fewer.
std::size_t offset_after(const std::string& text, std::size_t n) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (starts_character(text[i]) && seen++ == n) {
            return i;
        }
    }
    return text.size();
}

// The progress line within `columns` (0: no limit) with one column to spare:
// a line that wraps cannot be redrawn, since "\r" goes back to the start of
// its last row only. The start of the folder gives way first, then the end
// of the line.
std::string fitted_line(const std::string& head, const std::string& folder, std::size_t columns) {
    const std::size_t head_width = character_count(head);
    const std::size_t folder_width = character_count(folder);
    if (columns == 0 || head_width + folder_width < columns) {
        return head + folder;
    }
    const std::string cut = "...";
    if (head_width + cut.size() + 1 < columns) {
        const std::size_t kept = columns - 1 - head_width - cut.size();
        return head + cut + folder.substr(offset_after(folder, folder_width - kept));
    }
    return head.substr(0, offset_after(head, columns - 1));
}

std::string counted(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + (n == 1 ? one : many);
}

}  // namespace

AddProgress::AddProgress(std::ostream& out, LineRedraw redraw, std::int64_t folders)
    : out_(out), redraw_(redraw), folders_(folders), start_(Clock::now()) {}

void AddProgress::song_stored(const std::string& folder) {
    ++stored_;
    ++folder_stored_;
    song_done(folder);
}

void AddProgress::song_skipped(const std::string& folder) {
    ++skipped_;
    ++folder_skipped_;
    song_done(folder);
}

void AddProgress::folder_done(const std::string& folder) {
    ++folders_done_;
    if (redraw_ != LineRedraw::none) {
        draw(folder);
    } else {
        out_ << folder << ": " << counted(folder_stored_, " song", " songs") << " stored, "
             << folder_skipped_ << " skipped\n";
    }
    folder_stored_ = 0;
    folder_skipped_ = 0;
}

void AddProgress::finish(const std::filesystem::path& database) {
    clear_line();
    out_ << "stored " << counted(stored_, " song", " songs") << " from "
         << counted(folders_done_, " folder", " folders") << ", skipped "
         << counted(skipped_, " song", " songs") << " already in the catalogue, in " << std::fixed
         << std::setprecision(1) << seconds() << " s into " << jet::path_text(database) << "\n";
}

void AddProgress::interrupt() {
    if (drawn_width_ != 0) {
        out_ << "\n";
    }
    out_.flush();
}

double AddProgress::seconds() const {
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

void AddProgress::song_done(const std::string& folder) {
    if (redraw_ != LineRedraw::none && Clock::now() - last_draw_ > std::chrono::milliseconds(100)) {
        draw(folder);
    }
}

// Each draw starts over at the line's start: an escape erases the older
// line, or else blanks cover what the older line had beyond the new one.
void AddProgress::draw(const std::string& folder) {
    constexpr int kBarWidth = 20;
    const int filled =
        folders_ > 0 ? static_cast<int>(folders_done_ * kBarWidth / folders_) : kBarWidth;
    const double elapsed = seconds();
    const auto rate = elapsed > 0 ? static_cast<std::int64_t>((stored_ + skipped_) / elapsed) : 0;
    const std::string head = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') +
                             "] " + std::to_string(folders_done_) + "/" + std::to_string(folders_) +
                             " folders  " + std::to_string(stored_) + " stored  " +
                             std::to_string(skipped_) + " skipped  " + std::to_string(rate) +
                             " songs/s  ";
    const std::string line = fitted_line(head, folder, terminal_columns());
    const std::size_t width = character_count(line);
    if (redraw_ == LineRedraw::escape) {
        out_ << "\r\x1b[K" << line;
    } else {
        out_ << "\r" << line << std::string(drawn_width_ > width ? drawn_width_ - width : 0, ' ');
    }
    out_ << std::flush;
    last_draw_ = Clock::now();
    drawn_width_ = width;
}

void AddProgress::clear_line() {
    if (drawn_width_ == 0) {
        return;
    }
    if (redraw_ == LineRedraw::escape) {
        out_ << "\r\x1b[K";
    } else {
        out_ << "\r" << std::string(drawn_width_, ' ') << "\r";
    }
}

}  // namespace cli
