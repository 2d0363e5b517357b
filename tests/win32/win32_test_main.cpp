// The window tests run message loops and modal boxes; one that waits for ever
// would hold up the whole run. A watchdog ends the program with the name of
// the test that overran its time.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr std::chrono::seconds kTimePerTest{60};

class Watchdog : public ::testing::EmptyTestEventListener {
  public:
    Watchdog() : thread_([this] { watch(); }) {}
    ~Watchdog() override {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void OnTestStart(const ::testing::TestInfo& test) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        running_ = std::string(test.test_suite_name()) + "." + test.name();
        deadline_ = std::chrono::steady_clock::now() + kTimePerTest;
        changed_.notify_all();
    }

    void OnTestEnd(const ::testing::TestInfo&) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        running_.clear();
        changed_.notify_all();
    }

  private:
    void watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!finished_) {
            if (running_.empty()) {
                changed_.wait(lock);
                continue;
            }
            if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout &&
                !running_.empty() && std::chrono::steady_clock::now() >= deadline_) {
                std::fprintf(stderr, "FAILED: %s did not end within %lld seconds\n",
                             running_.c_str(), static_cast<long long>(kTimePerTest.count()));
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string running_;
    std::chrono::steady_clock::time_point deadline_;
    bool finished_ = false;
    // Last, so that it starts once everything it watches is there.
    std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    return RUN_ALL_TESTS();
}
