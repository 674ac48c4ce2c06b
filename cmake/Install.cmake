# Installing: the programs, the calculator library and data/ go to one
# folder, <prefix>/lib/quorvane, so that each program finds Templates,
# Languages, EMU, help and the tips beside itself, as in the build tree.
# <prefix>/bin gets links to the four programs; the desktop entry, the MIME
# package and the icons go where the desktop looks for them.
#
#   cmake --install build --prefix ~/.local       (or /usr/local, with sudo)
#   make package                                   (a .deb in build/)

set(QV_APPDIR lib/quorvane)
set(QV_PROGRAMS quorvane qvrpl qvcalc kobrix)

foreach(program ${QV_PROGRAMS} emu48)
  if(TARGET ${program})
    # The installed programs find the calculator library beside them.
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${program} RUNTIME DESTINATION ${QV_APPDIR} LIBRARY DESTINATION ${QV_APPDIR})
  endif()
endforeach()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${QV_APPDIR})
# The calculator's default state files are made by the build.
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/EMU DESTINATION ${QV_APPDIR})

# Relative links, so that a package or a staged install (DESTDIR) can move.
foreach(program ${QV_PROGRAMS})
  install(CODE "
    set(bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(MAKE_DIRECTORY \"\${bindir}\")
    file(REMOVE \"\${bindir}/${program}\")
    file(CREATE_LINK \"../${QV_APPDIR}/${program}\" \"\${bindir}/${program}\" SYMBOLIC)
    message(STATUS \"Linking: \${bindir}/${program}\")")
endforeach()

if(DEFINED QV_DESKTOP_DIR)
  install(FILES ${QV_DESKTOP_DIR}/quorvane.desktop DESTINATION share/applications)
  install(FILES ${QV_DESKTOP_DIR}/quorvane.xml DESTINATION share/mime/packages)
  install(DIRECTORY ${QV_DESKTOP_DIR}/icons/ DESTINATION share/icons/hicolor/scalable)
endif()

# A Debian package of the same install. Its dependencies are the Debian
# runtime packages the programs link against, found by dpkg-shlibdeps; the
# MIME and desktop databases are refreshed by those packages' triggers.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Quorvane developers <quorvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Development environment for UserRPL, the language of the HP 48, 49 and 50")
set(CPACK_PACKAGE_DESCRIPTION "HPQuorvane is an editor for UserRPL programs with a built-in RPL calculator,
stepping and breakpoints, program generators, a flowchart builder and printing.
It comes with qvrpl (UserRPL in a terminal), qvcalc (the calculator alone) and
kobrix (hands an object file to a running calculator).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# Loaded at run time rather than linked: the Qt platform and image plugins,
# the fonts, the desktop's tools, and LAPACK (opened by the first eigenvalue).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, fonts-dejavu-core, shared-mime-info, liblapack3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, xdg-user-dirs, xdg-utils, adwaita-icon-theme")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
