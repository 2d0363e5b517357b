#include "tests/window/headless_toolkit.h"

#include <utility>

namespace window::testing {

namespace fs = std::filesystem;

HeadlessToolkit::HeadlessToolkit(fs::path start_folder, fs::path program_folder)
    : start_folder_(std::move(start_folder)), program_folder_(std::move(program_folder)) {}

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
