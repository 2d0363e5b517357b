#include "jet/page_file.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif

#include <cerrno>
#include <cstring>
#include <string>

#include "jet/error.h"

namespace jet {
namespace {

// The largest file the pager handles: page numbers below 0xFFFFFF.
constexpr std::size_t kLargestFile = std::size_t{0xFFFFFF} * kPageSize;
// Pages written through the mapping before it lets go of them.
constexpr std::size_t kPagesBetweenReleases = 512;

bool& page_mapping() {
    static bool mapped = true;
    return mapped;
}

// True on a file system that overwrites a file's blocks where they are and
// for a file whose every byte has its block.
bool overwrites_in_place(int fd) {
#ifdef __linux__
    constexpr long kExtMagic = 0xEF53;
    constexpr long kTmpfsMagic = 0x01021994;
    struct statfs file_system {};
    struct stat info {};
    if (::fstatfs(fd, &file_system) != 0 || ::fstat(fd, &info) != 0) {
        return false;
    }
    const long type = static_cast<long>(file_system.f_type);
    const bool in_place = type == kExtMagic || type == kTmpfsMagic;
    return in_place && static_cast<std::uint64_t>(info.st_blocks) * 512 >=
                           static_cast<std::uint64_t>(info.st_size);
#else
    (void)fd;
    return false;
#endif
}

}  // namespace

PageFile::PageFile(int fd, std::filesystem::path path, std::uint64_t size)
    : fd_(fd), path_(std::move(path)) {
    if (!page_mapping() || sizeof(void*) < 8 || size > kLargestFile || !overwrites_in_place(fd)) {
        return;
    }
    // Mapped as long as the largest file, so that the file can grow under
    // the mapping; only the part inside the file is ever touched.
    void* mapped = ::mmap(nullptr, kLargestFile, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped != MAP_FAILED) {
        mapping_ = static_cast<std::uint8_t*>(mapped);
    }
}

PageFile::~PageFile() {
    if (mapping_ != nullptr) {
        ::munmap(mapping_, kLargestFile);
    }
}

void PageFile::write(PageNumber number, const Page& page, std::uint64_t file_size) {
    const std::uint64_t offset = static_cast<std::uint64_t>(number) * kPageSize;
    if (mapping_ != nullptr && offset + kPageSize <= file_size) {
        std::memcpy(mapping_ + offset, page.data(), kPageSize);
        if (++written_since_release_ >= kPagesBetweenReleases) {
            release(file_size);
        }
        return;
    }
    std::size_t done = 0;
    while (done < kPageSize) {
        const ssize_t n =
            ::pwrite(fd_, page.data() + done, kPageSize - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw Error(path_.string() + ": cannot write page " + std::to_string(number) + " (" +
                        system_reason() + ")");
        }
        done += static_cast<std::size_t>(n);
    }
}

// The pages stay in the file cache with their changes; only the mapping's
// hold on them ends, and the next write through it maps them again. Where
// the kernel declines, the pages merely stay mapped: nothing is lost.
void PageFile::release(std::uint64_t file_size) {
    written_since_release_ = 0;
    ::madvise(mapping_, file_size, MADV_DONTNEED);
}

void PageFile::sync(std::uint64_t file_size, bool metadata) {
    if (mapping_ != nullptr && file_size > 0 && ::msync(mapping_, file_size, MS_SYNC) != 0) {
        throw Error(path_.string() + ": cannot flush the file to disk (" + system_reason() + ")");
    }
    if ((metadata ? ::fsync(fd_) : ::fdatasync(fd_)) != 0) {
        throw Error(path_.string() + ": cannot flush the file to disk (" + system_reason() + ")");
    }
}

namespace testing {

void set_page_mapping(bool mapped) {
    page_mapping() = mapped;
}

}  // namespace testing
}  // namespace jet
