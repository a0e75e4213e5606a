#pragma once
// The exception classes. `Exception` plays the part of the general error base; ClassName() is
// what a user sees in the dispatcher's error reply ("EConvertError", "EFatalCommandError"...).

#include <stdexcept>
#include <string>

namespace tv {

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual const char* ClassName() const { return "Exception"; }
};

// Text that does not convert to a number, or a format that does not fit its arguments.
class EConvertError final : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EConvertError"; }
};

// A file that cannot be created, opened or written.
class EInOutError final : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EInOutError"; }
};

// A list index out of range ("Invalid list index.").
class EListError final : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EListError"; }
};

// The base of the program's own errors.
class ETerravaneException : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "ETerravaneException"; }
};

// An SDK call of the login sequence failed: "%s failed, reason %d".
class EMethodFailed final : public ETerravaneException {
public:
    EMethodFailed(const std::string& call, int reason);
    const char* ClassName() const override { return "EMethodFailed"; }
    int Reason() const { return reason_; }

private:
    int reason_;
};

// A pending-request record that must exist was not found.
class ETerrainNoCallback final : public ETerravaneException {
public:
    ETerrainNoCallback(int cellX, int cellZ, int type);
    const char* ClassName() const override { return "ETerrainNoCallback"; }
};

// A command request that a handler cannot carry out.
class EFatalCommandError final : public ETerravaneException {
public:
    using ETerravaneException::ETerravaneException;
    const char* ClassName() const override { return "EFatalCommandError"; }
};

// The class name of any exception, for error replies.
const char* ExceptionClassName(const std::exception& error);

}  // namespace tv
