#include "window/native_text.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "jet/unicode.h"
#include "window/errors.h"

namespace window {

namespace fs = std::filesystem;

std::string text_of_path(const fs::path& path, const fs::path& context_folder) {
    const auto not_text = [&] { return name_not_text(context_folder); };
#ifdef _WIN32
    try {
        const std::u8string utf8 = path.u8string();
        return std::string(utf8.begin(), utf8.end());
    } catch (const std::system_error&) {
        throw not_text();
    }
#else
    if (!jet::is_valid_utf8(path.native())) {
        throw not_text();
    }
    return path.native();
#endif
}

FolderError name_not_text(const fs::path& folder) {
    return FolderError("Folder \"" + folder.string() +
                       "\" holds a name that is not valid UTF-8 text");
}

fs::path path_of_text(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string error_text(const std::error_code& error) {
#ifdef _WIN32
    if (error.category() == std::system_category()) {
        wchar_t* buffer = nullptr;
        const DWORD length =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(error.value()), 0,
                           reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        std::string text = jet::utf8_of_utf16(std::wstring_view(buffer, length));
        LocalFree(buffer);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        if (!text.empty()) {
            return text;
        }
    }
#endif
    return error.message();
}

fs::path normalised_folder(const fs::path& path) {
    fs::path result = fs::absolute(path).lexically_normal();
    if (!result.has_filename() && result != result.root_path()) {
        result = result.parent_path();
    }
    return result;
}

}  // namespace window
