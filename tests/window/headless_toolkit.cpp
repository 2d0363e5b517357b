#include "tests/window/headless_toolkit.h"

#include <utility>

#include "window/mounted_drives.h"
#include "window/native_text.h"

namespace window::testing {

namespace fs = std::filesystem;

HeadlessToolkit::HeadlessToolkit(fs::path start_folder, fs::path program_folder)
    : start_folder_(std::move(start_folder)), program_folder_(std::move(program_folder)) {}

std::string HeadlessToolkit::add_drive(const fs::path& root, const std::string& label) {
    drives_.push_back(make_drive(normalised_folder(root), label));
    return drives_.back().text;
}

void HeadlessToolkit::set_drive_ready(const fs::path& root, bool ready) {
    if (ready) {
        not_ready_.erase(normalised_folder(root));
    } else {
        not_ready_.insert(normalised_folder(root));
    }
}

bool HeadlessToolkit::drive_ready(const Drive& drive) const {
    return !not_ready_.contains(normalised_folder(drive.root)) && root_listable(drive.root);
}

void HeadlessToolkit::message_box(const std::string& prompt, int buttons,
                                  const std::optional<std::string>& title,
                                  const std::string& details) {
    messages_.push_back(RecordedMessage{prompt, buttons, title, details});
}

void HeadlessToolkit::process_pending_events() {
    ++event_rounds_;
    while (!pending_.empty() && !ended_) {
        std::function<void()> action = std::move(pending_.front());
        pending_.pop_front();
        action();
    }
}

void HeadlessToolkit::end_program() {
    ended_ = true;
    ++end_calls_;
}

}  // namespace window::testing
