#pragma once
// The one error type of the system and the house style of passing errors up.
//
// Every routine that is not an event handler traps errors and passes them up
// with its location in front of the error source ("Module.Routine(line):"), so
// the source grows into a call chain. Event handlers end the chain with one
// report. A function-try-block keeps the trap to one line:
//
//     int FirstAndLast(...) try {
//         ...
//     } QV_PASS_UP("AddIn", "FirstAndLast")

#include <exception>
#include <string>
#include <string_view>

namespace qv {

// Error numbers the system raises, with the host's published meanings.
namespace err {
constexpr long kInvalidProcedureCall = 5;   // "Invalid procedure call or argument"
constexpr long kOverflow = 6;               // "Overflow"
constexpr long kOutOfMemory = 7;            // "Out of memory"
constexpr long kSubscriptOutOfRange = 9;    // "Subscript out of range"
constexpr long kTypeMismatch = 13;          // "Type mismatch"
constexpr long kExpressionTooComplex = 16;  // "Expression too complex"
constexpr long kSubOrFunctionNotDefined = 35;  // "Sub or Function not defined"
constexpr long kInternalError = 51;         // "Internal error"
constexpr long kBadFileNameOrNumber = 52;   // "Bad file name or number"
constexpr long kFileNotFound = 53;          // "File not found"
constexpr long kPermissionDenied = 70;      // "Permission denied"
constexpr long kPathNotFound = 76;          // "Path not found"
constexpr long kObjectRequired = 424;       // "Object required"
constexpr long kInvalidPatternString = 93;  // "Invalid pattern string"
constexpr long kInvalidFileFormat = 321;    // "Invalid file format"
}  // namespace err

class VbError : public std::exception {
public:
    VbError(long number, std::string description, std::string source = {}, int line = 0);

    long Number() const { return number_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }
    // Line of the failing statement (0 when none is known).
    int Line() const { return line_; }

    // Puts "Module.Routine(line):" in front of the source.
    void PrependLocation(std::string_view module, std::string_view routine, int line);

    const char* what() const noexcept override;
    // "Description (error N, in Source)": how a run reports an error that
    // stopped it, naming where it arose.
    std::string ReportText() const;

private:
    long number_;
    std::string source_;
    std::string description_;
    int line_;
    mutable std::string what_;
};

// The description the host gives an error number ("" when unknown).
std::string_view StandardDescription(long number);

// Raises a new error whose line is the caller's source line. (The line comes
// from the compiler's __builtin_LINE, which every compiler the project is
// built with has, unlike std::source_location in clang 14.)
[[noreturn]] void Raise(long number, std::string description = {}, std::string source = {},
                        int line = __builtin_LINE());

// Called inside a catch block: passes the error being handled up with the
// routine's location added. Exceptions that are not VbError (a failed
// allocation, a library error) become VbError here, so that no other type
// leaves an engine.
[[noreturn]] void PassUp(std::string_view module, std::string_view routine, int line);

// Converts the exception being handled into a VbError without adding a location.
VbError CurrentAsVbError();

// Runs a step whose failure must not stop the steps after it; its error is
// dropped.
template <class Step>
void IgnoringErrors(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace qv

#define QV_PASS_UP(module, routine) \
    catch (...) { ::qv::PassUp(module, routine, __LINE__); }
