#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace jet_test {

struct MemoryFileSystem::Node {
    std::mutex mutex;
    std::vector<std::uint8_t> bytes;
    bool read_only = false;
    // The opens holding the write lock and each lock byte, by address.
    const void* write_lock = nullptr;
    std::map<jet::LockByte, std::map<const void*, jet::LockKind>> byte_locks;
};

namespace {

using Node = MemoryFileSystem::Node;

// The largest a file grows: as large as an Access 97 database can be. Past
// it writes fail as they do on a file system that allows no larger file.
constexpr std::uint64_t kLargestFile = std::uint64_t{1} << 30;

// The error the POSIX file system reports for errno `error` (file_system.h).
jet::FileError failure(const std::filesystem::path& path, const std::string& action, int error) {
    jet::FileProblem problem = jet::FileProblem::Other;
    switch (error) {
        case ENOENT:
            problem = jet::FileProblem::NotFound;
            break;
        case EEXIST:
            problem = jet::FileProblem::Exists;
            break;
        case EACCES:
            problem = jet::FileProblem::ReadOnly;
            break;
        default:
            break;
    }
    const std::string reason = std::strerror(error);
    return jet::FileError(problem, jet::path_text(path) + ": " + action + " (" + reason + ")",
                          reason);
}

class MemoryFile : public jet::File {
  public:
    MemoryFile(std::shared_ptr<Node> node, std::filesystem::path path, bool writable)
        : node_(std::move(node)), path_(std::move(path)), writable_(writable) {}

    ~MemoryFile() override {
        std::lock_guard lock(node_->mutex);
        if (node_->write_lock == this) {
            node_->write_lock = nullptr;
        }
        for (auto& [byte, holders] : node_->byte_locks) {
            holders.erase(this);
        }
    }

    const std::filesystem::path& path() const override { return path_; }

    std::size_t read_at(std::uint64_t offset, std::uint8_t* data, std::size_t size) override {
        std::lock_guard lock(node_->mutex);
        const std::vector<std::uint8_t>& bytes = node_->bytes;
        if (offset >= bytes.size()) {
            return 0;
        }
        const std::size_t n =
            std::min<std::uint64_t>(size, bytes.size() - static_cast<std::size_t>(offset));
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, data);
        return n;
    }

    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        require_writable("cannot write", EBADF);
        require_room(offset, size, "cannot write");
        std::lock_guard lock(node_->mutex);
        std::vector<std::uint8_t>& bytes = node_->bytes;
        if (offset + size > bytes.size()) {
            bytes.resize(static_cast<std::size_t>(offset + size));
        }
        std::copy_n(data, size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }

    std::uint64_t size() override {
        std::lock_guard lock(node_->mutex);
        return node_->bytes.size();
    }

    void truncate(std::uint64_t length) override {
        require_writable("cannot change the file's length", EINVAL);
        require_room(length, 0, "cannot change the file's length");
        std::lock_guard lock(node_->mutex);
        node_->bytes.resize(static_cast<std::size_t>(length));
    }

    void sync(bool) override {}

    void reserve(std::uint64_t length) override {
        require_writable("cannot make room in the file", EBADF);
        require_room(length, 0, "cannot make room in the file");
        std::lock_guard lock(node_->mutex);
        if (length > node_->bytes.size()) {
            node_->bytes.resize(static_cast<std::size_t>(length));
        }
    }

    bool try_lock() override {
        require_writable("cannot lock the file", EBADF);
        std::lock_guard lock(node_->mutex);
        if (node_->write_lock != nullptr && node_->write_lock != this) {
            return false;
        }
        node_->write_lock = this;
        return true;
    }

    bool try_lock_byte(jet::LockByte byte, jet::LockKind kind) override {
        if (kind == jet::LockKind::Exclusive) {
            require_writable("cannot lock the file", EBADF);
        }
        std::lock_guard lock(node_->mutex);
        for (const auto& [owner, held] : node_->byte_locks[byte]) {
            if (owner != this &&
                (kind == jet::LockKind::Exclusive || held == jet::LockKind::Exclusive)) {
                return false;
            }
        }
        node_->byte_locks[byte][this] = kind;
        return true;
    }

    void unlock_byte(jet::LockByte byte) override {
        std::lock_guard lock(node_->mutex);
        node_->byte_locks[byte].erase(this);
    }

    bool overwrites_in_place() override { return false; }

    std::unique_ptr<jet::FileMapping> map(std::uint64_t) override { return nullptr; }

  private:
    void require_writable(const std::string& action, int error) const {
        if (!writable_) {
            throw failure(path_, action, error);
        }
    }

    void require_room(std::uint64_t offset, std::size_t size, const std::string& action) const {
        if (offset > kLargestFile || size > kLargestFile - offset) {
            throw failure(path_, action, EFBIG);
        }
    }

    std::shared_ptr<Node> node_;
    std::filesystem::path path_;
    bool writable_;
};

std::filesystem::path key_of(const std::filesystem::path& path) {
    return path.lexically_normal();
}

}  // namespace

std::shared_ptr<Node> MemoryFileSystem::find(const std::filesystem::path& path) const {
    const auto found = files_.find(key_of(path));
    return found == files_.end() ? nullptr : found->second;
}

std::unique_ptr<jet::File> MemoryFileSystem::open(const std::filesystem::path& path,
                                                  jet::OpenMode mode) {
    std::lock_guard lock(mutex_);
    std::shared_ptr<Node> node = find(path);
    const bool creating =
        mode == jet::OpenMode::CreateNew || mode == jet::OpenMode::CreateOrTruncate;
    const std::string action = creating ? "cannot create the file" : "cannot open the file";
    if (node == nullptr) {
        if (!creating) {
            throw failure(path, action, ENOENT);
        }
        node = std::make_shared<Node>();
        files_[key_of(path)] = node;
    } else if (mode == jet::OpenMode::CreateNew) {
        throw failure(path, action, EEXIST);
    } else {
        std::lock_guard node_lock(node->mutex);
        if (node->read_only && mode != jet::OpenMode::Read) {
            throw failure(path, action, EACCES);
        }
        if (mode == jet::OpenMode::CreateOrTruncate) {
            node->bytes.clear();
        }
    }
    return std::make_unique<MemoryFile>(std::move(node), path, mode != jet::OpenMode::Read);
}

bool MemoryFileSystem::exists(const std::filesystem::path& path) {
    std::lock_guard lock(mutex_);
    return find(path) != nullptr;
}

void MemoryFileSystem::remove(const std::filesystem::path& path) {
    std::lock_guard lock(mutex_);
    files_.erase(key_of(path));
}

void MemoryFileSystem::sync_folder(const std::filesystem::path&) {}

void MemoryFileSystem::set_file(const std::filesystem::path& path,
                                std::vector<std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    std::shared_ptr<Node>& node = files_[key_of(path)];
    if (node == nullptr) {
        node = std::make_shared<Node>();
    }
    std::lock_guard node_lock(node->mutex);
    node->bytes = std::move(bytes);
}

std::optional<std::vector<std::uint8_t>> MemoryFileSystem::file(
    const std::filesystem::path& path) const {
    std::lock_guard lock(mutex_);
    const std::shared_ptr<Node> node = find(path);
    if (node == nullptr) {
        return std::nullopt;
    }
    std::lock_guard node_lock(node->mutex);
    return node->bytes;
}

void MemoryFileSystem::set_read_only(const std::filesystem::path& path, bool read_only) {
    std::lock_guard lock(mutex_);
    const std::shared_ptr<Node> node = find(path);
    if (node == nullptr) {
        throw failure(path, "cannot change the file's permissions", ENOENT);
    }
    std::lock_guard node_lock(node->mutex);
    node->read_only = read_only;
}

std::vector<std::filesystem::path> MemoryFileSystem::paths() const {
    std::lock_guard lock(mutex_);
    std::vector<std::filesystem::path> names;
    for (const auto& entry : files_) {
        names.push_back(entry.first);
    }
    return names;
}

void MemoryFileSystem::clear() {
    std::lock_guard lock(mutex_);
    files_.clear();
}

}  // namespace jet_test
