// The power source on Linux, from the kernel's power_supply class as Macs' drivers fill it:
// the charger's "online" decides; a battery alone means running on it.

#include "ventoria/platform/power_supply.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "case_name.h"
#include "temporary_root.h"
#include "ventoria/platform/kernel_power_supply.h"

namespace ventoria::platform {
namespace {

using Supply = std::map<std::string, std::string>;  // attribute → its value

struct Case {
    const char* name;
    std::map<std::string, Supply> supplies;  // directory name → attributes
    std::optional<bool> onBattery;
};

class KernelPowerSupplyTest : public ::testing::TestWithParam<Case> {};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

TEST_P(KernelPowerSupplyTest, TheChargerDecides) {
    test::TemporaryRoot root;
    auto directory = root.path() / "sys/class/power_supply";
    std::filesystem::create_directories(directory);
    for (const auto& [name, attributes] : GetParam().supplies) {
        std::filesystem::create_directories(directory / name);
        for (const auto& [attribute, value] : attributes) {
            std::ofstream(directory / name / attribute) << value << "\n";
        }
    }
    EXPECT_EQ(kernelOnBattery(directory), GetParam().onBattery);
    // What every program asks: the kernel's word wherever the system root has the class.
    EXPECT_EQ(onBattery(), GetParam().onBattery);
}

const Supply kBatteryDischarging{{"type", "Battery"}, {"present", "1"}, {"status", "Discharging"}};

INSTANTIATE_TEST_SUITE_P(
    EachMachine, KernelPowerSupplyTest,
    ::testing::Values(
        Case{"a laptop on the charger",
             {{"ADP1", {{"type", "Mains"}, {"online", "1"}}}, {"BAT0", kBatteryDischarging}},
             false},
        Case{"a laptop unplugged",
             {{"ADP1", {{"type", "Mains"}, {"online", "0"}}}, {"BAT0", kBatteryDischarging}},
             true},
        // Apple silicon's charger shows as a USB-C supply.
        Case{"a USB-C charger online",
             {{"macsmc-ac", {{"type", "USB"}, {"online", "1"}}}, {"BAT0", kBatteryDischarging}},
             false},
        Case{"a battery and no charger listed", {{"BAT0", kBatteryDischarging}}, true},
        Case{"a battery that is not there",
             {{"ADP1", {{"type", "Mains"}, {"online", "0"}}},
              {"BAT0", {{"type", "Battery"}, {"present", "0"}}}},
             std::nullopt},
        Case{"a desktop on mains", {{"AC", {{"type", "Mains"}, {"online", "1"}}}}, false},
        Case{"a desktop whose mouse has a battery",
             {{"hidpp_battery_0", {{"type", "Battery"}, {"scope", "Device"}, {"present", "1"}}}},
             std::nullopt},
        Case{"no supply at all", {}, std::nullopt}),
    test::CaseName());

}  // namespace
}  // namespace ventoria::platform
