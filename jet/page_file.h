// Writing whole pages into an open database file.
//
// Where the file lies on a file system that overwrites its blocks in place
// (ext2/3/4, tmpfs) and has no holes, it is mapped into memory, and a page
// that lies inside the file is copied there: no system call per page. Pages
// past the end of the file, and every page where the file is not mapped
// (other file systems, Windows), are written with a call, which extends the
// file and claims its space.
//
// Over blocks already allocated in place a write through the mapping needs
// no new space, so a full disk can never make it fail. A disk that fails to
// read a page back in ends the program (SIGBUS) as a kill would; the journal
// rolls the interrupted insert back at the next open. Pages written through
// the mapping belong to the file cache, not to the program: the mapping lets
// go of them every so often so that they do not add to its resident memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "jet/file_system.h"
#include "jet/page.h"

namespace jet {

class PageFile {
  public:
    // `file` is open for reading and writing and outlives the page file.
    explicit PageFile(File& file);

    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    // Writes the page; `file_size` is the file's length before the write.
    // Throws Error naming the page when the write fails.
    void write(PageNumber number, const Page& page, std::uint64_t file_size);

    // Forces what was written to the disk: the data, and with `metadata`
    // the file's length and times too. Throws Error.
    void sync(std::uint64_t file_size, bool metadata);

  private:
    File& file_;
    std::unique_ptr<FileMapping> mapping_;
    std::size_t written_since_release_ = 0;
};

}  // namespace jet
