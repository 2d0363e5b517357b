// The locale variables (LC_ALL, LC_CTYPE, LANG) that choose the system's code
// page off Windows, set by a test and put back as they were afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace jet_test {

inline void set_variable(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv((std::string(name) + "=" + value).c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

inline void unset_variable(const char* name) {
#ifdef _WIN32
    _putenv((std::string(name) + "=").c_str());  // an empty value removes the variable
#else
    unsetenv(name);
#endif
}

// Unsets the three variables while it lives, or sets LANG alone to `lang`.
class LocaleVariables {
  public:
    explicit LocaleVariables(const std::optional<std::string>& lang = std::nullopt) {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.emplace_back(value ? std::optional<std::string>(value) : std::nullopt);
            unset_variable(name);
        }
        if (lang) {
            set_variable("LANG", *lang);
        }
    }
    ~LocaleVariables() {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            if (saved_[i]) {
                set_variable(kNames[i], *saved_[i]);
            } else {
                unset_variable(kNames[i]);
            }
        }
    }
    LocaleVariables(const LocaleVariables&) = delete;
    LocaleVariables& operator=(const LocaleVariables&) = delete;

  private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    std::vector<std::optional<std::string>> saved_;
};

}  // namespace jet_test
