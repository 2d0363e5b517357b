#include "tests/support/power_loss_file_system.h"

#include <algorithm>

#include "tests/support/forwarding_file.h"

namespace jet_test {
namespace {

constexpr std::uint64_t kSectorSize = 512;

void apply_length(std::vector<std::uint8_t>& bytes, std::uint64_t length) {
    bytes.resize(static_cast<std::size_t>(length), 0);
}

// Writes `bytes` at `offset`, or only the sectors `keep` chooses.
void apply_write(std::vector<std::uint8_t>& file, std::uint64_t offset,
                 const std::vector<std::uint8_t>& bytes, const std::function<bool()>& keep_sector) {
    std::uint64_t at = offset;
    const std::uint64_t end = offset + bytes.size();
    while (at < end) {
        const std::uint64_t sector_end = std::min(end, (at / kSectorSize + 1) * kSectorSize);
        if (!keep_sector || keep_sector()) {
            if (file.size() < sector_end) {
                file.resize(static_cast<std::size_t>(sector_end), 0);
            }
            std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at - offset),
                      bytes.begin() + static_cast<std::ptrdiff_t>(sector_end - offset),
                      file.begin() + static_cast<std::ptrdiff_t>(at));
        }
        at = sector_end;
    }
}

}  // namespace

class PowerLossFileSystem::RecordingFile : public ForwardingFile {
  public:
    RecordingFile(std::unique_ptr<jet::File> file, PowerLossFileSystem& disks)
        : ForwardingFile(std::move(file)), disks_(disks) {}

    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        ForwardingFile::write_at(offset, data, size);
        disks_.record(path(), Change{offset, std::vector<std::uint8_t>(data, data + size), {}});
    }
    void truncate(std::uint64_t length) override {
        ForwardingFile::truncate(length);
        disks_.record(path(), Change{0, {}, length});
    }
    void sync(bool metadata) override {
        ForwardingFile::sync(metadata);
        disks_.sync_file(path());
    }
    void reserve(std::uint64_t length) override {
        const std::uint64_t before = size();
        ForwardingFile::reserve(length);
        if (length > before) {
            disks_.record(path(), Change{0, {}, length});
        }
    }
    bool overwrites_in_place() override { return false; }
    std::unique_ptr<jet::FileMapping> map(std::uint64_t) override { return nullptr; }

  private:
    PowerLossFileSystem& disks_;
};

std::unique_ptr<jet::File> PowerLossFileSystem::open(const std::filesystem::path& path,
                                                     jet::OpenMode mode) {
    const bool existed = live_.exists(path);
    auto file = live_.open(path, mode);
    if (!existed) {
        name_changes(path, true);
    } else if (mode == jet::OpenMode::CreateOrTruncate) {
        record(path, Change{0, {}, 0});
    }
    return std::make_unique<RecordingFile>(std::move(file), *this);
}

void PowerLossFileSystem::remove(const std::filesystem::path& path) {
    const bool existed = live_.exists(path);
    live_.remove(path);
    if (existed) {
        name_changes(path, false);
    }
}

void PowerLossFileSystem::name_changes(const std::filesystem::path& path, bool exists) {
    Disk& d = disk(path);
    if (!d.before_name_change) {
        std::vector<std::uint8_t> bytes = d.bytes;
        d.before_name_change.emplace(d.exists, std::move(bytes));
    }
    d.exists = exists;
    d.bytes.clear();
    d.changes.clear();
    called(path, false);
}

void PowerLossFileSystem::sync_folder(const std::filesystem::path& file) {
    live_.sync_folder(file);
    disk(file).before_name_change.reset();
    called(file, true);
}

void PowerLossFileSystem::record(const std::filesystem::path& path, Change change) {
    disk(path).changes.push_back(std::move(change));
    called(path, false);
}

void PowerLossFileSystem::sync_file(const std::filesystem::path& path) {
    Disk& d = disk(path);
    for (const Change& change : d.changes) {
        if (change.length) {
            apply_length(d.bytes, *change.length);
        } else {
            apply_write(d.bytes, change.offset, change.bytes, {});
        }
    }
    d.changes.clear();
    called(path, true);
}

void PowerLossFileSystem::settle() {
    for (const std::filesystem::path& path : live_.paths()) {
        Disk& d = disk(path);
        d.exists = true;
        d.bytes = *live_.file(path);
        d.changes.clear();
        d.before_name_change.reset();
    }
    for (auto& [path, d] : disks_) {
        if (!live_.exists(path)) {
            d = Disk{};
        }
    }
}

PowerLossFileSystem::Image PowerLossFileSystem::crash_image(std::mt19937& random) const {
    std::uniform_int_distribution<int> percent(0, 99);
    Image image;
    for (const auto& [path, d] : disks_) {
        if (d.before_name_change && percent(random) < 50) {
            if (d.before_name_change->first) {
                image[path] = d.before_name_change->second;
            }
            continue;
        }
        if (!d.exists) {
            continue;
        }
        std::vector<std::uint8_t> bytes = d.bytes;
        std::vector<const Change*> reached;
        for (const Change& change : d.changes) {
            if (percent(random) < 70) {
                reached.push_back(&change);
            }
        }
        if (percent(random) < 50) {
            std::shuffle(reached.begin(), reached.end(), random);
        }
        for (const Change* change : reached) {
            if (change->length) {
                apply_length(bytes, *change->length);
            } else if (percent(random) < 25) {
                apply_write(bytes, change->offset, change->bytes,
                            [&] { return percent(random) < 50; });
            } else {
                apply_write(bytes, change->offset, change->bytes, {});
            }
        }
        image[path] = std::move(bytes);
    }
    return image;
}

}  // namespace jet_test
