# One static library per source folder; sources are collected from the folder
# so that adding a file needs no edit here.
function(zibor_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${stub} "// empty until the folder has sources\n")
    list(APPEND sources ${stub})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# One test executable per test folder; CTest lists each of its cases as a test
# of its own (named "<program>.<Suite>.<Case>", labelled with the program), so
# a failure is named and "ctest -j" spreads the cases. The cases are listed
# when ctest runs, not at build time, so that a sanitizer build does not run
# its programs while building. Every case runs headless, with the silent audio
# device and without blocking dialogs.
include(GoogleTest)
set(ZIBOR_TEST_TIMEOUT 300 CACHE STRING "Seconds one test case may take")
set(ZIBOR_TEST_ENVIRONMENT
  QT_QPA_PLATFORM=offscreen ZIBOR_AUDIO=null ZIBOR_TEST=1
  LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0
  # Qt is not built with ThreadSanitizer: its mutexes are futexes that it does
  # not see, so the memory calls Qt makes (its image-format plugin loader
  # shared by two image readers, the thread pool of its image scaling) would
  # be reported against each other. Only the accesses made inside libraries
  # that are not instrumented are left out; every access of the program's own
  # code, and every lock, is still checked.
  TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1)
function(zibor_test_suite name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} zibor_test_support GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE ZIBOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  zibor_discover_cases(${name})
endfunction()

# Registers the cases of test program name. gtest_discover_tests cannot pass a
# list-valued property, so the environment is set by a script that CTest runs
# after the cases have been listed.
function(zibor_discover_cases name)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_PREFIX "${name}."
    TEST_LIST ${name}_cases
    EXTRA_ARGS --gtest_brief=1
    PROPERTIES TIMEOUT ${ZIBOR_TEST_TIMEOUT} LABELS ${name})
  set(env "${ZIBOR_TEST_ENVIRONMENT}")
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${script}
    "foreach(case IN LISTS ${name}_cases)\n"
    "  set_tests_properties(\"\${case}\" PROPERTIES ENVIRONMENT \"${env}\")\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# Keeps target's own sources off the headers of the given folders or single
# headers, but for those named after EXCEPT: every such header gets a stand-in
# that stops the compiler, and the stand-ins come first in the target's
# include path, so an include of one, direct or through another header, fails
# the build with the reason. The target's users are not affected. The
# stand-ins are made anew at every configure, so a header that has been
# allowed since, moved or removed leaves none behind.
function(zibor_forbid_includes target)
  cmake_parse_arguments(ARG "" "" "EXCEPT" ${ARGN})
  set(guard ${CMAKE_CURRENT_BINARY_DIR}/${target}_forbidden)
  file(REMOVE_RECURSE ${guard})
  set(headers)
  foreach(item IN LISTS ARG_UNPARSED_ARGUMENTS)
    if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${item})
      file(GLOB_RECURSE found CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/${item}/*.h)
      list(APPEND headers ${found})
    elseif(EXISTS ${PROJECT_SOURCE_DIR}/${item})
      list(APPEND headers ${item})
    else()
      message(FATAL_ERROR "zibor_forbid_includes(${target}): ${item} does not exist")
    endif()
  endforeach()
  foreach(item IN LISTS ARG_EXCEPT)
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${item})
      message(FATAL_ERROR "zibor_forbid_includes(${target}): ${item} after EXCEPT does not exist")
    endif()
  endforeach()
  list(REMOVE_ITEM headers ${ARG_EXCEPT})
  foreach(header IN LISTS headers)
    file(CONFIGURE OUTPUT ${guard}/${header} CONTENT
      "#error \"${header} lies above or beside ${target}: ${target} must not include it\"\n")
  endforeach()
  target_include_directories(${target} BEFORE PRIVATE ${guard})
endfunction()
