// Fires a number of helper ticks in one steady mode. Under callgrind with collection off at
// start, it collects only during the ticks, so the totals are the ticks' alone:
//   valgrind --tool=callgrind --collect-atstart=no tick_driver fixed 200
// With TICK_DRIVER_NO_TOGGLE set it leaves collection to callgrind's own --toggle-collect.

#include <valgrind/callgrind.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "helper_rig.h"

int main(int argc, char** argv) {
    using ventoria::bench::TickMode;
    if (argc != 3) {
        std::cerr << "usage: tick_driver fixed|smart-boost|smart-idle TICKS\n";
        return 2;
    }
    std::string name = argv[1];
    auto mode = name == "fixed"         ? TickMode::fixed
                : name == "smart-boost" ? TickMode::smartBoost
                                        : TickMode::smartIdle;
    ventoria::bench::HelperRig rig(mode);
    int ticks = std::stoi(argv[2]);
    bool toggle = std::getenv("TICK_DRIVER_NO_TOGGLE") == nullptr;
    if (toggle) CALLGRIND_TOGGLE_COLLECT;
    for (int i = 0; i < ticks; ++i) rig.tick();
    if (toggle) CALLGRIND_TOGGLE_COLLECT;
    return 0;
}
