#include "qt/window_arguments.h"

namespace listsong_qt {

namespace {

bool starts_with_dash(const std::string& arg) {
    return !arg.empty() && arg.front() == '-';
}

bool long_option(const std::string& arg) {
    return arg.starts_with("--");
}

}  // namespace

WindowArguments sort_window_arguments(const std::vector<std::string>& args) {
    WindowArguments sorted;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool has_next = i + 1 < args.size();
        if (arg == "--help") {
            sorted.help = true;
        } else if (long_option(arg)) {
            sorted.own.push_back(arg);
            if (has_next) {
                sorted.own.push_back(args[++i]);
            }
        } else if (starts_with_dash(arg)) {
            sorted.toolkit.push_back(arg);
            if (has_next && !starts_with_dash(args[i + 1])) {
                sorted.toolkit.push_back(args[++i]);
            }
        } else {
            sorted.own.push_back(arg);
        }
    }
    return sorted;
}

}  // namespace listsong_qt
