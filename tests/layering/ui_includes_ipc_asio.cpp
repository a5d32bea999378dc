// Must not compile: the interface has no business with the helper's Asio transport.
#include "ventoria/ipc/listener.h"
