// The program's failures: one small exception hierarchy whose classes report their own name,
// because the error report sends the class name of the failure that reached it.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace palimp {

// Base of every failure the program raises itself. The message is UTF-16 because it may carry
// file names; what() gives it as UTF-8 for logs and the command line.
class Exception : public std::exception {
public:
    explicit Exception(std::u16string message);
    const std::u16string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }
    virtual const char* ClassName() const noexcept { return "Exception"; }
    // A 32-bit code for the error report, when the failure carries one.
    virtual bool HasErrorCode() const noexcept { return false; }
    virtual unsigned long ErrorCode() const noexcept { return 0; }

private:
    std::u16string message_;
    std::string utf8_;
};

// A failed internal check: "Assertion failure (units\uuFunctions, line 405)".
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EAssertionFailed"; }
};

// The silent abort: dropped by the failure handler without a message.
class EAbort : public Exception {
public:
    EAbort() : Exception(u"Operation aborted") {}
    const char* ClassName() const noexcept override { return "EAbort"; }
};

// Integer division by zero ("Division by zero").
class EDivByZero : public Exception {
public:
    EDivByZero() : Exception(u"Division by zero") {}
    const char* ClassName() const noexcept override { return "EDivByZero"; }
};

// A file that cannot be opened for reading ("Cannot open file %s").
class EFOpenError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EFOpenError"; }
};

// A file that cannot be created or written ("Cannot create file %s").
class EFCreateError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EFCreateError"; }
};

// The source references that identify each internal check in error reports.
namespace unit {
inline constexpr std::u16string_view kUuFunctions = u"units\\uuFunctions";
inline constexpr std::u16string_view kFunctions = u"units\\functions";
inline constexpr std::u16string_view kGlowny = u"units\\glowny";
}  // namespace unit

// Raises EAssertionFailed with the message "Assertion failure (<unitRef>, line <line>)".
[[noreturn]] void FailAssertion(std::u16string_view unitRef, int line);

// Checks a condition; the unit reference and line are fixed identifiers of the check, not
// lines of our sources.
inline void Check(bool condition, std::u16string_view unitRef, int line) {
    if (!condition) FailAssertion(unitRef, line);
}

// UTF-16 to UTF-8 for messages and logs (unpaired surrogates become U+FFFD).
std::string ToUtf8(std::u16string_view text);
// ASCII or UTF-8 literal text to UTF-16 (well-formed input expected; used for messages).
std::u16string FromUtf8(std::string_view text);

}  // namespace palimp
