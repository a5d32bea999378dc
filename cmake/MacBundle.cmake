# Ventoria.app: the application with the helper, its launchd property list, ventoriactl and the
# Qt it runs on inside, where the installer's bundle look-ups find them (auxiliary executables
# beside the main one in Contents/MacOS, the property list in Contents/Resources, Qt in
# Contents/Frameworks and Contents/PlugIns).
#
# CMake attaches build steps and bundle files only to targets of the directory that makes them,
# so each directory calls the function for its own target: the helper and ventoriactl
# ventoria_place_in_bundle(), the application ventoria_make_bundle().
#
# Signing: the helper is signed as it is linked, before its digest is compiled into the
# application, and never again. Everything else is signed once Qt is deployed, inside out
# (cmake/SealBundle.cmake), and sealed again whenever any program in the bundle is relinked.
# A real identity (VENTORIA_CODESIGN_IDENTITY) signs with the hardened runtime and a timestamp;
# the ad hoc signature of a local build ("-") signs without the hardened runtime, whose library
# validation would refuse the Qt libraries of a build that has no Developer ID.
set(VENTORIA_CODESIGN_IDENTITY "-" CACHE STRING "codesign identity; - signs ad hoc")
set(VENTORIA_BUNDLE_CONTENTS ${CMAKE_BINARY_DIR}/bin/Ventoria.app/Contents)
find_program(VENTORIA_CODESIGN codesign)
find_program(VENTORIA_MACDEPLOYQT macdeployqt HINTS ${QT6_INSTALL_PREFIX}/bin)
if(NOT VENTORIA_CODESIGN OR NOT VENTORIA_MACDEPLOYQT)
    message(FATAL_ERROR "The Mac bundle needs codesign (Xcode's command line tools) and "
                        "macdeployqt (Qt's); found '${VENTORIA_CODESIGN}' and "
                        "'${VENTORIA_MACDEPLOYQT}'")
endif()
# `cpack` makes a disk image with the sealed bundle and a link to /Applications.
set(CPACK_GENERATOR DragNDrop)
set(CPACK_PACKAGE_FILE_NAME Ventoria-${PROJECT_VERSION})
set(CPACK_DMG_VOLUME_NAME Ventoria)

if(VENTORIA_CODESIGN_IDENTITY STREQUAL "-")
    set(ventoria_sign_options "")
else()
    set(ventoria_sign_options --options runtime --timestamp)
endif()

# Linked as it will be installed, loading Qt from the bundle's own Frameworks: `cpack` then
# copies the sealed bundle as it is, where rewriting a program's paths at install would break
# its signature.
function(ventoria_bundle_rpath target)
    set_target_properties(${target} PROPERTIES BUILD_WITH_INSTALL_RPATH ON
                                               INSTALL_RPATH "@executable_path/../Frameworks")
endfunction()

# An auxiliary program in Contents/MacOS. `SIGNED_AT_LINK` signs it as it is linked: the helper,
# whose digest the application compiles in, so that the seal must never touch it again.
function(ventoria_place_in_bundle target)
    cmake_parse_arguments(PARSE_ARGV 1 place "SIGNED_AT_LINK" "" "")
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VENTORIA_BUNDLE_CONTENTS}/MacOS)
    ventoria_bundle_rpath(${target})
    if(place_SIGNED_AT_LINK)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${VENTORIA_CODESIGN} --force ${ventoria_sign_options}
                    --sign "${VENTORIA_CODESIGN_IDENTITY}" $<TARGET_FILE:${target}>
            VERBATIM)
    endif()
endfunction()

# The application's bundle, its property list resource, and the seal over all of it.
function(ventoria_make_bundle target helper_plist)
    # The bundle carries its Qt, so it runs only where that Qt does: the later of the two.
    get_target_property(qt_minimum Qt6::Core QT_DARWIN_MIN_DEPLOYMENT_TARGET)
    set(minimum ${CMAKE_OSX_DEPLOYMENT_TARGET})
    if(qt_minimum AND qt_minimum VERSION_GREATER minimum)
        set(minimum ${qt_minimum})
    endif()
    # Read by app/macos/Info.plist.in when the bundle's property list is written.
    set(VENTORIA_MINIMUM_MACOS ${minimum} PARENT_SCOPE)
    set_target_properties(${target} PROPERTIES
        MACOSX_BUNDLE ON
        MACOSX_BUNDLE_INFO_PLIST ${PROJECT_SOURCE_DIR}/app/macos/Info.plist.in
        MACOSX_BUNDLE_BUNDLE_NAME Ventoria
        MACOSX_BUNDLE_GUI_IDENTIFIER io.kestrand.ventoria
        MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
        MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
        MACOSX_BUNDLE_COPYRIGHT "Copyright © 2026 Kestrand. All rights reserved.")
    ventoria_bundle_rpath(${target})
    target_sources(${target} PRIVATE ${helper_plist})
    set_source_files_properties(${helper_plist} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)

    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/Ventoria.app.sealed)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DBUNDLE=${CMAKE_BINARY_DIR}/bin/Ventoria.app
                -DCODESIGN=${VENTORIA_CODESIGN} -DMACDEPLOYQT=${VENTORIA_MACDEPLOYQT}
                -DIDENTITY=${VENTORIA_CODESIGN_IDENTITY} "-DSIGN_OPTIONS=${ventoria_sign_options}"
                -P ${PROJECT_SOURCE_DIR}/cmake/SealBundle.cmake
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS $<TARGET_FILE:${target}> $<TARGET_FILE:ventoriactl> $<TARGET_FILE:VentoriaHelper>
                ${PROJECT_SOURCE_DIR}/cmake/SealBundle.cmake
        COMMENT "Deploying Qt into Ventoria.app and signing it"
        VERBATIM)
    add_custom_target(VentoriaBundle ALL DEPENDS ${stamp})
    add_dependencies(VentoriaBundle ${target} ventoriactl VentoriaHelper)

    install(TARGETS ${target} BUNDLE DESTINATION .)
endfunction()
