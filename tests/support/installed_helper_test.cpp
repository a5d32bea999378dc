#include "installed_helper_test.h"

#include <cstdlib>
#include <fstream>

#include "ventoria/platform/system_root.h"

namespace ventoria::test {

InstalledHelperTest::~InstalledHelperTest() {
    auto launchctl = platform::systemPath("/bin/launchctl");
    if (std::filesystem::exists(launchctl)) {
        run({launchctl.string(), "bootout", "system/io.kestrand.ventoria.helper"});
    }
}

std::filesystem::path InstalledHelperTest::bundleWithHelperOfVersion(const std::string& version) {
    auto bundle = root.path() / ("bundle-" + version);
    std::filesystem::create_directories(bundle);
    // A wrapper, so the installed copy still knows which version to claim.
    auto helper = bundle / "VentoriaHelper";
    std::ofstream(helper) << "#!/bin/sh\nFAKE_HELPER_VERSION=" << version << " exec '"
                          << (binDirectory() / "fake_helper").string() << "'\n";
    std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
    for (const char* file : {"io.kestrand.ventoria.helper.plist", "launchctl"}) {
        std::filesystem::create_symlink(binDirectory() / file, bundle / file);
    }
    return bundle;
}

std::filesystem::path InstalledHelperTest::bundleWithoutHelper() {
    auto bundle = root.path() / "bundle-without-helper";
    std::filesystem::create_directories(bundle);
    std::filesystem::copy_file(binDirectory() / "ventoriactl", bundle / "ventoriactl");
    return bundle;
}

bool InstalledHelperTest::forced() {
    auto fans = machine().fans;
    return !fans.empty() && fans[0].forced && fans[1].forced;
}

bool InstalledHelperTest::handedBack() {
    auto shot = machine();
    return !shot.fans[0].forced && !shot.fans[1].forced && shot.ftst == 0.0;
}

}  // namespace ventoria::test
