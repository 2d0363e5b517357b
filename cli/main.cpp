// listsong: dispatches to the command named by the first argument.
// Exit codes: 0 success, 1 failure, 2 usage.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/options.h"
#include "cli/program_arguments.h"

namespace {

constexpr const char* kUsage =
    "usage: listsong create FILE\n"
    "       listsong info FILE [--codepage N]\n"
    "       listsong dump FILE [TABLE...] [--json] [--codepage N]\n"
    "       listsong check FILE [--codepage N]\n"
    "       listsong import FILE TABLE CSV [--codepage N]\n"
    "       listsong add --midi DIR --cur DIR --lyr DIR [--db FILE] [--codepage N]\n";

int run_command(const std::vector<std::string>& arguments, cli::LineRedraw redraw) {
    const std::string command = arguments.empty() ? "" : arguments[0];
    const std::vector<std::string> args(arguments.begin() + (arguments.empty() ? 0 : 1),
                                        arguments.end());
    if (command == "create") {
        return cli::run_create(args, std::cout);
    }
    if (command == "info") {
        return cli::run_info(args, std::cout);
    }
    if (command == "dump") {
        return cli::run_dump(args, std::cout);
    }
    if (command == "check") {
        return cli::run_check(args, std::cout);
    }
    if (command == "import") {
        return cli::run_import(args, std::cout);
    }
    if (command == "add") {
        return cli::run_add(args, std::cout, redraw);
    }
    if (command.empty()) {
        throw cli::UsageError("no command given");
    }
    throw cli::UsageError("unknown command '" + command + "'");
}

int run(int argc, cli::NativeChar** argv) {
    std::ios::sync_with_stdio(false);
    const cli::ConsoleOutput console;
    try {
        return run_command(cli::program_arguments(argc, argv), console.line_redraw());
    } catch (const cli::UsageError& e) {
        std::cout.flush();
        std::cerr << "listsong: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "listsong: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace

// Windows hands the arguments over as UTF-16 to wmain.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return run(argc, argv);
}
#else
int main(int argc, char** argv) {
    return run(argc, argv);
}
#endif
