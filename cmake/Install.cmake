# Installing and packaging: `cmake --install` puts the programs, the user
# guide, the menu entry and the icon where a Linux desktop finds them, and
# `cpack -G DEB` wraps the same tree into a Debian package.

set(TZL_HELP_SOURCE ${PROJECT_SOURCE_DIR}/docs/help)
set(TZL_APP_SOURCE ${PROJECT_SOURCE_DIR}/src/app)

install(TARGETS tzl-configurator tzl-relay-sim tzlctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The configurator looks for its guide in share/tzl-configurator/help beside
# an installed program, and in bin/help of the build tree, so that "Contents"
# also works while developing.
install(DIRECTORY ${TZL_HELP_SOURCE}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tzl-configurator/help)
add_custom_target(user-guide
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${TZL_HELP_SOURCE}
            ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help
    COMMENT "Copying the user guide beside the programs")
add_dependencies(tzl-configurator user-guide)

install(FILES ${TZL_APP_SOURCE}/tzl-configurator.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TZL_APP_SOURCE}/icons/tzl-configurator.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN ITEMS 16 32 48 64 128 256)
    install(FILES ${TZL_APP_SOURCE}/icons/tzl-configurator-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME tzl-configurator.png)
endforeach()

set(CPACK_PACKAGE_NAME tzl-configurator)
set(CPACK_PACKAGE_VENDOR "Velmar Dudodozozuz")
set(CPACK_PACKAGE_CONTACT "TZL Configurator maintainers <tzl-configurator@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configures and watches a TZL protection relay over Modbus RTU")
set(CPACK_PACKAGE_DESCRIPTION
    "The desktop program with which an engineer uploads, edits, downloads, saves and prints \
the configuration of a TZL generator protection relay, watches its measurements and relays, \
acknowledges alarms, resets latches and reads its event log. With tzlctl, a command-line \
companion for scripts and field use, and tzl-relay-sim, a relay simulator for training.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The Qt libraries and their versions come from the programs themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# "Contents" opens the guide in the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
include(CPack)
