# Ventoria.app: the application with the helper, its launchd property list and ventoriactl
# inside, where the installer's bundle look-ups find them (auxiliary executables beside the
# main one in Contents/MacOS, the property list in Contents/Resources). Every executable is
# signed as it is linked (ad hoc unless VENTORIA_CODESIGN_IDENTITY names a real identity); the
# helper is signed before its digest is compiled into the application.
set(VENTORIA_CODESIGN_IDENTITY "-" CACHE STRING "codesign identity; - signs ad hoc")
set(bundle_contents ${CMAKE_BINARY_DIR}/bin/Ventoria.app/Contents)

set_target_properties(Ventoria PROPERTIES
    MACOSX_BUNDLE ON
    MACOSX_BUNDLE_INFO_PLIST ${PROJECT_SOURCE_DIR}/app/macos/Info.plist.in
    MACOSX_BUNDLE_BUNDLE_NAME Ventoria
    MACOSX_BUNDLE_GUI_IDENTIFIER io.kestrand.ventoria
    MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
    MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
    MACOSX_BUNDLE_COPYRIGHT "Copyright © 2026 Kestrand. All rights reserved.")
set_target_properties(VentoriaHelper ventoriactl PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${bundle_contents}/MacOS)

set(helper_plist ${PROJECT_SOURCE_DIR}/app/core/resources/io.kestrand.ventoria.helper.plist)
target_sources(Ventoria PRIVATE ${helper_plist})
set_source_files_properties(${helper_plist} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)

foreach(program VentoriaHelper ventoriactl)
    add_custom_command(TARGET ${program} POST_BUILD
        COMMAND codesign --force --options runtime --sign "${VENTORIA_CODESIGN_IDENTITY}"
                $<TARGET_FILE:${program}>
        VERBATIM)
endforeach()
# The bundle is sealed last, once everything inside it is in place and signed.
add_dependencies(Ventoria VentoriaHelper ventoriactl)
add_custom_command(TARGET Ventoria POST_BUILD
    COMMAND codesign --force --options runtime --sign "${VENTORIA_CODESIGN_IDENTITY}"
            ${CMAKE_BINARY_DIR}/bin/Ventoria.app
    VERBATIM)

# `cpack` makes a disk image with the bundle and a link to /Applications.
install(TARGETS Ventoria BUNDLE DESTINATION .)
set(CPACK_GENERATOR DragNDrop)
set(CPACK_PACKAGE_FILE_NAME Ventoria-${PROJECT_VERSION})
set(CPACK_DMG_VOLUME_NAME Ventoria)
include(CPack)
