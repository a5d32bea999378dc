find_package(Threads REQUIRED)
find_package(nlohmann_json 3.11 REQUIRED)
find_package(CLI11 REQUIRED)

# Debian ships standalone Asio without a CMake package.
find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
add_library(asio INTERFACE)
target_include_directories(asio SYSTEM INTERFACE ${ASIO_INCLUDE_DIR})
# Asio decides between aligned_alloc and operator new by a libstdc++ macro that is only defined
# once some standard header came first, so translation units can disagree and free with the
# wrong function. One choice for every unit.
target_compile_definitions(asio INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED
                                          ASIO_DISABLE_STD_ALIGNED_ALLOC)
target_link_libraries(asio INTERFACE Threads::Threads)

if(NOT APPLE)
    # logind's word on who sits at the machine, and systemd's socket activation.
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(SYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
endif()

if(VENTORIA_BUILD_APP)
    find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Network Test)
    if(VENTORIA_MACHINE STREQUAL virtual)
        # The virtual Mac's desktop notifications go over the session bus.
        find_package(Qt6 6.4 REQUIRED COMPONENTS DBus)
    endif()
    find_package(QCoro6 0.8 REQUIRED COMPONENTS Core Network)
endif()

if(VENTORIA_BUILD_TESTS)
    find_package(GTest 1.12 REQUIRED)
endif()
if(VENTORIA_BUILD_BENCH)
    find_package(benchmark REQUIRED)
endif()
