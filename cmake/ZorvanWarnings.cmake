# zorvan_warnings: the warning and sanitizer flags every target of this project builds with.
add_library(zorvan_warnings INTERFACE)
target_compile_options(zorvan_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  $<$<BOOL:${ZORVAN_WERROR}>:-Werror>)

if(ZORVAN_SANITIZE)
  set(zorvan_sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  target_compile_options(zorvan_warnings INTERFACE ${zorvan_sanitizer_flags})
  target_link_options(zorvan_warnings INTERFACE ${zorvan_sanitizer_flags})
endif()
