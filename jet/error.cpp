#include "jet/error.h"

#include <cerrno>
#include <cstring>

namespace jet {

std::string system_reason() {
    return std::strerror(errno);
}

}  // namespace jet
