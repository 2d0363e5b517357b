// Errors the engine raises.
#pragma once

#include <stdexcept>

namespace jet {

// Base of every error the engine raises about a database file.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The file is damaged or not laid out as the format requires; the message
// names the page and the structure.
class FormatError : public Error {
  public:
    using Error::Error;
};

// The file is a database the engine does not handle (another version, encoded).
class UnsupportedFile : public Error {
  public:
    using Error::Error;
};

}  // namespace jet
