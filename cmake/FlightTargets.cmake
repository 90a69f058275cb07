# Warnings and sanitizers, set per target rather than globally.
function(flight_configure_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  # GCC 12 (Debian 12's compiler) warns of overlapping memcpy inside
  # std::string's own operator+ when optimising (GCC bug 105329); the
  # warning is about the library, not this code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(FLIGHT_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(FLIGHT_FUZZ)
    # Coverage for libFuzzer in every library; the fuzz programs link the fuzzer itself.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    # Without the comparisons traced, libFuzzer runs about twice as fast
    # (scripts/fuzz.sh says when that is the better bargain).
    if(NOT FLIGHT_FUZZ_COMPARISONS)
      target_compile_options(${target} PRIVATE -fno-sanitize-coverage=trace-cmp)
    endif()
  endif()
  if(FLIGHT_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()
