// The catalogue a command works on is looked for before it is opened, so
// that a mistyped name, or a catalogue not made yet, is told together with
// the command that makes one.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Throws std::runtime_error when nothing is at `file`: "no catalogue at FILE:
// make one with `listsong create FILE`, or name " and then `another`, such as
// "another with --db". A file that is there but cannot be read is left to the
// open to tell.
void require_catalogue(const std::filesystem::path& file, std::string_view another);

// The same for the FILE that the arguments of info, dump, check and import
// name first; nothing for another command, or for arguments the command
// refuses, so that its usage error comes first. Throws UsageError as
// parse_options.
void require_named_catalogue(std::string_view command, const std::vector<std::string>& args);

}  // namespace cli
