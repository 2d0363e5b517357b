// Waiting for the commit lock of a database file (file_system.h), a bounded
// time. Locks are only ever tried, so a wait is a loop of tries with pauses
// that grow from a millisecond to a tenth of a second: a reader is kept
// waiting for a save that takes milliseconds by about that long, while a
// writer waiting for a long read does not spin.
#pragma once

#include <chrono>

#include "jet/file_system.h"

namespace jet {

// How long a reader waits for a save in progress to end.
constexpr std::chrono::seconds kReaderPatience{30};
// How long a writer that must save waits for readers to finish.
constexpr std::chrono::seconds kWriterPatience{60};

// Takes the lock; false when another open of the file still holds it in a
// conflicting way after `patience` (zero: a single try).
bool take_commit_lock(File& file, LockKind kind, std::chrono::milliseconds patience);

// Holds the commit lock for a scope; nothing when not taken.
class HeldCommitLock {
  public:
    HeldCommitLock() = default;
    explicit HeldCommitLock(File& file) : file_(&file) {}
    ~HeldCommitLock() { release(); }
    HeldCommitLock(HeldCommitLock&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
    HeldCommitLock& operator=(HeldCommitLock&& other) noexcept {
        release();
        file_ = other.file_;
        other.file_ = nullptr;
        return *this;
    }

    void release() {
        if (file_ != nullptr) {
            file_->unlock_commit();
            file_ = nullptr;
        }
    }

  private:
    File* file_ = nullptr;
};

}  // namespace jet
