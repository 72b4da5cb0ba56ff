# Tests that run Windows programs of this build under Wine, through tests/wine/wine_test.sh,
# in the build tree's Wine prefix; the test wine_prefix (fixture "wine") makes it.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KVT_WINE_BITS 64)
else()
  set(KVT_WINE_BITS 32)
endif()
set(KVT_WINE_TEST ${PROJECT_SOURCE_DIR}/tests/wine/wine_test.sh)
set(KVT_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)

# kvt_add_wine_unit_test(<target> <labels...>)
# Runs the GoogleTest program <target> under Wine as the CTest test <target>; GoogleTest's
# exit code is the result.
function(kvt_add_wine_unit_test target)
  add_test(NAME ${target}
    COMMAND ${KVT_WINE_TEST} unit ${KVT_WINE_BITS} ${KVT_WINE_PREFIX} $<TARGET_FILE:${target}>)
  set_tests_properties(${target} PROPERTIES LABELS "${ARGN};wine" FIXTURES_REQUIRED wine
    RESOURCE_LOCK wineprefix SKIP_RETURN_CODE 77 TIMEOUT 900)
endfunction()
