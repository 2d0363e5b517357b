#include "jet/lock_bytes.h"

#include <algorithm>
#include <thread>

namespace jet {

bool take_lock_byte(File& file, LockByte byte, LockKind kind, std::chrono::milliseconds patience) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + patience;
    std::chrono::milliseconds pause{1};
    while (!file.try_lock_byte(byte, kind)) {
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
