// Reading the kernel's files as plain files: how the drivers are found and what the
// temperature sensors stand for, on trees laid out as real machines lay them out.

#include <gtest/gtest.h>

#include <fstream>

#include "temporary_root.h"
#include "ventoria/hardware/read_ports.h"
#include "ventoria/hardware/sysfs_temperatures.h"
#include "ventoria/hardware/thermals.h"

namespace ventoria::hardware {
namespace {

class SysfsReadTest : public ::testing::Test {
  protected:
    SysfsReadTest() { std::filesystem::create_directories(root.path() / "sys/class/hwmon"); }
    void file(const std::string& path, const std::string& text) {
        auto full = root.path() / "sys" / path;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full) << text << "\n";
    }
    test::TemporaryRoot root;
};

TEST_F(SysfsReadTest, WithoutADriverTheFansAreUnknownAndTheUserIsToldWhy) {
    auto ports = openReadPorts();
    EXPECT_EQ(ports.fans->fanCount(), std::nullopt);
    EXPECT_EQ(ports.fans->unavailable(),
              "No supported fan driver is loaded (applesmc or macsmc_hwmon)");
    EXPECT_TRUE(ports.temperatures->sensors().empty());
}

TEST_F(SysfsReadTest, MacsmcIsFoundByItsNameWhateverItsNumber) {
    file("class/hwmon/hwmon0/name", "nvme");
    file("class/hwmon/hwmon0/fan1_input", "999");
    file("class/hwmon/hwmon7/name", "macsmc_hwmon");
    file("class/hwmon/hwmon7/fan1_input", "2400");
    file("class/hwmon/hwmon7/fan1_target", "2400");
    auto ports = openReadPorts();
    EXPECT_EQ(ports.fans->fanCount(), 1);
    EXPECT_EQ(ports.fans->speed(0), 2400);
    EXPECT_EQ(ports.fans->mode(0), std::nullopt);  // macsmc_hwmon cannot say
    EXPECT_FALSE(ports.fans->modeReadable());
}

TEST_F(SysfsReadTest, CoretempStandsForTheChipOnlyWhereTheSMCNamesNone) {
    file("devices/platform/applesmc.768/temp1_label", "TA0P");
    file("devices/platform/applesmc.768/temp1_input", "31000");
    file("class/hwmon/hwmon2/name", "coretemp");
    file("class/hwmon/hwmon2/temp1_label", "Core 0");
    file("class/hwmon/hwmon2/temp1_input", "70000");
    file("class/hwmon/hwmon2/temp2_label", "Package id 0");
    file("class/hwmon/hwmon2/temp2_input", "55500");
    {
        Thermals thermals(openReadPorts().temperatures);
        EXPECT_EQ(thermals.chipKeys(), std::vector<std::string>{"Package id 0"});
        auto reading = thermals.sample();
        EXPECT_DOUBLE_EQ(*reading.chip, 55.5);
        EXPECT_DOUBLE_EQ(*reading.chassis, 31.0);
    }
    file("devices/platform/applesmc.768/temp2_label", "TC0P");
    file("devices/platform/applesmc.768/temp2_input", "48000");
    Thermals thermals(openReadPorts().temperatures);
    EXPECT_EQ(thermals.chipKeys(), std::vector<std::string>{"TC0P"});
}

TEST(LabelGroup, TheDeviceTreesWordsPlaceEachSensor) {
    const std::pair<const char*, SensorGroup> cases[] = {
        {"CPU P-core 1", SensorGroup::chip}, {"GPU 1", SensorGroup::chip},
        {"SoC die", SensorGroup::chip},      {"Airflow left", SensorGroup::chassis},
        {"Palm rest", SensorGroup::chassis}, {"Ambient", SensorGroup::chassis},
        {"Battery", SensorGroup::battery},   {"NAND", SensorGroup::other},
        {"TC0P", SensorGroup::chip},         {"TB0T", SensorGroup::battery},
    };
    for (auto [label, group] : cases) EXPECT_EQ(labelGroup(label), group) << label;
}

}  // namespace
}  // namespace ventoria::hardware
