#include "window/user_actions.h"

#include <exception>

namespace window {

namespace {

// Counts a running action for as long as it runs, also when it throws.
class Running {
  public:
    explicit Running(int& count) : count_(count) { ++count_; }
    ~Running() { --count_; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

  private:
    int& count_;
};

}  // namespace

bool UserActions::run(const ReNameFold& model, const std::function<void()>& action,
                      const std::function<void(const std::string&)>& report_failure) {
    if (model.ending()) {
        return false;
    }
    {
        const Running running(running_);
        try {
            action();
        } catch (const std::exception& failure) {
            if (!model.ending()) {
                report_failure(failure.what());
            }
        }
    }
    return !model.ending();
}

}  // namespace window
