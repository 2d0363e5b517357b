#include "songdb/path_map.h"

#include <stdexcept>

#include "songdb/path_comparison.h"
#include "window/native_text.h"

namespace songdb {
namespace {

bool is_separator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

bool is_windows_form(std::string_view path) {
    const bool drive_letter =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive_letter || path.starts_with("\\\\");
}

char separator_of(std::string_view to) {
    if (is_windows_form(to)) {
        return '\\';
    }
    const bool backslash = to.find('\\') != std::string_view::npos;
    const bool slash = to.find('/') != std::string_view::npos;
    return backslash && !slash ? '\\' : '/';
}

// The text without the separators that end it, a root excepted.
std::string without_trailing_separators(std::string text, bool (*separator)(char)) {
    while (text.size() > 1 && separator(text.back()) && !(text.size() == 3 && text[1] == ':')) {
        text.pop_back();
    }
    return text;
}

bool any_separator(char c) {
    return c == '/' || c == '\\';
}

// Whether `path` is `folder` or lies under it, as this machine compares names.
bool lies_under(std::string_view path, std::string_view folder) {
    if (path.size() < folder.size() || !same_native_name(path.substr(0, folder.size()), folder)) {
        return false;
    }
    return path.size() == folder.size() || is_separator(path[folder.size()]) ||
           is_separator(folder.back());
}

}  // namespace

PathMapping parse_path_mapping(std::string_view from_equals_to) {
    const std::size_t equals = from_equals_to.find('=');
    if (equals == std::string_view::npos || equals == 0 || equals + 1 == from_equals_to.size()) {
        throw std::invalid_argument(
            "--map-path needs FROM=TO, a folder of this machine and the "
            "same folder as the player finds it, e.g. "
            "/media/usb/Karaoke=D:\\Karaoke; got '" +
            std::string(from_equals_to) + "'");
    }
    const std::filesystem::path from =
        window::normalised_folder(window::path_of_text(from_equals_to.substr(0, equals)));
    PathMapping mapping;
    mapping.from = without_trailing_separators(window::text_of_path(from, from), is_separator);
    mapping.to =
        without_trailing_separators(std::string(from_equals_to.substr(equals + 1)), any_separator);
    return mapping;
}

// A Windows TO takes '\' throughout, so that "D:/Karaoke" stores
// D:\Karaoke\midi\0001.mid rather than a path with both separators.
void PathMap::add(PathMapping mapping) {
    if (is_windows_form(mapping.to)) {
        for (char& c : mapping.to) {
            c = c == '/' ? '\\' : c;
        }
    }
    mappings_.push_back(std::move(mapping));
}

std::string PathMap::stored_path(const std::string& path) const {
    const PathMapping* best = nullptr;
    for (const PathMapping& mapping : mappings_) {
        if (lies_under(path, mapping.from) &&
            (best == nullptr || mapping.from.size() > best->from.size())) {
            best = &mapping;
        }
    }
    if (best == nullptr) {
        return path;
    }
    const char separator = separator_of(best->to);
    std::string stored = best->to;
    std::size_t rest = best->from.size();
    while (rest < path.size() && is_separator(path[rest])) {
        ++rest;
    }
    if (rest < path.size() && !any_separator(stored.back())) {
        stored += separator;
    }
    for (std::size_t i = rest; i < path.size(); ++i) {
        stored += is_separator(path[i]) ? separator : path[i];
    }
    return stored;
}

}  // namespace songdb
