// listsong: dispatches to the command named by the first argument, or shows
// the help or the version.
// Exit codes: 0 success, 1 failure, 2 usage.
#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/catalogue_file.h"
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/help.h"
#include "cli/options.h"
#include "cli/program_arguments.h"

namespace {

constexpr const char* kCommandNames = "create, info, dump, check, import, add or help";

bool is_help_option(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

// `listsong help [COMMAND]`, `listsong --help [COMMAND]`.
int show_help(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "help") {
        std::cout << cli::overview_text();
    } else if (args.size() > 1) {
        throw cli::UsageError("help takes one COMMAND, not " + std::to_string(args.size()) +
                              ": name the command to tell of");
    } else if (!cli::is_command(args[0])) {
        throw cli::UsageError("there is no command '" + args[0] + "': name one of " +
                              kCommandNames);
    } else {
        std::cout << cli::command_help(args[0]);
    }
    return 0;
}

int run_command(const std::string& command, const std::vector<std::string>& args,
                cli::LineRedraw redraw) {
    if (command == "help" || is_help_option(command)) {
        return show_help(args);
    }
    if (command == "--version") {
        if (!args.empty()) {
            throw cli::UsageError("--version takes no argument: write listsong --version");
        }
        std::cout << cli::version_text() << "\n";
        return 0;
    }
    if (command.empty()) {
        throw cli::UsageError(std::string("no command given: name one of ") + kCommandNames);
    }
    if (!cli::is_command(command)) {
        throw cli::UsageError("there is no command '" + command + "': name one of " +
                              kCommandNames);
    }
    if (std::any_of(args.begin(), args.end(), is_help_option)) {
        std::cout << cli::command_help(command);
        return 0;
    }
    cli::require_named_catalogue(command, args);
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
    return cli::run_add(args, std::cout, redraw);
}

int run(int argc, cli::NativeChar** argv) {
    std::ios::sync_with_stdio(false);
    const cli::ConsoleOutput console;
    std::string command;
    try {
        const std::vector<std::string> arguments = cli::program_arguments(argc, argv);
        command = arguments.empty() ? "" : arguments[0];
        const std::vector<std::string> args(arguments.begin() + (arguments.empty() ? 0 : 1),
                                            arguments.end());
        return run_command(command, args, console.line_redraw());
    } catch (const cli::UsageError& e) {
        std::cout.flush();
        std::cerr << "listsong: " << e.what() << "\n\n"
                  << (cli::is_command(command) ? cli::command_usage(command)
                                               : cli::overview_text());
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
