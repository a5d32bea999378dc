// VentoriaHelper: the root daemon, the only writer to the SMC.

#include "daemon.h"

int main() {
    return ventoria::helper::runDaemon();
}
