# kansu_layer(FOLDER [USES FOLDER...]): the library kansu_FOLDER from
# src/FOLDER/*.cpp. It may include headers of its own folder and of the folders
# it USES, nothing else: every build checks its includes first and fails on
# one that reaches into another folder, so no dependency runs the wrong way
# unnoticed.
set(KANSU_LAYER_CHECK ${CMAKE_CURRENT_LIST_DIR}/check-includes.cmake)

# A target that checks the includes of the files directly in dir (see
# check-includes.cmake): folders of src/ it may use (USES: each must be used;
# BELOW: need not be), and the folders whose files it includes by bare or
# relative name (LOCAL).
function(kansu_include_check name dir label)
  cmake_parse_arguments(CHECK "" "" "USES;BELOW;LOCAL" ${ARGN})
  file(GLOB all_files CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.def ${dir}/*.inc)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/layers/${name}.checked)
  string(REPLACE ";" "," uses "${CHECK_USES}")
  string(REPLACE ";" "," below "${CHECK_BELOW}")
  string(REPLACE ";" "," local "${CHECK_LOCAL}")
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLABEL=${label} -DUSES=${uses} -DBELOW=${below} -DLOCAL=${local}
            -DSOURCE_DIR=${dir} -DSTAMP=${stamp} -P ${KANSU_LAYER_CHECK}
    DEPENDS ${all_files} ${KANSU_LAYER_CHECK}
    COMMENT "" VERBATIM)
  add_custom_target(kansu_${name}_includes ALL DEPENDS ${stamp})
endfunction()

function(kansu_layer folder)
  cmake_parse_arguments(LAYER "" "" "USES" ${ARGN})
  set(dir ${PROJECT_SOURCE_DIR}/src/${folder})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  # Files that only some builds compile are added by the caller.
  list(REMOVE_ITEM sources ${dir}/messagetable.cpp ${dir}/lineedit.cpp ${dir}/lineedit_plain.cpp
       ${dir}/historyfile.cpp)
  kansu_include_check(${folder} ${dir} src/${folder}/ USES ${LAYER_USES} BELOW ${folder})
  add_library(kansu_${folder} STATIC ${sources})
  add_dependencies(kansu_${folder} kansu_${folder}_includes)
  target_include_directories(kansu_${folder} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(used ${LAYER_USES})
    target_link_libraries(kansu_${folder} PUBLIC kansu_${used})
  endforeach()
  if(NOT KANSU_FUZZ)
    target_compile_options(kansu_${folder} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
  endif()
  set_property(GLOBAL PROPERTY KANSU_LAYER_USES_${folder} ${LAYER_USES})
  set_property(GLOBAL APPEND PROPERTY KANSU_LAYERS ${folder})
endfunction()

# out: the folders given and every folder they use, directly or not.
function(kansu_layers_below out)
  set(below "")
  set(pending ${ARGN})
  while(pending)
    list(POP_FRONT pending folder)
    if(NOT folder IN_LIST below)
      list(APPEND below ${folder})
      get_property(uses GLOBAL PROPERTY KANSU_LAYER_USES_${folder})
      list(APPEND pending ${uses})
    endif()
  endwhile()
  set(${out} ${below} PARENT_SCOPE)
endfunction()

# kansu_test_uses(FOLDER USES FOLDER...): what tests/FOLDER, which tests no
# folder of its own, uses of src/.
function(kansu_test_uses folder)
  cmake_parse_arguments(TEST "" "" "USES" ${ARGN})
  set_property(GLOBAL PROPERTY KANSU_TEST_USES_${folder} ${TEST_USES})
  set_property(GLOBAL PROPERTY KANSU_TEST_DECLARED_${folder} TRUE)
endfunction()

# The same check beyond src/, after the last kansu_layer: bench/ and fuzz/
# stand where app/ does and may use every folder; tests/FOLDER, the tests of
# src/FOLDER (or of fuzz/), may use FOLDER and every folder below it, and
# tests/support's headers; the other test folders use what kansu_test_uses
# named. Each includes its own headers by bare name.
function(kansu_check_beyond_src)
  set(root ${PROJECT_SOURCE_DIR})
  kansu_layers_below(everything app)
  kansu_include_check(bench ${root}/bench bench/ BELOW ${everything} LOCAL ${root}/bench)
  kansu_include_check(fuzz ${root}/fuzz fuzz/ BELOW ${everything}
                      LOCAL ${root}/fuzz ${root}/tests/support)
  file(GLOB test_dirs LIST_DIRECTORIES true ${root}/tests/*)
  foreach(dir ${test_dirs})
    file(GLOB code ${dir}/*.cpp ${dir}/*.h)
    get_filename_component(folder ${dir} NAME)
    if(NOT code)
      continue()
    endif()
    set(local ${dir} ${root}/tests/support)
    get_property(declared GLOBAL PROPERTY KANSU_TEST_DECLARED_${folder})
    get_property(layers GLOBAL PROPERTY KANSU_LAYERS)
    if(declared)
      get_property(uses GLOBAL PROPERTY KANSU_TEST_USES_${folder})
      kansu_include_check(tests_${folder} ${dir} tests/${folder}/ USES ${uses} LOCAL ${local})
    elseif(folder IN_LIST layers)
      kansu_layers_below(below ${folder})
      kansu_include_check(tests_${folder} ${dir} "tests/${folder}/ (${folder}/ and below)"
                          BELOW ${below} LOCAL ${local})
    elseif(folder STREQUAL "fuzz")
      kansu_include_check(tests_${folder} ${dir} tests/fuzz/ BELOW ${everything}
                          LOCAL ${local} ${root}/fuzz)
    else()
      message(FATAL_ERROR "tests/${folder}/ tests no folder of src/: name what it uses "
                          "with kansu_test_uses")
    endif()
  endforeach()
endfunction()
