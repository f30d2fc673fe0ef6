# Every folder of src/ is one static library made of all the sources found in it,
# so adding a file pair needs no edit here. A folder with no sources yet becomes an
# interface library, which lets the others name it before it has code.
function(pomu_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${dir}/*.cpp ${dir}/*.h ${dir}/*.c)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${ex}")
  endforeach()
  set(have_cpp FALSE)
  foreach(s IN LISTS srcs)
    if(s MATCHES "\\.(cpp|c)$")
      set(have_cpp TRUE)
    endif()
  endforeach()
  if(have_cpp)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    target_compile_options(${name} PRIVATE -Wall -Wextra -Wno-unused-parameter)
    if(NOT "${name}" STREQUAL "pz_db")
      target_precompile_headers(${name} REUSE_FROM pz_db)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One test program per tests/<folder>/tst_<name>.cpp, linked against the given
# libraries and the shared test support; run offscreen so no display is needed.
function(pomu_tests folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/tst_*.cpp)
  foreach(t IN LISTS tests)
    get_filename_component(base ${t} NAME_WE)
    set(target ${folder}_${base})
    add_executable(${target} ${t} ${CMAKE_CURRENT_SOURCE_DIR}/TestDefaults.cpp)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} pz_testsupport Qt6::Test)
    target_compile_options(${target} PRIVATE -Wall -Wno-unused-parameter)
    target_precompile_headers(${target} REUSE_FROM pz_db)
    # QFINDTESTDATA resolves a test's own source path against the folder the
    # compiler ran in (the top of the build tree with Ninja), so the test finds
    # its data from any folder, not only under CTest.
    set_target_properties(${target} PROPERTIES QT_TESTCASE_BUILDDIR ${CMAKE_BINARY_DIR})
    # Tests restore their books from the template the build writes.
    if(TARGET pomu_template)
      add_dependencies(${target} pomu_template)
    endif()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;POMU_TEMPLATE=${CMAKE_BINARY_DIR}/src/NewPomuZenit.pbk;POMU_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      TIMEOUT 300)
  endforeach()
endfunction()
