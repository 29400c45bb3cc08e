// Starts the runtime as the program does, then runs the tests. Every test must leave the string
// registry as it found it: a listener fails any test that leaks or over-releases a text value.
#include <gtest/gtest.h>

#include "runtime/string_registry.h"

namespace {

class RegistryBalance : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { before_ = RegistryCount(); }
    void OnTestEnd(const testing::TestInfo& info) override {
        if (RegistryCount() != before_) {
            ADD_FAILURE() << info.test_suite_name() << "." << info.name() << " left " << RegistryCount()
                          << " text values registered, found " << before_;
        }
    }
    int32_t before_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    RuntimeInit();
    RuntimeReserve();
    testing::UnitTest::GetInstance()->listeners().Append(new RegistryBalance);
    return RUN_ALL_TESTS();
}
