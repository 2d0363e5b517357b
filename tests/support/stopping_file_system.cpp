#include "tests/support/stopping_file_system.h"

#include <utility>

#include "tests/support/forwarding_file.h"

namespace jet_test {
namespace {

class StoppingMapping : public jet::FileMapping {
  public:
    StoppingMapping(std::unique_ptr<jet::FileMapping> mapping, StoppingFileSystem& stopper)
        : mapping_(std::move(mapping)), stopper_(stopper) {}

    std::uint8_t* data() override {
        stopper_.change();
        return mapping_->data();
    }
    void flush(std::size_t length) override {
        stopper_.change();
        mapping_->flush(length);
    }
    void release(std::size_t length) override { mapping_->release(length); }

  private:
    std::unique_ptr<jet::FileMapping> mapping_;
    StoppingFileSystem& stopper_;
};

class StoppingFile : public ForwardingFile {
  public:
    StoppingFile(std::unique_ptr<jet::File> file, StoppingFileSystem& stopper)
        : ForwardingFile(std::move(file)), stopper_(stopper) {}

    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        stopper_.change();
        ForwardingFile::write_at(offset, data, size);
    }
    void truncate(std::uint64_t length) override {
        stopper_.change();
        ForwardingFile::truncate(length);
    }
    void reserve(std::uint64_t length) override {
        stopper_.change();
        ForwardingFile::reserve(length);
    }
    void sync(bool metadata) override {
        stopper_.change();
        ForwardingFile::sync(metadata);
    }
    std::unique_ptr<jet::FileMapping> map(std::uint64_t length) override {
        std::unique_ptr<jet::FileMapping> mapping = ForwardingFile::map(length);
        if (!mapping) {
            return nullptr;
        }
        return std::make_unique<StoppingMapping>(std::move(mapping), stopper_);
    }

  private:
    StoppingFileSystem& stopper_;
};

}  // namespace

void StoppingFileSystem::stop_after(std::size_t changes, std::function<void()> stop) {
    stop_before_ = changes_ + changes + 1;
    stop_ = std::move(stop);
}

std::unique_ptr<jet::File> StoppingFileSystem::open(const std::filesystem::path& path,
                                                    jet::OpenMode mode) {
    std::unique_ptr<jet::File> file = inner_.open(path, mode);
    if (path != watched_) {
        return file;
    }
    return std::make_unique<StoppingFile>(std::move(file), *this);
}

void StoppingFileSystem::change() {
    ++changes_;
    if (stop_before_ == changes_) {
        stop_before_.reset();
        stop_();
    }
}

}  // namespace jet_test
