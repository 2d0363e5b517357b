#include "cli/program_arguments.h"

#ifdef _WIN32
#include <windows.h>

#include <cwchar>
#endif

#include "cli/options.h"

namespace cli {

#ifdef _WIN32

namespace {

std::string utf8_argument(const wchar_t* argument, int position) {
    const int length = static_cast<int>(std::wcslen(argument));
    if (length == 0) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, argument, length, nullptr,
                                         0, nullptr, nullptr);
    if (size == 0) {
        throw UsageError("argument " + std::to_string(position) +
                         " is not valid Unicode text (it holds a lone surrogate)");
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, argument, length, text.data(), size, nullptr,
                        nullptr);
    return text;
}

}  // namespace

std::vector<std::string> program_arguments(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(utf8_argument(argv[i], i));
    }
    return arguments;
}

#else

std::vector<std::string> program_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

#endif

}  // namespace cli
