# What `cmake --install` puts where, and the packages CPack makes from it: a .deb of the
# command-line program from the native build, a .zip of both Windows programs from the
# cross build.
set(CMAKE_INSTALL_DOCDIR share/doc/velmora CACHE PATH "README and licence")
include(GNUInstallDirs)

if(WIN32)
  # A Windows user unpacks the zip and finds the two programs beside the README.
  install(TARGETS velmora velmora-cli RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
else()
  install(TARGETS velmora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # The manual page comes from the program's own --help at build time, so that it cannot fall
  # behind the options; the include file adds what --help leaves out.
  find_program(HELP2MAN help2man REQUIRED)
  set(man_include ${PROJECT_SOURCE_DIR}/docs/velmora-cli.h2m)
  add_custom_command(OUTPUT velmora-cli.1
    COMMAND ${HELP2MAN} --no-info --section=1 --include=${man_include}
            "--name=turn a line of text into Morse code audio in a WAV file"
            --output=velmora-cli.1 $<TARGET_FILE:velmora-cli>
    DEPENDS velmora-cli ${man_include}
    COMMENT "Writing the manual page velmora-cli.1 from velmora-cli --help"
    VERBATIM)
  add_custom_target(velmora-cli-man ALL DEPENDS velmora-cli.1)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velmora-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "the Velmora developers")
set(CPACK_PACKAGE_CONTACT "the Velmora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns a line of text into Morse code audio in a WAV file")
set(CPACK_PACKAGE_DESCRIPTION
  "Latin letters and digits are sent in the international Morse code, half-width katakana in\
 the Japanese Wabun code, as 8-bit mono PCM at 8000 samples per second.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  # The C and C++ runtime libraries the program links, found by dpkg-shlibdeps.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
