// The error kinds the program raises and reports. Handlers catch them at
// their entry and show the default error report; nothing throws across Qt.
#pragma once

#include <stdexcept>
#include <string>

// A text that should be a number is not one.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file could not be opened for reading.
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file could not be created or written.
class EFCreateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An input/output failure with the system's error code.
class EInOutError : public std::runtime_error {
public:
    EInOutError(const std::string& what, int code) : std::runtime_error(what), ErrorCode(code) {}
    int ErrorCode;
};

// A broken promise inside the program (a programming error).
class EAssertionFailed : public std::logic_error {
public:
    using std::logic_error::logic_error;
};
