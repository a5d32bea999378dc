#include "ventoria/platform/thread_name.h"

#include <pthread.h>

namespace ventoria::platform {

void nameThisThread(const std::string& name) {
    constexpr std::size_t kLongest = 63;  // MAXTHREADNAMESIZE less its terminating zero
    pthread_setname_np(name.substr(0, kLongest).c_str());
}

}  // namespace ventoria::platform
