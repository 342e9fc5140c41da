# Common build settings and helper functions for every Kelvane component.

set(KELVANE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
                     -Wunused -Woverloaded-virtual -Wformat=2)
if(KELVANE_WERROR)
  # g++ 12 reports false out-of-bounds and overlap warnings from inlined standard
  # library code at -O2; they stay warnings. The sanitizer build checks bounds for real.
  list(APPEND KELVANE_WARNINGS -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND KELVANE_WARNINGS -Wno-error=array-bounds -Wno-error=stringop-overflow
                                 -Wno-error=stringop-overread -Wno-error=restrict)
  endif()
endif()

if(KELVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# Fuzz targets (fuzz/): the whole build is instrumented for libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer; needs clang. The sanitizer
# and fuzzer runtimes live in the fuzz programs, so shared libraries link with
# undefined symbols allowed (KELVANE_NO_UNDEFINED is empty).
option(KELVANE_FUZZ "Build the libFuzzer targets in fuzz/ (clang)" OFF)
set(KELVANE_NO_UNDEFINED -Wl,--no-undefined)
if(KELVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KELVANE_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
  endif()
  if(KELVANE_SANITIZE OR KELVANE_TSAN)
    message(FATAL_ERROR "KELVANE_FUZZ brings its own sanitizers")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
  set(KELVANE_NO_UNDEFINED "")
endif()

# ThreadSanitizer for the tests that run threads (the EEM polling thread);
# it cannot be combined with the address sanitizer.
option(KELVANE_TSAN "Build with ThreadSanitizer" OFF)
if(KELVANE_TSAN)
  if(KELVANE_SANITIZE)
    message(FATAL_ERROR "KELVANE_TSAN and KELVANE_SANITIZE exclude each other")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Default visibility is hidden: a shared library exports only what its header marks.
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

# Shared libraries and programs find each other next to themselves.
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
set(CMAKE_BUILD_RPATH "$ORIGIN")
set(CMAKE_INSTALL_RPATH "$ORIGIN")

# kelvane_warnings(target): the project's warning set on one target.
function(kelvane_warnings target)
  target_compile_options(${target} PRIVATE ${KELVANE_WARNINGS})
endfunction()

# kelvane_add_test(name SOURCES a.cpp ... LIBS lib ...): one GoogleTest binary,
# registered with CTest case by case.
function(kelvane_add_test name)
  if(NOT KELVANE_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kelvane_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  # Tests reach USB devices only through the backends they choose: by default
  # no real bus is scanned.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 300 ENVIRONMENT KELVANE_USB=none)
endfunction()

# kelvane_add_benchmark(name SOURCES a.cpp ... LIBS lib ...): a program that prints figures.
function(kelvane_add_benchmark name)
  if(NOT KELVANE_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kelvane_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()
