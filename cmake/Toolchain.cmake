# Compiler, linker and cache settings that keep a build quick on a small machine.

add_compile_options(-Wall -Wextra)
# Line tables are enough for backtraces and profiles, and cost far less to build than full
# debug information (configure a Debug build to step through locals).
add_compile_options(-g1)
# Source file names in assertion messages are relative to the source root.
add_compile_options(-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=)

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    # Precompiled headers and ccache get on only with these sloppiness settings.
    set(CMAKE_CXX_COMPILER_LAUNCHER
        ${CMAKE_COMMAND} -E env
        "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime"
        ${CCACHE_PROGRAM})
endif()

find_program(MOLD_PROGRAM mold)
if(MOLD_PROGRAM)
    add_link_options(-fuse-ld=mold)
endif()

# The sanitizer build (scripts/test asan): memory errors, leaks and undefined behaviour fail the
# test that meets them.
option(MORVANE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(MORVANE_SANITIZE)
    # -O1 keeps the checks and the stack traces and builds in little more than half the time.
    add_compile_options(-O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
