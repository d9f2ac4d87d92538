# kansu_layer(FOLDER [USES FOLDER...]): the library kansu_FOLDER from
# src/FOLDER/*.cpp. It may include headers of its own folder and of the folders
# it USES, nothing else: every build checks its includes first and fails on
# one that reaches into another folder, so no dependency runs the wrong way
# unnoticed.
set(KANSU_LAYER_CHECK ${CMAKE_CURRENT_LIST_DIR}/check-includes.cmake)

function(kansu_layer folder)
  cmake_parse_arguments(LAYER "" "" "USES" ${ARGN})
  set(dir ${PROJECT_SOURCE_DIR}/src/${folder})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB all_files CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.def ${dir}/*.inc)
  # Files that only some builds compile are added by the caller.
  list(REMOVE_ITEM sources ${dir}/messagetable.cpp ${dir}/lineedit.cpp ${dir}/lineedit_plain.cpp
       ${dir}/historyfile.cpp)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/layers/${folder}.checked)
  string(REPLACE ";" "," uses "${LAYER_USES}")
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} -DUSES=${uses} -DSOURCE_DIR=${dir}
            -DSTAMP=${stamp} -P ${KANSU_LAYER_CHECK}
    DEPENDS ${all_files} ${KANSU_LAYER_CHECK}
    COMMENT "" VERBATIM)
  add_custom_target(kansu_${folder}_includes DEPENDS ${stamp})
  add_library(kansu_${folder} STATIC ${sources})
  add_dependencies(kansu_${folder} kansu_${folder}_includes)
  target_include_directories(kansu_${folder} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(used ${LAYER_USES})
    target_link_libraries(kansu_${folder} PUBLIC kansu_${used})
  endforeach()
  if(NOT KANSU_FUZZ)
    target_compile_options(kansu_${folder} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
  endif()
endfunction()
