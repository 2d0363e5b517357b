#include "tests/support/programs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include "jet/unicode.h"
#endif

namespace jet_test {

#ifdef _WIN32
std::string run_command(const std::string& command, int& status) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    std::string out;
    status = -1;
    if (!CreatePipe(&read_end, &write_end, &inherited, 0)) {
        return out;
    }
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    std::wstring line;
    jet::append_utf16_of_utf8(line, command);
    PROCESS_INFORMATION child{};
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &child);
    CloseHandle(write_end);
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        out.append(buffer, n);
    }
    CloseHandle(read_end);
    if (started) {
        WaitForSingleObject(child.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        status = static_cast<int>(code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    return out;
}

bool require_program(const std::string&) {
    return false;
}
#else
std::string run_command(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return out;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    status = pclose(pipe);
    return out;
}

bool require_program(const std::string& name) {
    const bool found = std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
    if (!found) {
        ADD_FAILURE() << name << " is missing; scripts/setup installs it";
    }
    return found;
}
#endif

std::string run_command(const std::string& command) {
    int status = 0;
    return run_command(command, status);
}

}  // namespace jet_test
