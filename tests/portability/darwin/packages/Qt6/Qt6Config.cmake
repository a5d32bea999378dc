# A stand-in for Homebrew's Qt when the Mac's tree is configured on Linux: the targets and
# variables the build names, nothing to compile against. Qt6::moc is a program that exists, so
# that AUTOMOC can be set up.
set(Qt6_VERSION 6.8.0)
set(QT6_INSTALL_PREFIX ${CMAKE_CURRENT_LIST_DIR})
foreach(component Core Gui Widgets Network Test DBus)
    if(NOT TARGET Qt6::${component})
        add_library(Qt6::${component} INTERFACE IMPORTED)
    endif()
    set(Qt6${component}_FOUND TRUE)
    set(Qt6${component}_VERSION ${Qt6_VERSION})
    set(Qt6${component}_VERSION_MAJOR 6)
    set(Qt6${component}_VERSION_MINOR 8)
endforeach()
# Later than the build's own 12.0, as a newer Qt is: the bundle must ask for the later one.
set_target_properties(Qt6::Core PROPERTIES QT_DARWIN_MIN_DEPLOYMENT_TARGET 13.0)
if(NOT TARGET Qt6::moc)
    add_executable(Qt6::moc IMPORTED)
    set_target_properties(Qt6::moc PROPERTIES IMPORTED_LOCATION /bin/true)
endif()
set(Qt6Core_VERSION_MAJOR 6)
set(Qt6Core_VERSION_MINOR 8)
set(Qt6_FOUND TRUE)
