// Taking the commit and pending locks of a database file (file_system.h)
// within a bounded wait. Locks are only ever tried, so a wait is a loop of
// tries with pauses that grow from a millisecond to a tenth of a second: a
// reader is kept waiting for a save that takes milliseconds by about that
// long, while a writer waiting for a long read does not spin.
#pragma once

#include <chrono>

#include "jet/file_system.h"

namespace jet {

// How long a reader waits for a save in progress to end.
constexpr std::chrono::seconds kReaderPatience{30};
// How long a writer that must save waits for readers to finish.
constexpr std::chrono::seconds kWriterPatience{60};

// Takes the lock byte; false when another open of the file still holds it in
// a conflicting way after `patience` (zero: a single try).
bool take_lock_byte(File& file, LockByte byte, LockKind kind, std::chrono::milliseconds patience);

// A lock byte held until release() or the end of the scope; nothing when
// empty.
class HeldLockByte {
  public:
    HeldLockByte() = default;
    HeldLockByte(File& file, LockByte byte) : file_(&file), byte_(byte) {}
    ~HeldLockByte() { release(); }
    HeldLockByte(HeldLockByte&& other) noexcept : file_(other.file_), byte_(other.byte_) {
        other.file_ = nullptr;
    }
    HeldLockByte& operator=(HeldLockByte&& other) noexcept {
        release();
        file_ = other.file_;
        byte_ = other.byte_;
        other.file_ = nullptr;
        return *this;
    }

    bool held() const { return file_ != nullptr; }
    void release() {
        if (file_ != nullptr) {
            file_->unlock_byte(byte_);
            file_ = nullptr;
        }
    }

  private:
    File* file_ = nullptr;
    LockByte byte_ = LockByte::Commit;
};

}  // namespace jet
