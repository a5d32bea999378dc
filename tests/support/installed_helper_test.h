#pragma once
// A test on its own virtual Mac whose helper is installed the real way (the install script,
// the launchctl stand-in) and booted out again at the end.

#include <filesystem>

#include "helper_process.h"
#include "process.h"
#include "virtual_mac_test.h"

namespace ventoria::test {

class InstalledHelperTest : public VirtualMacTest {
  protected:
    ~InstalledHelperTest() override;

    // A bundle like the build's, whose VentoriaHelper answers the version `version`.
    std::filesystem::path bundleWithHelperOfVersion(const std::string& version);
    // A bundle holding only a copy of ventoriactl: the helper is missing from it.
    std::filesystem::path bundleWithoutHelper();

    bool forced();
    bool handedBack();
};

}  // namespace ventoria::test
