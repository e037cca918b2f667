#pragma once

#include <stdexcept>
#include <string>

namespace corvel {

/// Base of every error the program raises itself; carries the text shown to the user.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

/// A text could not be read as a number, or a format pattern did not fit its arguments.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

/// Floating-point faults, raised instead of letting NaN or infinity escape a calculation.
class EMathError : public Exception {
public:
    using Exception::Exception;
};

class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError("Invalid floating point operation") {}
};

class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError("Floating point division by zero") {}
};

class EOverflow : public EMathError {
public:
    EOverflow() : EMathError("Floating point overflow") {}
};

} // namespace corvel
