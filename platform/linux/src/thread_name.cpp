#include "ventoria/platform/thread_name.h"

#include <pthread.h>

namespace ventoria::platform {

void nameThisThread(const std::string& name) {
    constexpr std::size_t kLongest = 15;  // and the terminating zero: TASK_COMM_LEN
    pthread_setname_np(pthread_self(), name.substr(0, kLongest).c_str());
}

}  // namespace ventoria::platform
