# Project-wide warning set; every target of ours links kvt_warnings.
add_library(kvt_warnings INTERFACE)
target_compile_options(kvt_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wnull-dereference -Wformat=2
  -Wimplicit-fallthrough)
if(KVT_WERROR)
  target_compile_options(kvt_warnings INTERFACE -Werror)
endif()
