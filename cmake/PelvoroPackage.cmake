# Installing and packaging: `cmake --build build --target package` makes a Debian package of the
# three programs, the desktop entry, the icon, the man pages and the shipped data files.
#
# Where things go (relative to the prefix, /usr for the package):
#   bin/                                   pelvoro, pelvoro-cli, pelvoro-sim
#   share/applications/pelvoro.desktop     the desktop entry (Exec=pelvoro, Icon=pelvoro)
#   share/icons/hicolor/scalable/apps/     pelvoro.svg
#   share/man/man1/                        pelvoro.1.gz, pelvoro-cli.1.gz, pelvoro-sim.1.gz
#   share/pelvoro/ (PELVORO_INSTALL_DATADIR)  shipped data files (outdoor pictures and the like):
#       a file here is copied into the user's data folder, the application's directory of an
#       installed station, when that folder lacks it. A generator that makes such files installs
#       them with `install(FILES ... DESTINATION ${PELVORO_INSTALL_DATADIR})`, flat, no subfolders.

include(GNUInstallDirs)
set(PELVORO_PACKAGE_PREFIX /usr)
set(PELVORO_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/pelvoro)

set(pelvoro_programs pelvoro pelvoro-cli pelvoro-sim)

# --version: the project's version and the revision of the checkout at configure time.
find_package(Git QUIET)
set(PELVORO_REVISION "")
if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} rev-parse --short=10 HEAD
                  OUTPUT_VARIABLE PELVORO_REVISION OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(PELVORO_REVISION STREQUAL "")
  set(PELVORO_VERSION_TEXT "${PROJECT_VERSION}")
else()
  set(PELVORO_VERSION_TEXT "${PROJECT_VERSION} (git ${PELVORO_REVISION})")
endif()
foreach(program IN LISTS pelvoro_programs)
  target_compile_definitions(${program} PRIVATE PELVORO_VERSION_TEXT="${PELVORO_VERSION_TEXT}")
endforeach()
# The folders programs are installed into, the package's and `cmake --install`'s, are never an
# application's directory (src/base/app_dir.cpp).
target_compile_definitions(pelvoro_base PRIVATE
  PELVORO_INSTALL_BINDIRS="${PELVORO_PACKAGE_PREFIX}/${CMAKE_INSTALL_BINDIR}:${CMAKE_INSTALL_FULL_BINDIR}")

install(TARGETS ${pelvoro_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/pelvoro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/pelvoro.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages from each program's --help, made at build time so that they cannot drift from the
# programs. The version is the one the programs print; pelvoro-cli's --version also names the
# build's own folder, which has no place in a man page.
find_program(HELP2MAN_EXECUTABLE help2man)
find_program(GZIP_EXECUTABLE gzip)
if(HELP2MAN_EXECUTABLE AND GZIP_EXECUTABLE)
  set(man_dir ${PROJECT_BINARY_DIR}/man)
  set(man_pages)
  set(pelvoro_summary "desktop station for LED dot-matrix screens")
  set(pelvoro-cli_summary "command-line tool of the LED screen station")
  set(pelvoro-sim_summary "LED controller card simulator")
  foreach(program IN LISTS pelvoro_programs)
    set(page ${man_dir}/${program}.1)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${HELP2MAN_EXECUTABLE} --no-info --no-discard-stderr "--name=${${program}_summary}"
              "--version-string=${program} ${PELVORO_VERSION_TEXT}"
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND ${GZIP_EXECUTABLE} -9nf ${page}
      DEPENDS ${program}
      COMMENT "Man page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${page}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man or gzip not found: the package will have no man pages (scripts/pelvoro.sh installs help2man)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelvoro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pelvoro developers <pelvoro@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Station for single- and dual-colour LED dot-matrix screens")
set(CPACK_PACKAGE_DESCRIPTION "Composes pages, subtitles, clock and temperature areas for up to 64 LED \
screens and sends them to the screens' controller cards over a serial line or TCP. With a command-line tool \
and a controller card simulator.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${PELVORO_PACKAGE_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Pages are drawn with Chinese fonts; the font names the station asks for map onto these.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-uming, fonts-wqy-zenhei, libreoffice-writer-nogui")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(PELVORO_BUILD_TESTS)
  # Builds the package, unpacks it into a temporary root and checks that the files are where the
  # desktop entry and the man pages say; the second test installs it in a Debian 12 container when a
  # container runtime is there, and is skipped (saying why) when not.
  foreach(variant files container)
    add_test(NAME package.${variant}
             COMMAND bash ${PROJECT_SOURCE_DIR}/tests/package/check_package.sh ${variant} ${PROJECT_BINARY_DIR})
    set_tests_properties(package.${variant} PROPERTIES LABELS slow SKIP_RETURN_CODE 77 TIMEOUT 900
                         RUN_SERIAL TRUE)
  endforeach()
endif()
