#include "songdb/program_folder.h"

#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <system_error>
#endif

namespace songdb {

namespace {

std::runtime_error not_found(const std::string& cause) {
    return std::runtime_error("the program's own folder cannot be found (" + cause +
                              "); name the catalogue with --db");
}

}  // namespace

#ifdef _WIN32

// GetModuleFileNameW cuts a name that does not fit and returns the buffer's
// size; the buffer grows until the name fits, up to the longest path Windows
// has.
std::filesystem::path running_program_folder() {
    constexpr std::size_t kLongestPath = 32768;
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(name.size());
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), size);
        if (length == 0) {
            throw not_found("GetModuleFileNameW failed with Windows error " +
                            std::to_string(GetLastError()));
        }
        if (length < size) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        if (name.size() >= kLongestPath) {
            throw not_found("the program's path is longer than " + std::to_string(kLongestPath) +
                            " characters");
        }
        name.resize(name.size() * 2);
    }
}

#else

std::filesystem::path running_program_folder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        throw not_found("/proc/self/exe: " + error.message());
    }
    return program.parent_path();
}

#endif

}  // namespace songdb
