// Must not compile: only the code that talks to the SMC sees IOKit.
#include <IOKit/IOKitLib.h>
