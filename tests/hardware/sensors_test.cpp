#include "ventoria/hardware/sensors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "virtual_mac_test.h"

namespace ventoria::hardware {
namespace {

using test::VirtualMacTest;

TEST(SensorNames, WellKnownKeysReadAsWhatTheyMeasureAndOthersStayKeys) {
    EXPECT_EQ(sensorName("TC0P"), "CPU proximity");
    EXPECT_EQ(sensorName("TB0T"), "Battery");
    EXPECT_EQ(sensorName("TB2T"), "Battery cell 2");
    EXPECT_EQ(sensorName("TaLP"), "Airflow left");
    EXPECT_EQ(sensorName("TC3C"), "CPU core 3");
    EXPECT_EQ(sensorName("Tp0X"), "CPU performance cores");
    EXPECT_EQ(sensorName("Te05"), "CPU efficiency cores");
    EXPECT_EQ(sensorName("Tg0D"), "GPU");
    EXPECT_EQ(sensorName("TPD0"), "");
    EXPECT_EQ(sensorName("TCXX"), "");  // not a core number
}

// The groups are what the controller uses: a chip key shown as "other" would hide where the
// Smart temperature comes from.
TEST(SensorNames, GroupsFollowTheKeysTheControllerWatches) {
    for (const char* key : {"Tp01", "Te0S", "Tg05", "TC0P", "TG0D", "TCXC"}) {
        EXPECT_EQ(sensorGroup(key), SensorGroup::chip) << key;
    }
    for (const char* key : {"TaLP", "TaRF", "TA0P"}) {
        EXPECT_EQ(sensorGroup(key), SensorGroup::chassis) << key;
    }
    EXPECT_EQ(sensorGroup("TB1T"), SensorGroup::battery);
    EXPECT_EQ(sensorGroup("TW0P"), SensorGroup::other);
    EXPECT_EQ(sensorGroup("TC1C"), SensorGroup::other);  // a core, not the sensors Smart reads
    EXPECT_EQ(rawValue(SensorGroup::chassis), "case");
    EXPECT_EQ(displayName(SensorGroup::battery), "Battery");
}

class SensorCatalogTest : public VirtualMacTest {
  protected:
    explicit SensorCatalogTest(sim::Profile profile = sim::Profile::appleSilicon)
        : VirtualMacTest(profile), smc(std::make_shared<SMCReader>()) {}

    // Every key of the machine that starts with "T" and holds a temperature.
    std::set<std::string> temperatureKeys() {
        std::set<std::string> keys;
        for (const auto& key : smc->allKeys()) {
            auto type = smc->keyInfo(key).type;
            if (key.starts_with("T") && (type == "flt " || type.starts_with("sp"))) {
                keys.insert(key);
            }
        }
        return keys;
    }

    std::shared_ptr<SMCReader> smc;
};

// Every sensor, no other key, grouped in order and sorted by key inside a group.
TEST_F(SensorCatalogTest, ListsEverySensorOnceInItsGroup) {
    SensorCatalog catalog(smc);
    auto readings = catalog.read();
    std::set<std::string> listed;
    for (const auto& reading : readings) listed.insert(reading.key);
    EXPECT_EQ(listed, temperatureKeys());
    EXPECT_EQ(listed.size(), readings.size());
    EXPECT_TRUE(std::is_sorted(readings.begin(), readings.end(), [](const auto& a, const auto& b) {
        return std::pair(a.group, a.key) < std::pair(b.group, b.key);
    }));
    auto battery = std::find_if(readings.begin(), readings.end(),
                                [](const auto& r) { return r.key == "TB0T"; });
    ASSERT_NE(battery, readings.end());
    EXPECT_EQ(battery->group, SensorGroup::battery);
    EXPECT_EQ(battery->name, "Battery");
    EXPECT_NEAR(*battery->celsius, 31.5, 0.01);
}

// A key that fails, and sensors that read nonsense or their reset value, stay listed and
// read as unknown; the others still read.
TEST_F(SensorCatalogTest, UnreadableSensorsStayListedWithoutAValue) {
    SensorCatalog catalog(smc);
    fault("TW0P", sim::FaultKind::result, 132);
    auto readings = catalog.read();
    auto value = [&](const std::string& key) {
        auto it = std::find_if(readings.begin(), readings.end(),
                               [&](const auto& r) { return r.key == key; });
        EXPECT_NE(it, readings.end()) << key;
        return it == readings.end() ? std::nullopt : it->celsius;
    };
    EXPECT_EQ(value("TW0P"), std::nullopt);
    EXPECT_EQ(value("Tp0Z"), std::nullopt);  // stuck at 40.0
    EXPECT_EQ(value("Tp0j"), std::nullopt);  // reads 150
    EXPECT_TRUE(value("TaLP").has_value());
}

class IntelSensorCatalogTest : public SensorCatalogTest {
  protected:
    IntelSensorCatalogTest() : SensorCatalogTest(sim::Profile::intel) {}
};

TEST_F(IntelSensorCatalogTest, FindsSignedFixedPointSensorsToo) {
    SensorCatalog catalog(smc);
    auto readings = catalog.read();
    auto proximity = std::find_if(readings.begin(), readings.end(),
                                  [](const auto& r) { return r.key == "TC0P"; });
    ASSERT_NE(proximity, readings.end());
    EXPECT_EQ(proximity->name, "CPU proximity");
    EXPECT_TRUE(proximity->celsius.has_value());
    std::set<std::string> listed;
    for (const auto& sensor : catalog.sensors()) listed.insert(sensor.key);
    EXPECT_EQ(listed, temperatureKeys());
}

}  // namespace
}  // namespace ventoria::hardware
