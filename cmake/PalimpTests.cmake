# Registers a GoogleTest program with CTest: natively each test is its own entry (named
# PREFIX.Suite.Test); under Wine the whole program is one entry, win.TARGET, which needs the
# Wine fixture.
function(palimp_add_gtests target prefix)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME win.${target} COMMAND ${target} --gtest_brief=1)
    set_tests_properties(win.${target} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600)
  else()
    gtest_discover_tests(${target} TEST_PREFIX ${prefix}. DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
