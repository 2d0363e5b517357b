// The list of findings one consistency check collects, with their tally.
#pragma once

#include <optional>
#include <string>

#include "jet/check.h"

namespace jet {

class FindingLog {
  public:
    explicit FindingLog(CheckReport& report) : report_(report) {}

    void error(std::optional<PageNumber> page, const std::string& structure,
               const std::string& message);
    void warning(std::optional<PageNumber> page, const std::string& structure,
                 const std::string& message);

    // An error too many of its kind to list one by one; the caller lists a
    // note of how many instead.
    void count_unlisted_error() { ++report_.summary.errors; }

  private:
    CheckReport& report_;
};

}  // namespace jet
