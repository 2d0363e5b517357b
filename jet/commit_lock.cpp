#include "jet/commit_lock.h"

#include <algorithm>
#include <thread>

namespace jet {

bool take_commit_lock(File& file, LockKind kind, std::chrono::milliseconds patience) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + patience;
    std::chrono::milliseconds pause{1};
    while (!file.try_lock_commit(kind)) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds{100});
    }
    return true;
}

}  // namespace jet
