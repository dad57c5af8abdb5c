# Installing vorn_htm as a desktop program: cmake --install BUILD [--prefix P]
# (DESTDIR honoured), and a Debian package made from the same files with
# cpack -G DEB in the build folder.
#
# The program tells an installed copy from a portable one by the folder it
# runs from (src/core/program_folders.h): it is given the bin folder and the
# data folder of each place it can be installed to, the prefix of
# cmake --install and the prefix of the package.
include(GNUInstallDirs)

set(VORN_PACKAGE_PREFIX "/usr" CACHE PATH "Prefix the Debian package installs the program to")

set(vorn_data_dir ${CMAKE_INSTALL_DATADIR}/vorn_htm)
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
  set(vorn_package_bindir "${CMAKE_INSTALL_BINDIR}")
else()
  set(vorn_package_bindir "${VORN_PACKAGE_PREFIX}/${CMAKE_INSTALL_BINDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_DATADIR}")
  set(vorn_package_datadir "${CMAKE_INSTALL_DATADIR}/vorn_htm")
else()
  set(vorn_package_datadir "${VORN_PACKAGE_PREFIX}/${CMAKE_INSTALL_DATADIR}/vorn_htm")
endif()
set(vorn_programs vorn_htm)
if(VORN_WINDOWS)
  list(APPEND vorn_programs vorn_htm-windows)
endif()
foreach(program ${vorn_programs})
  target_compile_definitions(
    ${program} PRIVATE VORN_INSTALL_BINDIR="${CMAKE_INSTALL_FULL_BINDIR}"
                       VORN_INSTALL_DATADIR="${CMAKE_INSTALL_FULL_DATADIR}/vorn_htm"
                       VORN_PACKAGE_BINDIR="${vorn_package_bindir}" VORN_PACKAGE_DATADIR="${vorn_package_datadir}")
endforeach()

# The manual page, compressed as Debian keeps them (man reads it either way).
set(vorn_man_gz ${CMAKE_BINARY_DIR}/vorn_htm.1.gz)
add_custom_command(
  OUTPUT ${vorn_man_gz}
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/vorn_htm.1 > ${vorn_man_gz}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/vorn_htm.1
  VERBATIM)
# The package's change log, as Debian wants one in every package (named
# changelog.gz: the package is its own upstream, a native package).
set(vorn_changelog_gz ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${vorn_changelog_gz}
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog.Debian > ${vorn_changelog_gz}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog.Debian
  VERBATIM)
add_custom_target(vorn_packaging_files ALL DEPENDS ${vorn_man_gz} ${vorn_changelog_gz})

install(TARGETS vorn_htm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The windows: started by vorn_htm from BINDIR/../lib/vorn_htm.
if(VORN_WINDOWS)
  install(TARGETS vorn_htm-windows RUNTIME DESTINATION lib/vorn_htm)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/vorn_htm.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/vorn_htm.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/org.example.vorn_htm.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${vorn_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The help pages the windows open, and a complete settings file to copy.
# (help_pages: the help/*.html that the build also copies beside the program)
if(help_pages)
  install(FILES ${help_pages} DESTINATION ${vorn_data_dir})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/samples/vorn_htm.ini DESTINATION ${vorn_data_dir})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${vorn_changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vorn-htm)

# The Debian package: vorn-htm_VERSION_ARCH.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorn-htm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${VORN_PACKAGE_PREFIX})
set(CPACK_PACKAGE_CONTACT "vorn_htm maintainers <maintainers@users.noreply.c-seed-c26248c5.example>")
# The MIT licence; the package installs it as its copyright file too.
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn mailbox files of Japanese mail into an HTML archive")
# The summary above is the package's synopsis; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "vorn_htm reads mailbox files of Japanese mail (Unix mbox, Maildir, single
messages and the mailbox files of older Japanese mailers) and writes a static
HTML archive that any web browser opens from disk: the messages listed as a
thread tree beside one page per message, with saved attachments and a
ranking of the senders. A later run appends to the archive.
.
It has a desktop window (MBX→HTML) and a command line for scripts and cron;
every account keeps its own settings and history.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(VORN_WINDOWS)
  # The windows draw their Japanese text in the IPA fonts, and their icon
  # through Qt's SVG plugins, which the program loads without linking them.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-mincho, fonts-ipafont-gothic, libqt6svg6")
endif()
# Files and folders owned by root, whoever builds the package.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
