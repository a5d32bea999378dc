// A Mac running Linux is its own machine: with "/" as the system root every program reads the
// kernel's clock and leaves the root as it found it. Booting a virtual Mac there put a file of
// ours in the machine's "/", and under the service's read-only system failed at every call,
// which stopped the clock the helper steps Smart by.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "ventoria/platform/machine_clock.h"
#include "ventoria/platform/power_supply.h"
#include "ventoria/platform/system_root.h"
#include "ventoria/platform/virtual_display.h"

namespace ventoria::platform {
namespace {

class MachineItselfTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* root = std::getenv("VENTORIA_SYSROOT")) saved_ = root;
        if (std::filesystem::exists(kVirtualMacFolder)) {
            GTEST_SKIP() << "this machine's root already holds a virtual Mac";
        }
        setenv("VENTORIA_SYSROOT", "/", 1);
    }
    void TearDown() override {
        if (saved_) {
            setenv("VENTORIA_SYSROOT", saved_->c_str(), 1);
        } else {
            unsetenv("VENTORIA_SYSROOT");
        }
        // What a faulty build made in this machine's root goes with the test that found it.
        if (!IsSkipped()) std::filesystem::remove_all(kVirtualMacFolder);
    }

    static constexpr const char* kVirtualMacFolder = "/VirtualMac";
    std::optional<std::string> saved_;
};

TEST_F(MachineItselfTest, ReadsTheKernelsClockAndLeavesTheRootAsItWas) {
    ASSERT_TRUE(onTheMachineItself());
    for (int read = 0; read < 3; ++read) {
        auto before = std::chrono::steady_clock::now().time_since_epoch();
        auto machine = MachineClock::now().time_since_epoch();
        auto after = std::chrono::steady_clock::now().time_since_epoch();
        EXPECT_LE(before, machine);
        EXPECT_LE(machine, after);
    }
    EXPECT_EQ(virtualNotch(), std::nullopt) << "a Linux desktop's screen has no notch of ours";
    onBattery();  // the kernel's word, or none: never a virtual Mac's
    EXPECT_FALSE(std::filesystem::exists(kVirtualMacFolder));
}

}  // namespace
}  // namespace ventoria::platform
