// The machine's file system with every mapping declined: the pager and the
// journal then write with calls, as on file systems and systems where files
// are not mapped.
#pragma once

#include <filesystem>
#include <memory>

#include "jet/file_system.h"
#include "tests/support/forwarding_file.h"

namespace jet_test {

class UnmappedFile : public ForwardingFile {
  public:
    using ForwardingFile::ForwardingFile;

    std::unique_ptr<jet::FileMapping> map(std::uint64_t) override { return nullptr; }
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
