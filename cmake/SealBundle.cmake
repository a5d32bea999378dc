# Makes Ventoria.app self-contained and signs it, inside out: cmake -P with BUNDLE, CODESIGN,
# MACDEPLOYQT, IDENTITY and SIGN_OPTIONS (a list; empty for ad hoc).
#
# 1. macdeployqt copies Qt's frameworks and plugins into the bundle and points the application
#    and ventoriactl at them, so that the bundle runs without Homebrew.
# 2. Each library and plugin is signed, then ventoriactl, then the bundle, which seals what is
#    inside it: a signature is only valid over contents that are already signed.
# The helper is left as it was linked and signed: its digest is compiled into the application.
foreach(variable BUNDLE CODESIGN MACDEPLOYQT IDENTITY)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "SealBundle.cmake needs -D${variable}=...")
    endif()
endforeach()
set(contents ${BUNDLE}/Contents)

execute_process(
    COMMAND ${MACDEPLOYQT} ${BUNDLE} -executable=${contents}/MacOS/ventoriactl -always-overwrite
    COMMAND_ERROR_IS_FATAL ANY)

function(sign path)
    execute_process(COMMAND ${CODESIGN} --force ${SIGN_OPTIONS} --sign ${IDENTITY} ${path}
                    COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# Libraries before the frameworks that hold them, plugins, then the programs that load them.
file(GLOB_RECURSE libraries LIST_DIRECTORIES false ${contents}/Frameworks/*.dylib
                                                    ${contents}/PlugIns/*.dylib)
list(SORT libraries)
foreach(library IN LISTS libraries)
    sign(${library})
endforeach()
file(GLOB frameworks LIST_DIRECTORIES true ${contents}/Frameworks/*.framework)
list(SORT frameworks)
foreach(framework IN LISTS frameworks)
    sign(${framework})
endforeach()
sign(${contents}/MacOS/ventoriactl)
sign(${BUNDLE})
