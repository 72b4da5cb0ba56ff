# Project-wide warning set; every target of ours links kvt_warnings.
add_library(kvt_warnings INTERFACE)
target_compile_options(kvt_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wnull-dereference -Wformat=2
  -Wimplicit-fallthrough)
# GCC 12 reports -Wrestrict inside libstdc++'s own string concatenation at -O2 and above
# (GCC bug 105329), a false positive that no code of ours can avoid.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(kvt_warnings INTERFACE -Wno-restrict)
endif()
# With sanitizer instrumentation GCC 12 reports -Wmaybe-uninitialized inside libstdc++'s
# <regex> and <functional>; the plain builds keep the warning.
if(KVT_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(kvt_warnings INTERFACE -Wno-maybe-uninitialized)
endif()
if(KVT_WERROR)
  target_compile_options(kvt_warnings INTERFACE -Werror)
endif()
