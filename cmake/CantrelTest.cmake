# cantrel_add_test(<name> LABEL <unit|gui|e2e|wine> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>])
#
# Adds one GoogleTest executable and registers each of its tests with CTest under the given label.
# In the MinGW cross build the executables run under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
if(CMAKE_CROSSCOMPILING)
  # Debian ships GoogleTest as sources; build them with the cross compiler.
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  set(CANTREL_GTEST_LIBS gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  set(CANTREL_GTEST_LIBS GTest::gtest GTest::gtest_main)
endif()
include(GoogleTest)

function(cantrel_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    message(FATAL_ERROR "cantrel_add_test(${name}): LABEL is required")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${CANTREL_GTEST_LIBS})
  target_compile_options(${name} PRIVATE ${CANTREL_WARNINGS})
  if(CMAKE_CROSSCOMPILING)
    target_link_options(${name} PRIVATE -static)
    # Everything of the Windows build runs under Wine, so every test of it carries the wine label.
    # Discovery would need Wine at build time; one CTest entry per executable is enough there.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS wine TIMEOUT ${T_TIMEOUT})
  else()
    gtest_discover_tests(${name}
      PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
