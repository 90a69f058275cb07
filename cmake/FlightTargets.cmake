# Warnings and sanitizers, set per target rather than globally.
function(flight_configure_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(FLIGHT_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
