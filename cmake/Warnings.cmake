# One place for compile flags: warnings on, and zero of them.
function(mirthwick_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(MIRTHWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
