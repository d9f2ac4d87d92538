# Install rules and packages.
#   cmake --install build --strip [--prefix DIR]
#                                          bin/kansu, share/man/{,ja/}man1/kansu.1.gz,
#                                          share/doc/kansu/ (READMEs, copyright, changelog.gz,
#                                          examples, docs: the documents and pictures)
#   cpack -G DEB (in a Linux build)         kansu_<version>_amd64.deb
#   cpack -G ZIP (in the MinGW build)       kansu-<version>-win64.zip: kansu.exe beside the docs
# package.sh makes both.
include(GNUInstallDirs)
set(CPACK_PACKAGE_CONTACT "kansu maintainers <maintainers@users.noreply.c-seed-d41ecff0.example>")

set(KANSU_DOCS README.md README.ja.md)
file(GLOB KANSU_EXAMPLES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.session)
# The READMEs link these documents and show these pictures by their relative
# path docs/NAME, so they are installed in docs/ beside the READMEs.
file(GLOB KANSU_DOCS_FOLDER CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/docs/*.svg
     ${CMAKE_CURRENT_SOURCE_DIR}/docs/*.md)
list(TRANSFORM KANSU_DOCS PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)

if(WIN32)
  # The zip is unpacked into one folder: kansu.exe with its documents beside it.
  install(TARGETS kansu RUNTIME DESTINATION .)
  install(FILES ${KANSU_DOCS} LICENSE CHANGELOG.md DESTINATION .)
  install(FILES ${KANSU_EXAMPLES} DESTINATION examples)
  install(FILES ${KANSU_DOCS_FOLDER} DESTINATION docs)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME kansu-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  install(TARGETS kansu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # A stripped install (--strip, and the .deb) also drops the sections
  # Debian's strip drops: the compiler's .comment and .note.
  find_program(KANSU_STRIP NAMES ${CMAKE_STRIP} strip)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${KANSU_STRIP}\" --remove-section=.comment --remove-section=.note
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kansu\")
    endif()")
  install(FILES ${KANSU_DOCS} DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # Debian's documents: the licence only once, as a machine-readable copyright
  # file made from LICENSE, and the changes as changelog.gz.
  file(READ LICENSE licence_text)
  string(REGEX REPLACE "^.*\n(Permission is hereby)" "\\1" licence_text "${licence_text}")
  string(REGEX REPLACE "\n+$" "" licence_text "${licence_text}")
  string(REGEX REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
  string(REGEX REPLACE "\n" "\n " licence_text "${licence_text}")
  set(copyright ${CMAKE_CURRENT_BINARY_DIR}/copyright)
  file(WRITE ${copyright}
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: kansu\n"
    "Upstream-Contact: ${CPACK_PACKAGE_CONTACT}\n"
    "\n"
    "Files: *\n"
    "Copyright: 2026 the kansu authors\n"
    "License: Expat\n"
    " ${licence_text}\n")
  install(FILES ${copyright} DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${KANSU_EXAMPLES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  install(FILES ${KANSU_DOCS_FOLDER} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

  # Manual pages: the version put in from project() when configured, the
  # documentation directory of the prefix actually installed to when
  # installed (cmake --install --prefix, the .deb's /usr), then compressed as
  # man and Debian expect them (gzip -n: the same bytes at every build).
  find_program(KANSU_GZIP gzip REQUIRED)
  set(KANSU_DOCDIR "@KANSU_DOCDIR@")  # left for the install step
  foreach(language en ja)
    set(source_dir man)
    set(target_dir ${CMAKE_INSTALL_MANDIR}/man1)
    if(NOT language STREQUAL "en")
      set(source_dir man/${language})
      set(target_dir ${CMAKE_INSTALL_MANDIR}/${language}/man1)
    endif()
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${source_dir}/kansu.1)
    set(staged ${CMAKE_CURRENT_BINARY_DIR}/${source_dir}/installed/kansu.1)
    configure_file(${source_dir}/kansu.1 ${page} @ONLY)
    install(CODE "
      file(READ \"${page}\" page_text)
      string(REPLACE \"@KANSU_DOCDIR@\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR}\"
             page_text \"\${page_text}\")
      file(WRITE \"${staged}\" \"\${page_text}\")
      execute_process(COMMAND \"${KANSU_GZIP}\" -9 -n -f \"${staged}\" RESULT_VARIABLE gzip_status)
      if(gzip_status)
        message(FATAL_ERROR \"gzip ${staged} failed\")
      endif()
      file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${target_dir}\" TYPE FILE
           FILES \"${staged}.gz\")")
  endforeach()
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/debian-changelog.sh
            ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md "${CPACK_PACKAGE_CONTACT}"
            | ${KANSU_GZIP} -9 -n -c > ${changelog}
    DEPENDS CHANGELOG.md scripts/debian-changelog.sh VERBATIM)
  install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
  add_custom_target(kansu_install_files ALL DEPENDS ${changelog})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # kansu_<version>_<arch>.deb
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)   # Depends: computed by dpkg-shlibdeps
  set(CPACK_DEBIAN_PACKAGE_SECTION math)
endif()
set(CPACK_STRIP_FILES ON)  # the packages carry no debugging information

set(CPACK_PACKAGE_NAME kansu)
set(CPACK_PACKAGE_VENDOR "the kansu authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console calculator for formulas with a Japanese dialogue")
set(CPACK_PACKAGE_DESCRIPTION
    "kansu tabulates formulas typed in infix notation (explicit and implicit\n"
    "functions, polar and parametric curves) into text reports, with functions\n"
    "of the user's own that can be saved and loaded; kansu eval and kansu table\n"
    "compute from the command line, and kansu plot draws a report as an SVG\n"
    "picture. Its dialogue is Japanese: UTF-8 on a UTF-8 terminal, code page 932\n"
    "(Shift-JIS) into pipes and files and elsewhere; --utf8, --cp932 or the\n"
    "KANSU_ENCODING variable choose one.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_CURRENT_BINARY_DIR}/packages)
include(CPack)
