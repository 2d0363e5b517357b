#include "cli/program_arguments.h"

#include "cli/options.h"
#include "jet/unicode.h"

namespace cli {

#ifdef _WIN32

namespace {

std::string utf8_argument(const wchar_t* argument, int position) {
    std::string text;
    if (!jet::append_utf8_of_utf16(text, argument)) {
        throw UsageError("argument " + std::to_string(position) +
                         " is not valid Unicode text (it holds a lone surrogate)");
    }
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
