// listsong: dispatches to the command named by the first argument.
// Exit codes: 0 success, 1 failure, 2 usage.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"

namespace {

constexpr const char* kUsage =
    "usage: listsong create FILE\n"
    "       listsong info FILE [--codepage N]\n"
    "       listsong dump FILE [TABLE...] [--json] [--codepage N]\n"
    "       listsong check FILE [--codepage N]\n"
    "       listsong import FILE TABLE CSV [--codepage N]\n"
    "       listsong add --midi DIR --cur DIR --lyr DIR [--db FILE] [--codepage N]\n";

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 1 ? 2 : argc), argv + argc);
    const std::string command = argc > 1 ? argv[1] : "";
    try {
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
            return cli::run_add(args, std::cout);
        }
        if (command.empty()) {
            throw cli::UsageError("no command given");
        }
        throw cli::UsageError("unknown command '" + command + "'");
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
