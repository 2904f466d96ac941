#include "platform/services.h"

#include <gtest/gtest.h>

#include <thread>

namespace qv {
namespace {

class NamedServices : public HeadlessServices {
public:
    explicit NamedServices(std::string name) : name_(std::move(name)) {}
    std::string UserName() override { return name_; }

private:
    std::string name_;
};

// A thread's own services are its alone and end with their scope; the
// services installed for the program stay what every other thread sees.
TEST(ThreadServices, AreTheCallingThreadsAloneAndEndWithTheirScope) {
    NamedServices program("program"), mine("mine"), inner("inner");
    const ScopedServices installed(program);
    std::string seenElsewhere;
    {
        const ThreadServicesScope scope(mine);
        EXPECT_EQ(GetServices().UserName(), "mine");
        std::thread other([&] { seenElsewhere = GetServices().UserName(); });
        other.join();
        {
            const ThreadServicesScope nested(inner);
            EXPECT_EQ(GetServices().UserName(), "inner");
        }
        EXPECT_EQ(GetServices().UserName(), "mine");
    }
    EXPECT_EQ(seenElsewhere, "program");
    EXPECT_EQ(GetServices().UserName(), "program");
}

}  // namespace
}  // namespace qv
