# kansu_version.h for options.cpp: regenerated at every build so that the
# commit it names is the one built, not the one configured.
set(KANSU_GENERATED_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
add_custom_target(kansu_version_header
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}
          -DOUTPUT=${KANSU_GENERATED_DIR}/kansu_version.h -DVERSION=${PROJECT_VERSION}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/version.cmake
  BYPRODUCTS ${KANSU_GENERATED_DIR}/kansu_version.h
  COMMENT "" VERBATIM)
add_dependencies(kansu_app kansu_version_header)
target_include_directories(kansu_app PUBLIC ${KANSU_GENERATED_DIR})
