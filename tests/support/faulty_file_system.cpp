#include "tests/support/faulty_file_system.h"

#include <cerrno>
#include <cstring>

#include "tests/support/forwarding_file.h"

namespace jet_test {
namespace {

class FaultyFile : public ForwardingFile {
  public:
    FaultyFile(std::unique_ptr<jet::File> file, FaultyFileSystem& faults)
        : ForwardingFile(std::move(file)), faults_(faults) {}

    std::size_t read_at(std::uint64_t offset, std::uint8_t* data, std::size_t size) override {
        faults_.count(path(), "cannot read", false);
        return ForwardingFile::read_at(offset, data, size);
    }
    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        faults_.count(path(), "cannot write", true);
        ForwardingFile::write_at(offset, data, size);
    }
    void truncate(std::uint64_t length) override {
        faults_.count(path(), "cannot change the file's length", true);
        ForwardingFile::truncate(length);
    }
    void sync(bool metadata) override {
        faults_.count(path(), "cannot flush the file to disk", true);
        ForwardingFile::sync(metadata);
    }
    void reserve(std::uint64_t length) override {
        faults_.count(path(), "cannot make room in the file", true);
        ForwardingFile::reserve(length);
    }
    std::unique_ptr<jet::FileMapping> map(std::uint64_t) override { return nullptr; }

  private:
    FaultyFileSystem& faults_;
};

}  // namespace

void FaultyFileSystem::fail_at(std::size_t n, DiskFault fault, bool every_later_call) {
    fail_at_ = n;
    fault_ = fault;
    every_later_call_ = every_later_call;
}

void FaultyFileSystem::reset() {
    calls_ = 0;
    fail_at_ = 0;
    every_later_call_ = false;
    failed_ = false;
}

void FaultyFileSystem::count(const std::filesystem::path& path, const std::string& action,
                             bool needs_space) {
    ++calls_;
    if (fail_at_ == 0 || calls_ < fail_at_ || (calls_ > fail_at_ && !every_later_call_)) {
        return;
    }
    failed_ = true;
    const int error = fault_ == DiskFault::NoSpace && needs_space ? ENOSPC : EIO;
    const std::string reason = std::strerror(error);
    throw jet::FileError(jet::FileProblem::Other,
                         jet::path_text(path) + ": " + action + " (" + reason + ")", reason);
}

std::unique_ptr<jet::File> FaultyFileSystem::open(const std::filesystem::path& path,
                                                  jet::OpenMode mode) {
    const bool creating =
        mode == jet::OpenMode::CreateNew || mode == jet::OpenMode::CreateOrTruncate;
    count(path, creating ? "cannot create the file" : "cannot open the file", creating);
    return std::make_unique<FaultyFile>(inner_.open(path, mode), *this);
}

void FaultyFileSystem::remove(const std::filesystem::path& path) {
    count(path, "cannot delete the file", false);
    inner_.remove(path);
}

void FaultyFileSystem::sync_folder(const std::filesystem::path& file) {
    const std::filesystem::path folder =
        file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    count(folder, "cannot flush the folder to disk", true);
    inner_.sync_folder(file);
}

}  // namespace jet_test
