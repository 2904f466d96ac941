#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/error_state.h"
#include "platform/vb_error.h"

namespace qv {
namespace {

void Inner() try {
    Raise(err::kTypeMismatch, {}, "first");
} QV_PASS_UP("Inner", "Work")

void Outer() try {
    Inner();
} QV_PASS_UP("Outer", "Run")

void Library() try {
    throw std::out_of_range("index 7");
} QV_PASS_UP("Lib", "Call")

TEST(ErrorConvention, LocationsGrowIntoAChainOutermostFirst) {
    try {
        Outer();
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), err::kTypeMismatch);
        EXPECT_EQ(e.Description(), "Type mismatch");
        EXPECT_EQ(e.Source().rfind("Outer.Run(", 0), 0u) << e.Source();
        const size_t inner = e.Source().find("):Inner.Work(");
        ASSERT_NE(inner, std::string::npos) << e.Source();
        EXPECT_NE(e.Source().find("):first", inner), std::string::npos) << e.Source();
        EXPECT_GT(e.Line(), 0);
    }
}

TEST(ErrorConvention, ForeignExceptionsBecomeVbErrors) {
    try {
        Library();
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), err::kInternalError);
        EXPECT_NE(e.Description().find("index 7"), std::string::npos);
        EXPECT_EQ(e.Source().rfind("Lib.Call(", 0), 0u);
    }
}

TEST(ErrorState, SaveAndRestoreKeepAPendingError) {
    SetCurrentError(VbError(91, "Object variable not set", "A.B(3):"));
    ErrorSave();
    ClearCurrentError();
    SetCurrentError(VbError(5, "other", "C.D(1):"));  // work done by a clean-up
    ErrorRestore();
    EXPECT_EQ(Err().number, 91);
    EXPECT_EQ(Err().description, "Object variable not set");
    EXPECT_EQ(Err().source, "A.B(3):");
    ClearCurrentError();
    ClearSavedError();
}

}  // namespace
}  // namespace qv
