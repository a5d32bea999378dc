# Presents a Mac to CMake on Linux, without its SDK: enough to configure the native tree and
# generate its build, never to compile it. The compilers are not run (no SDK to run them on).
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_VERSION 23.0)
set(CMAKE_SYSTEM_PROCESSOR arm64)
set(CMAKE_OSX_ARCHITECTURES arm64)
# The host's root as the "SDK": the few checks CMake compiles (threads) find its headers.
set(CMAKE_OSX_SYSROOT /)
foreach(language C CXX OBJC OBJCXX)
    set(CMAKE_${language}_COMPILER_WORKS TRUE)
endforeach()
find_program(host_clang clang REQUIRED NO_CMAKE_FIND_ROOT_PATH)
find_program(host_clangxx clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(CMAKE_C_COMPILER ${host_clang})
set(CMAKE_CXX_COMPILER ${host_clangxx})
set(CMAKE_OBJC_COMPILER ${host_clang})
set(CMAKE_OBJCXX_COMPILER ${host_clangxx})
# Apple's binary tools, which only a Mac has; nothing here runs them.
set(CMAKE_INSTALL_NAME_TOOL /bin/true)
# The stand-in Qt and QCoro packages first; the host's own header-only packages after them.
list(PREPEND CMAKE_PREFIX_PATH ${CMAKE_CURRENT_LIST_DIR}/packages)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM BOTH)
# There is no Mac linker: CMake's own checks compile, never link.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
