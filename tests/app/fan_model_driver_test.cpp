// The application's model on Apple silicon under Linux, where the kernel's driver does not say
// whether a fan is forced: it claims nothing about the mode, and the speed alone tells whether
// the fans do what was chosen.

#include <gtest/gtest.h>

#include "fan_model_fixture.h"

namespace ventoria::app {
namespace {

class MacsmcModelTest : public test::FanModelFixture {
  protected:
    MacsmcModelTest() : FanModelFixture(sim::KernelDriver::macsmc) {}
};

TEST_F(MacsmcModelTest, AModeNobodyCanReadIsNoProblemButASpeedThatDoesNotFollowIs) {
    installable();
    auto& m = start();
    ASSERT_EQ(m.fans().size(), 2u);
    EXPECT_FALSE(m.fans()[0].modeKnown);
    m.select(Preset::max);
    waitUntilApplied();
    const int allowance = 5;  // 10 s of 2-second polls: the fans may still be on their way
    for (int check = 1; check < allowance; ++check) {
        m.poll();
        EXPECT_EQ(m.fanProblem(), std::nullopt) << check;
    }
    m.poll();
    ASSERT_TRUE(m.fanProblem());
    EXPECT_TRUE(m.fanProblem()->startsWith("Fan 1 runs at 1")) << m.fanProblem()->toStdString();
    EXPECT_TRUE(m.fanProblem()->endsWith(" rpm, not the 5700 rpm asked"));
    for (const char* key : {"Ftst", "F0Md", "F1Md"}) setValue(key, 1);
    setValue("F0Tg", 5700);
    setValue("F1Tg", 6200);
    advance(10);
    m.poll();
    EXPECT_EQ(m.fanProblem(), std::nullopt);
}

}  // namespace
}  // namespace ventoria::app
