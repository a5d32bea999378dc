# Every target of ours gets the same warnings; third-party headers come in as SYSTEM.
add_library(ventoria_warnings INTERFACE)
target_compile_options(ventoria_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                   -Wno-sign-conversion)
if(VENTORIA_WERROR)
    target_compile_options(ventoria_warnings INTERFACE -Werror)
endif()

if(VENTORIA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Fuzzing builds (clang only): every library is instrumented for libFuzzer's coverage, and the
# sanitizers stop at the first fault so the fuzzer keeps the input that caused it.
if(VENTORIA_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
