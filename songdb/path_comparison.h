// Comparing paths the way the file system that holds them compares names.
// Windows compares names without regard to case and takes '/' for '\';
// other systems compare names byte for byte. A stored path shows which kind
// of system it names: one that starts with a drive letter ("D:") or "\\"
// names a Windows path, any other a path of this machine.
//
// Case is folded for the letters of the Latin, Greek and Cyrillic alphabets
// (Thai has no case); text that is not valid UTF-8 is compared as bytes.
#pragma once

#include <string>
#include <string_view>

namespace songdb {

// The form of `path` that two paths naming the same file share: for a
// Windows path every letter in upper case and every '/' a '\'; any other path
// as it is (on Windows, every path of this machine is a Windows path).
std::string path_comparison_key(std::string_view path);

// Whether two names are the same name on this machine's file system.
bool same_native_name(std::string_view a, std::string_view b);

}  // namespace songdb
