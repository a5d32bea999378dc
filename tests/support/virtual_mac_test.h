#pragma once
// A test on a fresh virtual Mac of its own, with a manual clock.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "temporary_root.h"
#include "ventoria/sim/virtual_mac.h"

namespace ventoria::sim {
// "applesmc", "macsmc", … in test names and failures, not bytes.
void PrintTo(KernelDriver driver, std::ostream* out);
}  // namespace ventoria::sim

namespace ventoria::test {

// The ways to the fans a suite can run on here: the virtual Mac's SMC everywhere, and under
// Linux also the virtual kernel driver's files.
std::vector<sim::KernelDriver> backendsHere();

class VirtualMacTest : public ::testing::Test {
  protected:
    explicit VirtualMacTest(sim::Profile profile = sim::Profile::appleSilicon);
    // The machine of `driver`, seen through that Linux kernel driver: the real ventoria-kernel
    // serves its files on the root's /sys, so every program under the root uses them. With
    // none, the Apple-silicon machine through its SMC.
    explicit VirtualMacTest(sim::KernelDriver driver);
    ~VirtualMacTest() override;

    void advance(double seconds);
    sim::Snapshot machine() { return mac->snapshot(); }
    void setValue(const std::string& key, double value) { mac->setValue(key, value); }
    // `key` fails as `kind` says, on every call or (`every` > 1) only on every `every`th.
    void fault(const std::string& key, sim::FaultKind kind, int code = 0, std::uint32_t every = 0);
    std::uint64_t writes(const std::string& key);
    // Every call the SMC has answered so far, of all commands.
    std::uint64_t totalCalls();

    TemporaryRoot root;
    std::shared_ptr<sim::VirtualMac> mac;

  private:
    bool driverStarted_ = false;
};

}  // namespace ventoria::test
