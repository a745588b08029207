# What "cmake --install" puts beside the program (icon, launcher entry) and the Debian
# package built from it with "cpack -G DEB" in the release tree (scripts/paket).
include_guard(GLOBAL)
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/Bauwerte.cmake)

# --- Icon: the picture the program draws for itself, saved as PNG files at build time -------
add_executable(veltrano_symbol packaging/SymbolSpeichern.cpp)
target_link_libraries(veltrano_symbol PRIVATE veltrano_gui veltrano_strict)
set(symbol_groessen 16 22 24 32 48 64 128 256)
set(symbol_dateien)
foreach(groesse ${symbol_groessen})
    list(APPEND symbol_dateien ${VELTRANO_SYMBOL_ORDNER}/${groesse}x${groesse}/apps/${VELTRANO_PROGRAMM}.png)
endforeach()
add_custom_command(OUTPUT ${symbol_dateien}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:veltrano_symbol> ${VELTRANO_SYMBOL_ORDNER} ${symbol_groessen}
    DEPENDS veltrano_symbol
    COMMENT "Saving the program icon as PNG"
    VERBATIM)
add_custom_target(veltrano_symbole ALL DEPENDS ${symbol_dateien})
install(DIRECTORY ${VELTRANO_SYMBOL_ORDNER}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# --- Launcher entry ---------------------------------------------------------------------------
configure_file(packaging/veltrano.desktop.in ${PROJECT_BINARY_DIR}/${VELTRANO_PROGRAMM}.desktop @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${VELTRANO_PROGRAMM}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The installed tree, checked from the test tree: program, icon of the right size, an entry
# desktop-file-validate accepts.
if(VELTRANO_TESTS)
    add_test(NAME paket_installation
        COMMAND ${CMAKE_COMMAND} -DBAUBAUM=${PROJECT_BINARY_DIR} -DZIEL=${PROJECT_BINARY_DIR}/paket-probe
                -P ${PROJECT_SOURCE_DIR}/packaging/InstallationPruefen.cmake)
    set_tests_properties(paket_installation PROPERTIES LABELS unit TIMEOUT 120)
endif()

# --- Debian package ---------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VELTRANO_PROGRAMM})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Veltrano-Projekt")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "switch the computers of a small network on and off")
set(CPACK_PACKAGE_DESCRIPTION "Veltrano shows which computers of a small local network are switched on,
wakes them (Wake-on-LAN), puts them to sleep, shuts them down or restarts them,
and gives each computer a daily or one-off schedule for such an action. The same
program runs on every computer of the network; its user interface is German.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The maker's data where the build names it (cmake/Bauwerte.cmake), never a made-up address.
if(VELTRANO_HERSTELLER)
    set(CPACK_PACKAGE_VENDOR "${VELTRANO_HERSTELLER}")
endif()
if(VELTRANO_MAIL)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_VENDOR} <${VELTRANO_MAIL}>")
else()
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_VENDOR}")
endif()
if(VELTRANO_HOMEPAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELTRANO_HOMEPAGE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links come from dpkg-shlibdeps; what it loads at run time does not
# show there: Qt's platform plugins (without them no window opens), and the fonts the program
# lays its windows out with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
# Shut down and restart hosts without Veltrano (net rpc), the sleep and shutdown requests
# (logind), and the system tray's sound events.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "samba-common-bin, systemd")
# The install script sets cap_net_raw on the ARP helper (setcap from libcap2-bin).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
