#include "platform/vb_error.h"

#include <new>
#include <string>

namespace qv {

VbError::VbError(long number, std::string description, std::string source, int line)
    : number_(number), source_(std::move(source)), description_(std::move(description)),
      line_(line) {
    if (description_.empty()) description_ = std::string(StandardDescription(number));
}

void VbError::PrependLocation(std::string_view module, std::string_view routine, int line) {
    std::string prefix;
    prefix.reserve(module.size() + routine.size() + 16 + source_.size());
    prefix.append(module).append(".").append(routine).append("(");
    prefix.append(std::to_string(line)).append("):");
    source_ = prefix + source_;
}

std::string VbError::ReportText() const {
    return description_ + " (error " + std::to_string(number_) + ", in " + source_ + ")";
}

const char* VbError::what() const noexcept {
    try {
        what_ = source_.empty() ? description_ : source_ + " " + description_;
        what_ += " (error " + std::to_string(number_) + ")";
        return what_.c_str();
    } catch (...) {
        return "error";
    }
}

std::string_view StandardDescription(long number) {
    switch (number) {
        case err::kInvalidProcedureCall: return "Invalid procedure call or argument";
        case err::kOverflow: return "Overflow";
        case err::kOutOfMemory: return "Out of memory";
        case err::kSubscriptOutOfRange: return "Subscript out of range";
        case err::kTypeMismatch: return "Type mismatch";
        case err::kExpressionTooComplex: return "Expression too complex";
        case err::kSubOrFunctionNotDefined: return "Sub or Function not defined";
        case err::kInternalError: return "Internal error";
        case err::kBadFileNameOrNumber: return "Bad file name or number";
        case err::kFileNotFound: return "File not found";
        case err::kPermissionDenied: return "Permission denied";
        case err::kPathNotFound: return "Path not found";
        case err::kObjectRequired: return "Object required";
        case err::kInvalidPatternString: return "Invalid pattern string";
        case err::kInvalidFileFormat: return "Invalid file format";
        default: return {};
    }
}

void Raise(long number, std::string description, std::string source, int line) {
    throw VbError(number, std::move(description), std::move(source), line);
}

VbError CurrentAsVbError() {
    try {
        throw;
    } catch (const VbError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return VbError(err::kOutOfMemory, {});
    } catch (const std::exception& e) {
        return VbError(err::kInternalError, std::string("Internal error: ") + e.what());
    } catch (...) {
        return VbError(err::kInternalError, {});
    }
}

void PassUp(std::string_view module, std::string_view routine, int line) {
    VbError error = CurrentAsVbError();
    error.PrependLocation(module, routine, line);
    throw error;
}

}  // namespace qv
