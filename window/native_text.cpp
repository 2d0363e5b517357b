#include "window/native_text.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "window/errors.h"

namespace window {

namespace fs = std::filesystem;

bool is_valid_utf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

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
    if (!is_valid_utf8(path.native())) {
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
        std::string text;
        if (length > 0) {
            const int size = WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length),
                                                 nullptr, 0, nullptr, nullptr);
            text.resize(static_cast<std::size_t>(size));
            WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), text.data(), size,
                                nullptr, nullptr);
        }
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
