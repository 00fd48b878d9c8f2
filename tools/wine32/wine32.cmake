# Runs this build's 32-bit Windows programs under Wine: as they are where the
# kernel runs i386 programs, through qemu-i386 with the preload library where
# it refuses them. Defines
#   WINE_RUN        the runner: WINE_RUN PROGRAM ARGUMENTS...
#   WINE_WORKS      whether the programs can run here; WINE_WHY if not
#   wine_test(NAME [SHARDS N] [NATIVE_ONLY FILTER] [APART FILTER])
#                   a test of one program of the build, run under Wine after
#                   the prefix is made, or reported Skipped with WINE_WHY.
#                   Every Windows program costs seconds under qemu-i386:
#                   SHARDS splits a GoogleTest program into N tests that run
#                   side by side (NAME_1of2...); NATIVE_ONLY leaves out the
#                   GoogleTest cases that test no Windows behaviour and cost
#                   much there, which the native presets run; APART runs
#                   the cases that change the prefix's C:\ProgramData as a
#                   test of their own, holding the lock "programdata" that
#                   every test reading that folder takes.
set(wine32_dir ${CMAKE_CURRENT_LIST_DIR})
execute_process(COMMAND bash ${wine32_dir}/setup.sh check
  OUTPUT_VARIABLE wine32_way OUTPUT_STRIP_TRAILING_WHITESPACE)
find_program(WINE_LOADER NAMES wine)

set(WINE_WORKS FALSE)
set(WINE32_PRELOAD "")
if(NOT WINE_LOADER)
  set(WINE_WHY "Wine is not installed")
elseif(wine32_way STREQUAL "native")
  set(WINE_WORKS TRUE)
elseif(wine32_way STREQUAL "qemu")
  set(WINE_WORKS TRUE)
  # The preload library, built for i386 and, empty, for x86_64, with the
  # machine's own compiler; "$LIB" picks one in each process.
  find_program(HOST_CXX NAMES g++ c++ clang++ REQUIRED)
  set(preload_dir ${CMAKE_BINARY_DIR}/wine32)
  set(preload_flags -std=c++20 -O2 -fPIC -ffreestanding -fno-exceptions -fno-rtti
    -fno-asynchronous-unwind-tables -Wall -Wextra -Werror -shared -nostdlib -Wl,-z,defs)
  set(preload_i386 ${preload_dir}/lib/i386-linux-gnu/librtc_qemu_preload.so)
  set(preload_x86_64 ${preload_dir}/lib/x86_64-linux-gnu/librtc_qemu_preload.so)
  add_custom_command(OUTPUT ${preload_i386}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${preload_dir}/lib/i386-linux-gnu
    COMMAND ${HOST_CXX} -m32 ${preload_flags} -o ${preload_i386} ${wine32_dir}/preload.cpp
            /lib/i386-linux-gnu/libc.so.6
    DEPENDS ${wine32_dir}/preload.cpp
    COMMENT "Building the preload library for 32-bit Wine under qemu-i386")
  add_custom_command(OUTPUT ${preload_x86_64}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${preload_dir}/lib/x86_64-linux-gnu
    COMMAND ${HOST_CXX} ${preload_flags} -o ${preload_x86_64} ${wine32_dir}/preload.cpp
    DEPENDS ${wine32_dir}/preload.cpp)
  add_custom_target(wine32_preload ALL DEPENDS ${preload_i386} ${preload_x86_64})
  set(WINE32_PRELOAD "${preload_dir}/\$LIB/librtc_qemu_preload.so")
else()
  string(REGEX REPLACE "^none " "" WINE_WHY "${wine32_way}")
endif()
if(NOT TARGET wine32_preload)
  add_custom_target(wine32_preload)  # nothing to preload on this machine
endif()
message(STATUS "32-bit Windows programs: ${wine32_way}")

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wine/prefix)
set(WINE_RUN ${CMAKE_BINARY_DIR}/wine/run.sh)
set(WINE_RELAY ${wine32_dir}/relais.py)
configure_file(${wine32_dir}/run.sh.in ${WINE_RUN} @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                   WORLD_EXECUTE)

# A program that crashes or waits for a user is stopped, never waited for.
set(WINE_TEST_TIMEOUT 600)
if(WINE_WORKS)
  # The prefix is made once, before the tests run in parallel.
  add_test(NAME wine_prefix COMMAND ${WINE_RUN} --prefix)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT ${WINE_TEST_TIMEOUT})
endif()

function(wine_test program)
  cmake_parse_arguments(PARSE_ARGV 1 wine "" "SHARDS;NATIVE_ONLY;APART" "")
  if(NOT WINE_WORKS)
    add_test(NAME ${program} COMMAND sh -c "echo 'Skipped: ${WINE_WHY}'; exit 77")
    set_tests_properties(${program} PROPERTIES SKIP_RETURN_CODE 77)
    return()
  endif()
  set_target_properties(${program} PROPERTIES CROSSCOMPILING_EMULATOR ${WINE_RUN})
  set(arguments)
  set(left_out ${wine_NATIVE_ONLY})
  if(wine_APART)
    list(APPEND left_out ${wine_APART})
    add_test(NAME ${program}_apart COMMAND ${program} --gtest_filter=${wine_APART})
    set_tests_properties(${program}_apart PROPERTIES FIXTURES_REQUIRED wine
      TIMEOUT ${WINE_TEST_TIMEOUT} RESOURCE_LOCK programdata)
  endif()
  if(left_out)
    string(REPLACE ";" ":" left_out "${left_out}")
    set(arguments --gtest_filter=-${left_out})
  endif()
  if(NOT wine_SHARDS)
    add_test(NAME ${program} COMMAND ${program} ${arguments})
    set_tests_properties(${program} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${WINE_TEST_TIMEOUT})
    return()
  endif()
  math(EXPR last "${wine_SHARDS} - 1")
  foreach(index RANGE ${last})
    math(EXPR number "${index} + 1")
    set(name ${program}_${number}of${wine_SHARDS})
    add_test(NAME ${name} COMMAND ${program} ${arguments})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${WINE_TEST_TIMEOUT}
      ENVIRONMENT "GTEST_TOTAL_SHARDS=${wine_SHARDS};GTEST_SHARD_INDEX=${index}")
  endforeach()
endfunction()
