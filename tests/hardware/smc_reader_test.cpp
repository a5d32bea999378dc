#include <gtest/gtest.h>

#include "ventoria/hardware/smc.h"
#include "virtual_mac_test.h"

namespace ventoria::hardware {
namespace {

using sim::FaultKind;
using test::VirtualMacTest;

class SMCTest : public VirtualMacTest {
  protected:
    SMC smc;
};

TEST_F(SMCTest, KeyInfoIsLookedUpOnceAndThenCached) {
    auto before = machine().calls;
    EXPECT_EQ(smc.keyInfo("F0Ac"), (KeyInfo{4, "flt "}));
    EXPECT_EQ(smc.keyInfo("F0Ac"), (KeyInfo{4, "flt "}));
    EXPECT_EQ(machine().calls.readKeyInfo - before.readKeyInfo, 1u);
}

TEST_F(SMCTest, ASecondReadCostsOneCallNotTwo) {
    smc.read("F0Mx");
    auto calls = totalCalls();
    auto again = smc.read("F0Mx");
    EXPECT_EQ(totalCalls() - calls, 1u);
    EXPECT_EQ(again.info.type, "flt ");
    EXPECT_EQ(again.bytes.size(), 4u);
}

TEST_F(SMCTest, AFailedLookupIsTriedAgainNextTime) {
    fault("F0Mx", FaultKind::missing);
    EXPECT_THROW(smc.keyInfo("F0Mx"), SMCError);
    fault("F0Mx", FaultKind::none);
    auto calls = machine().calls.readKeyInfo;
    EXPECT_EQ(smc.keyInfo("F0Mx").size, 4u);
    EXPECT_EQ(machine().calls.readKeyInfo - calls, 1u);
}

TEST_F(SMCTest, FailuresBecomeTypedErrorsWithTheirTexts) {
    try {
        smc.read("Nope");
        FAIL();
    } catch (const SMCError& error) {
        EXPECT_EQ(error.kind(), SMCError::Case::keyNotFound);
        EXPECT_EQ(error.description(), "SMC key Nope not found");
    }
    fault("F0Ac", FaultKind::result, 1);
    try {
        smc.read("F0Ac");
        FAIL();
    } catch (const SMCError& error) {
        EXPECT_EQ(error.kind(), SMCError::Case::smcResult);
        EXPECT_EQ(error.description(), "SMC returned 1 for F0Ac");
    }
    fault("F1Ac", FaultKind::kernel, static_cast<int>(0xE00002C2));
    try {
        smc.read("F1Ac");
        FAIL();
    } catch (const SMCError& error) {
        EXPECT_EQ(error.kind(), SMCError::Case::callFailed);
        EXPECT_EQ(error.description(), "SMC call for F1Ac failed (-536870206)");
    }
    EXPECT_EQ(SMCError::openFailed(-536870174).description(),
              "Failed to open AppleSMC (-536870174)");
    EXPECT_EQ(SMCError::smcResult("Ftst", 200).description(), "SMC returned 200 for Ftst");
}

// A machine booted afresh in its file is a new service: a connection to the one before it
// fails as one whose service terminated, and a new connection reaches the new machine (whose
// keys the old one's cached key info would describe wrongly).
TEST_F(SMCTest, AConnectionDoesNotOutliveItsMachine) {
    SMCReader before;
    before.read("F0Md");
    sim::VirtualMac::create(
        root.path(), {.profile = sim::Profile::intel, .clock = sim::ClockMode::manual, .seed = 1});
    try {
        before.read("F0Md");
        FAIL() << "the connection reached the new machine";
    } catch (const SMCError& error) {
        EXPECT_EQ(error.kind(), SMCError::Case::callFailed);
        EXPECT_EQ(error.code(), static_cast<std::int32_t>(0xE00002C0));
    }
    SMCReader after;
    EXPECT_FALSE(after.findKey("F0Md"));
    EXPECT_TRUE(after.findKey("FS! "));
}

TEST_F(SMCTest, ReadsReturnAtMostTheDataArea) {
    mac->setRaw("Zer0", "ui8 ", {});
    EXPECT_TRUE(smc.read("Zer0").bytes.empty());
    std::vector<std::uint8_t> forty(40);
    for (std::size_t i = 0; i < forty.size(); ++i) forty[i] = static_cast<std::uint8_t>(i);
    mac->setRaw("Big!", "ch8*", forty);
    auto big = smc.read("Big!");
    EXPECT_EQ(big.info.size, 40u);
    EXPECT_EQ(big.bytes, std::vector<std::uint8_t>(forty.begin(), forty.begin() + 32));
}

TEST_F(SMCTest, WritesSendTheKeysSizeAndNoMore) {
    mac->setRaw("Two!", "ui16", {0, 0});
    smc.write("Two!", std::vector<std::uint8_t>(40, 0xAB));
    EXPECT_EQ(mac->dump("Two!")->bytes, (std::vector<std::uint8_t>{0xAB, 0xAB}));
    mac->setRaw("Four", "ui32", {9, 9, 9, 9});
    smc.write("Four", {0x07});
    EXPECT_EQ(mac->dump("Four")->bytes, (std::vector<std::uint8_t>{0x07, 0, 0, 0}));
}

TEST_F(SMCTest, WriteErrorsPropagate) {
    EXPECT_THROW(smc.write("F0Ac", {0, 0, 0, 0}), SMCError);  // measured, not writable
    EXPECT_THROW(smc.write("NoKy", {1}), SMCError);
}

TEST_F(SMCTest, EnumerationSeesEveryKeyInIndexOrder) {
    auto keys = smc.allKeys();
    EXPECT_EQ(keys.size(), machine().keyCount);
    EXPECT_EQ(keys.front(), "#KEY");
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(smc.keyAt(static_cast<std::uint32_t>(keys.size())), std::nullopt);
}

TEST_F(SMCTest, EnumerationSkipsAFailingIndexAndGoesOn) {
    auto all = smc.allKeys();
    fault("#5", FaultKind::kernel, static_cast<int>(0xE00002BC));
    auto keys = smc.allKeys();
    ASSERT_EQ(keys.size(), all.size() - 1);
    EXPECT_EQ(std::find(keys.begin(), keys.end(), all[5]), keys.end());
}

TEST_F(SMCTest, EnumerationWithoutAKeyCountIsEmpty) {
    fault("#KEY", FaultKind::missing);
    EXPECT_TRUE(smc.allKeys().empty());
}

class NoSMCTest : public VirtualMacTest {
  protected:
    NoSMCTest() : VirtualMacTest(sim::Profile::noSMC) {}
};

TEST_F(NoSMCTest, OpeningWithoutTheServiceFails) {
    try {
        SMCReader smc;
        FAIL();
    } catch (const SMCError& error) {
        EXPECT_EQ(error.kind(), SMCError::Case::serviceNotFound);
        EXPECT_EQ(error.description(), "AppleSMC service not found");
    }
}

}  // namespace
}  // namespace ventoria::hardware
