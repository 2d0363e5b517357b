// The machine's file system with every mapping declined: the pager and the
// journal then write with calls, as on file systems and systems where files
// are not mapped.
#pragma once

#include <memory>

#include "jet/file_system.h"

namespace jet_test {

class UnmappedFile : public jet::File {
  public:
    explicit UnmappedFile(std::unique_ptr<jet::File> file) : file_(std::move(file)) {}

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
    std::unique_ptr<jet::FileMapping> map(std::uint64_t) override { return nullptr; }

  private:
    std::unique_ptr<jet::File> file_;
};

class UnmappedFileSystem : public jet::FileSystem {
  public:
    std::unique_ptr<jet::File> open(const std::filesystem::path& path,
                                    jet::OpenMode mode) override {
        return std::make_unique<UnmappedFile>(native_.open(path, mode));
    }
    bool exists(const std::filesystem::path& path) override { return native_.exists(path); }
    void remove(const std::filesystem::path& path) override { native_.remove(path); }
    void sync_folder(const std::filesystem::path& file) override { native_.sync_folder(file); }

  private:
    jet::FileSystem& native_ = jet::native_file_system();
};

}  // namespace jet_test
