# Settings every target of ours shares: strict warnings, sanitizers when asked.
set(TOCOLO_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined or thread")

function(tocolo_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(TOCOLO_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=${TOCOLO_SANITIZE} -fno-omit-frame-pointer
                                             -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=${TOCOLO_SANITIZE})
  endif()
endfunction()
