# SPDX-License-Identifier: GPL-3.0-or-later
# Shared helpers for the per-folder library targets.

# g++ 12 also warns on C++20 designated initializers that leave members to
# their defaults, which is what they are for.
set(CORVANTA_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

# corvanta_library(<folder> [QT] DEPS <targets...>)
# One static library per source folder, named corvanta_<folder>, built from
# every .cpp/.h in the folder. QT turns on moc and links Qt Widgets.
function(corvanta_library folder)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(target corvanta_${folder})
  set(cpp_sources ${sources})
  list(FILTER cpp_sources INCLUDE REGEX "\\.cpp$")
  if(NOT cpp_sources)
    # A folder whose first sources arrive later still gives a target to link.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${CORVANTA_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} Threads::Threads)
  if(ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_link_libraries(${target} PUBLIC Qt6::Widgets)
  endif()
endfunction()

# corvanta_test(<folder> DEPS <targets...> [GUI])
# One test executable per folder of tests/, registered with CTest. GUI tests
# get their own main (an application object on the offscreen platform).
function(corvanta_test folder)
  cmake_parse_arguments(ARG "GUI" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
  if(NOT sources)
    return()
  endif()
  set(target test_${folder})
  add_executable(${target} ${sources})
  target_compile_options(${target} PRIVATE ${CORVANTA_WARNINGS})
  if(ARG_GUI)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} corvanta_testsupport_gui GTest::gtest Qt6::Test)
  else()
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} corvanta_testsupport GTest::gtest GTest::gtest_main)
  endif()
  # Names in the crash reporter's call stacks, as in the real executable.
  target_link_options(${target} PRIVATE -rdynamic)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;TZ=UTC"
    TIMEOUT 600)
endfunction()
