#include "jet/page_file.h"

#include <cstring>
#include <string>

#include "jet/error.h"

namespace jet {
namespace {

// The largest file the pager handles: page numbers below 0xFFFFFF.
constexpr std::uint64_t kLargestFile = std::uint64_t{0xFFFFFF} * kPageSize;
// Pages written through the mapping before it lets go of them.
constexpr std::size_t kPagesBetweenReleases = 512;

}  // namespace

// Mapped as long as the largest file, so that the file can grow under the
// mapping; only the part inside the file is ever touched.
PageFile::PageFile(File& file) : file_(file) {
    if (file.size() <= kLargestFile && file.overwrites_in_place()) {
        mapping_ = file.map(kLargestFile);
    }
}

void PageFile::write(PageNumber number, const Page& page, std::uint64_t file_size) {
    const std::uint64_t offset = static_cast<std::uint64_t>(number) * kPageSize;
    if (mapping_ && offset + kPageSize <= file_size) {
        std::memcpy(mapping_->data() + offset, page.data(), kPageSize);
        // The pages stay in the file cache with their changes; only the
        // mapping's hold on them ends, and the next write maps them again.
        if (++written_since_release_ >= kPagesBetweenReleases) {
            written_since_release_ = 0;
            mapping_->release(static_cast<std::size_t>(file_size));
        }
        return;
    }
    try {
        file_.write_at(offset, page.data(), kPageSize);
    } catch (const FileError& e) {
        throw Error(path_text(file_.path()) + ": cannot write page " + std::to_string(number) +
                    " (" + e.reason() + ")");
    }
}

void PageFile::sync(std::uint64_t file_size, bool metadata) {
    if (mapping_) {
        mapping_->flush(static_cast<std::size_t>(file_size));
    }
    file_.sync(metadata);
}

}  // namespace jet
