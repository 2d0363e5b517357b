// The listsong commands. Each takes the arguments after its name, writes its
// result to `out` and returns the exit code; failures are thrown.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/console_output.h"

namespace cli {

int run_create(const std::vector<std::string>& args, std::ostream& out);
int run_info(const std::vector<std::string>& args, std::ostream& out);
int run_dump(const std::vector<std::string>& args, std::ostream& out);
int run_check(const std::vector<std::string>& args, std::ostream& out);
int run_import(const std::vector<std::string>& args, std::ostream& out);
// `redraw`: how a line on `out` can be redrawn, for the progress line.
int run_add(const std::vector<std::string>& args, std::ostream& out, LineRedraw redraw);

}  // namespace cli
