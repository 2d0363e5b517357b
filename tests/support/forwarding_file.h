// A file that passes every call on to another one: the base of the test file
// systems that stand between the engine and a disk (one that fails chosen
// calls, one that records writes, one that declines mappings, one that stops
// at a chosen change), each overriding only the calls it changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <utility>

#include "jet/file_system.h"

namespace jet_test {

class ForwardingFile : public jet::File {
  public:
    explicit ForwardingFile(std::unique_ptr<jet::File> file) : file_(std::move(file)) {}

    const std::filesystem::path& path() const override { return file_->path(); }
    std::size_t read_at(std::uint64_t offset, std::uint8_t* data, std::size_t size) override {
        return file_->read_at(offset, data, size);
    }
    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        file_->write_at(offset, data, size);
    }
    std::uint64_t size() override { return file_->size(); }
    void truncate(std::uint64_t length) override { file_->truncate(length); }
    void sync(bool metadata) override { file_->sync(metadata); }
    void reserve(std::uint64_t length) override { file_->reserve(length); }
    bool try_lock() override { return file_->try_lock(); }
    bool try_lock_byte(jet::LockByte byte, jet::LockKind kind) override {
        return file_->try_lock_byte(byte, kind);
    }
    void unlock_byte(jet::LockByte byte) override { file_->unlock_byte(byte); }
    bool overwrites_in_place() override { return file_->overwrites_in_place(); }
    std::unique_ptr<jet::FileMapping> map(std::uint64_t length) override {
        return file_->map(length);
    }

  private:
    std::unique_ptr<jet::File> file_;
};

}  // namespace jet_test
