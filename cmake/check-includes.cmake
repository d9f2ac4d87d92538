cmake_policy(SET CMP0057 NEW)
# Run by the build for each folder of code (cmake -P): fails when a file
# directly in SOURCE_DIR includes a header of a folder of src/ that is neither
# among USES nor BELOW, includes by bare or relative name a file that lies in
# none of the LOCAL folders, or when the folder declares a use (USES) that none
# of its files makes (a stale use would let the next include slip by
# unnoticed). LABEL names the folder in the messages.
string(REPLACE "," ";" declared "${USES}")
string(REPLACE "," ";" below "${BELOW}")
string(REPLACE "," ";" local "${LOCAL}")
set(allowed ${declared} ${below})
set(used "")
file(GLOB files ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.def ${SOURCE_DIR}/*.inc)
set(faults "")

# Whether header, named without a folder of src/, is found where the compiler
# looks first (beside the including file) or in a LOCAL folder, and lies in one
# of the LOCAL folders.
function(found_locally out header)
  set(${out} FALSE PARENT_SCOPE)
  foreach(base ${SOURCE_DIR} ${local})
    get_filename_component(path "${header}" ABSOLUTE BASE_DIR ${base})
    if(EXISTS ${path})
      get_filename_component(place ${path} DIRECTORY)
      if(place IN_LIST local)
        set(${out} TRUE PARENT_SCOPE)
      endif()
      return()
    endif()
  endforeach()
endfunction()

foreach(file ${files})
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]*)\".*" "\\1" header "${line}")
    if(header MATCHES "^([a-z]+)/")
      list(APPEND used ${CMAKE_MATCH_1})
      if(NOT CMAKE_MATCH_1 IN_LIST allowed)
        list(APPEND faults "${file}: includes ${header}, but ${LABEL} does not use ${CMAKE_MATCH_1}/")
      endif()
    elseif(NOT header STREQUAL "kansu_version.h")
      found_locally(local_header "${header}")
      if(NOT local_header)
        list(APPEND faults "${file}: includes ${header} without its folder")
      endif()
    endif()
  endforeach()
endforeach()
foreach(folder ${declared})
  if(NOT folder IN_LIST used)
    list(APPEND faults "${LABEL} declares that it uses ${folder}/, but includes nothing of it")
  endif()
endforeach()
if(faults)
  string(REPLACE ";" "\n" faults "${faults}")
  message(FATAL_ERROR "${faults}")
endif()
file(WRITE ${STAMP} "")
