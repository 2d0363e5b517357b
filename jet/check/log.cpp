#include "jet/check/log.h"

namespace jet {

void FindingLog::error(std::optional<PageNumber> page, const std::string& structure,
                       const std::string& message) {
    report_.findings.push_back({Severity::Error, page, structure, message});
    ++report_.summary.errors;
}

void FindingLog::warning(std::optional<PageNumber> page, const std::string& structure,
                         const std::string& message) {
    report_.findings.push_back({Severity::Warning, page, structure, message});
    ++report_.summary.warnings;
}

}  // namespace jet
