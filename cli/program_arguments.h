// The program's command-line arguments as UTF-8 text. Windows hands them over
// as UTF-16 (wmain), so that names outside the ANSI code page survive; other
// systems hand over bytes, taken as they are.
#pragma once

#include <string>
#include <vector>

namespace cli {

#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif

// The arguments after the program's name. Throws UsageError for an argument
// that is not valid text.
std::vector<std::string> program_arguments(int argc, NativeChar** argv);

}  // namespace cli
