#pragma once
// Naming the calling thread, so that a debugger, `top -H` or a crash report tells the helper's
// threads apart. Linux takes the thread and at most 15 characters; the Mac only the calling
// thread's name.

#include <string>

namespace ventoria::platform {

// Names the calling thread `name`, shortened to what the system holds.
void nameThisThread(const std::string& name);

}  // namespace ventoria::platform
