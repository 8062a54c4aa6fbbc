# Warnings and sanitizers shared by every target of the project.
add_library(pl_options INTERFACE)
target_compile_options(pl_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow
  -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align -Wnull-dereference)
if(PL_WARNINGS_AS_ERRORS)
  target_compile_options(pl_options INTERFACE -Werror)
endif()

if(PL_SANITIZE STREQUAL "address")
  set(PL_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
elseif(PL_SANITIZE STREQUAL "thread")
  set(PL_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT PL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "PL_SANITIZE must be empty, 'address' or 'thread'")
endif()
if(PL_SANITIZER_FLAGS)
  add_compile_options(${PL_SANITIZER_FLAGS})
  add_link_options(${PL_SANITIZER_FLAGS})
endif()

# A fuzz target learns only from the coverage of code built with coverage
# instrumentation: in a build with fuzz targets every library is built so
# (libFuzzer's -fsanitize=fuzzer-no-link), not only the targets' own files.
# -O1, as libFuzzer's documentation builds, keeps the executions fast.
if(PL_BUILD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link -O1)
endif()

find_package(Threads REQUIRED)
