# Optional instrumented builds.
#   RIVELPOST_SANITIZE=ON  the whole tree (program, tools, tests) with AddressSanitizer and
#                          UndefinedBehaviorSanitizer; CI runs the tests of such a build.
#   RIVELPOST_FUZZ=ON      additionally the libFuzzer targets under tests/fuzz (clang only).
# Qt itself is not instrumented; that is fine for finding faults in our own code.
option(RIVELPOST_SANITIZE "Build with -fsanitize=address,undefined" OFF)
option(RIVELPOST_FUZZ "Build the libFuzzer targets under tests/fuzz (needs clang)" OFF)

if(RIVELPOST_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "RIVELPOST_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()

if(RIVELPOST_SANITIZE OR RIVELPOST_FUZZ)
  # Stop at the first undefined behaviour instead of printing and going on, so a test fails.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(RIVELPOST_FUZZ)
  # Coverage instrumentation for all our code; only the fuzz targets link libFuzzer's main().
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
