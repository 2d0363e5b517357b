#include "window/drive.h"

#include <algorithm>
#include <cctype>
#ifdef _WIN32
#include <cwctype>
#endif

namespace window {

namespace fs = std::filesystem;

namespace {

bool same_component(const fs::path& a, const fs::path& b) {
#ifdef _WIN32
    const std::wstring& x = a.native();
    const std::wstring& y = b.native();
    return x.size() == y.size() &&
           std::equal(x.begin(), x.end(), y.begin(),
                      [](wchar_t p, wchar_t q) { return std::towlower(p) == std::towlower(q); });
#else
    return a == b;
#endif
}

// Number of components of `root` when it is a prefix of `path`, else nothing.
std::optional<std::size_t> prefix_length(const fs::path& root, const fs::path& path) {
    const fs::path normal_root = root.lexically_normal();
    const fs::path normal_path = path.lexically_normal();
    auto r = normal_root.begin();
    auto p = normal_path.begin();
    std::size_t length = 0;
    for (; r != normal_root.end(); ++r) {
        if (r->empty()) {
            continue;  // the empty last element of a path with a trailing separator
        }
        if (p == normal_path.end() || !same_component(*r, *p)) {
            return std::nullopt;
        }
        ++p;
        ++length;
    }
    return length;
}

}  // namespace

Drive make_drive(const fs::path& root, std::string_view label) {
#ifdef _WIN32
    std::string letter = root.root_name().string();
    std::transform(letter.begin(), letter.end(), letter.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return Drive{root, label.empty() ? letter : letter + " [" + std::string(label) + "]"};
#else
    return Drive{root, root.generic_string() + " [" + std::string(label) + "]"};
#endif
}

std::optional<Drive> drive_of(const fs::path& path, const std::vector<Drive>& drives) {
    std::optional<Drive> best;
    std::size_t best_length = 0;
    for (const Drive& drive : drives) {
        const auto length = prefix_length(drive.root, path);
        if (length && (!best || *length > best_length)) {
            best = drive;
            best_length = *length;
        }
    }
    return best;
}

std::optional<Drive> drive_named(std::string_view text, const std::vector<Drive>& drives) {
    const auto found = std::find_if(drives.begin(), drives.end(),
                                    [text](const Drive& drive) { return drive.text == text; });
    if (found == drives.end()) {
        return std::nullopt;
    }
    return *found;
}

}  // namespace window
