// Other programs that tests start: the independent readers (mdbtools, node
// with mdb-reader) and listsong itself, run as a command line whose output
// the test reads.
#pragma once

#include <string>

namespace jet_test {

// Runs a command line and returns what it printed on its standard output;
// `status` is how it ended, 0 when it succeeded. On Linux the shell runs it
// (its error output stays apart unless the command joins it, " 2>&1"); on
// Windows the line is started as a program with its arguments, no shell, and
// its error output comes with its standard output. `status` is -1 when it
// could not start.
std::string run_command(const std::string& command, int& status);

// The same, for a command whose output alone tells whether it did its work.
std::string run_command(const std::string& command);

// Whether the Linux program `name` can be started. A missing one fails the
// test instead of quietly narrowing what it proves: the independent readers
// belong to the test setup (scripts/setup installs them). Under Wine they
// are out of reach: there the answer is false, without a failure, and
// scripts/test-windows reads the catalogues listsong.exe writes with them on
// Linux.
bool require_program(const std::string& name);

}  // namespace jet_test
