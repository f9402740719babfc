# One INTERFACE target that every Karvola target links: language level, warnings,
# floating-point discipline and sanitizers.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

# ccache where the machine has it: a second build folder, a fresh clone or a
# touched file costs a cache lookup. A launcher given by the user wins.
if(KARVOLA_USE_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  find_program(KARVOLA_CCACHE_PROGRAM ccache)
  if(KARVOLA_CCACHE_PROGRAM)
    set(CMAKE_C_COMPILER_LAUNCHER ${KARVOLA_CCACHE_PROGRAM})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${KARVOLA_CCACHE_PROGRAM})
  endif()
endif()

add_library(karvola_common INTERFACE)
add_library(Karvola::common ALIAS karvola_common)

target_compile_features(karvola_common INTERFACE cxx_std_20)
target_compile_options(karvola_common INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  # Printed digits depend on every rounding: never fuse a*b+c into one rounding,
  # never let the optimizer reassociate.
  -ffp-contract=off -fno-fast-math)

# GCC 12 flags "literal" + std::string as an overlapping memcpy at -O2 (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(karvola_common INTERFACE -Wno-restrict)
endif()

# GCC 12 reports false positives under the sanitizers, so -Werror stays out of that build.
if(KARVOLA_DEVELOPER_MODE AND NOT KARVOLA_SANITIZE)
  target_compile_options(karvola_common INTERFACE -Werror)
endif()

if(KARVOLA_SANITIZE)
  target_compile_options(karvola_common INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(karvola_common INTERFACE -fsanitize=address,undefined)
endif()

# ThreadSanitizer's runtime cannot share a process with AddressSanitizer's.
if(KARVOLA_SANITIZE AND KARVOLA_SANITIZE_THREAD)
  message(FATAL_ERROR "KARVOLA_SANITIZE and KARVOLA_SANITIZE_THREAD cannot be on together")
endif()
if(KARVOLA_SANITIZE_THREAD)
  target_compile_options(karvola_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(karvola_common INTERFACE -fsanitize=thread)
endif()
# Under either sanitizer, code that only tests or starts the program is built
# without optimization (see tests/ and app/options/).
if(KARVOLA_SANITIZE OR KARVOLA_SANITIZE_THREAD)
  set(KARVOLA_SANITIZED ON)
else()
  set(KARVOLA_SANITIZED OFF)
endif()

# Debian's hardening as dpkg-buildflags gives it, bind-now included (lintian asks
# for it), in every build that is neither instrumented nor unoptimized, so that a
# .deb that cpack makes in any Release folder is hardened. _FORTIFY_SOURCE needs
# the optimizer; a compiler that defines it already gets this level instead.
option(KARVOLA_HARDENING "Build with Debian's hardening flags (stack protector, fortify, relro, bind-now)" ON)
if(KARVOLA_HARDENING AND NOT KARVOLA_SANITIZED AND NOT KARVOLA_FUZZ)
  target_compile_options(karvola_common INTERFACE
    -fstack-protector-strong -Wformat -Werror=format-security
    "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  target_link_options(karvola_common INTERFACE -Wl,-z,relro -Wl,-z,now)
endif()

# The fuzzing build: every target carries libFuzzer's coverage instrumentation
# (the harnesses in fuzz/ link the fuzzer's driver) under ASan and UBSan.
if(KARVOLA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KARVOLA_FUZZ needs Clang: cmake --preset fuzz")
  endif()
  target_compile_options(karvola_common INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(karvola_common INTERFACE -fsanitize=address,undefined)
endif()

find_package(Threads REQUIRED)
target_link_libraries(karvola_common INTERFACE Threads::Threads)
