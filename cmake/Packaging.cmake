# What `cmake --install` lays out, and the .deb CPack builds from it.
include(GNUInstallDirs)

set(pkg ${PROJECT_SOURCE_DIR}/packaging)
# udev looks for its helpers and rules in <prefix>/lib/udev, never in a multiarch libdir.
set(RFID_UDEV_DIR lib/udev)

# Programs. The window's own install rule is in app/; the command line joins when it exists.
target_compile_definitions(rfid-workbench PRIVATE RFID_APP_ID="${RFID_APP_ID}")
if(TARGET rfidctl)
  install(TARGETS rfidctl)
endif()

# Desktop entry, icons, AppStream metainfo.
install(FILES ${pkg}/${RFID_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg}/icons/${RFID_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${pkg}/icons/${size}x${size}/${RFID_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The screenshot's size from its PNG header (width and height, big-endian, at byte 16).
file(READ ${pkg}/screenshots/main-window.png shot_header OFFSET 16 LIMIT 8 HEX)
string(SUBSTRING "${shot_header}" 0 8 shot_width)
string(SUBSTRING "${shot_header}" 8 8 shot_height)
math(EXPR RFID_SCREENSHOT_WIDTH "0x${shot_width}")
math(EXPR RFID_SCREENSHOT_HEIGHT "0x${shot_height}")
configure_file(${pkg}/${RFID_APP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/packaging/${RFID_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${RFID_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages: every packaging/man/*.1, compressed as Debian ships them, and the command
# line's own page, which rfidctl prints from its command registry (app/CMakeLists.txt).
file(GLOB man_pages CONFIGURE_DEPENDS ${pkg}/man/*.1)
set(generated ${PROJECT_BINARY_DIR}/packaging/generated)
if(TARGET rfidctl)
  list(APPEND man_pages ${generated}/rfidctl.1)
endif()
set(man_outputs)
foreach(page ${man_pages})
  get_filename_component(name ${page} NAME)
  set(out ${PROJECT_BINARY_DIR}/packaging/man/${name}.gz)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging/man
                     COMMAND sh -c "gzip -9nc < \"$1\" > \"$2\"" sh ${page} ${out}
                     DEPENDS ${page} VERBATIM)
  list(APPEND man_outputs ${out})
endforeach()
add_custom_target(rfid_man_pages ALL DEPENDS ${man_outputs})
if(TARGET rfidctl)
  add_dependencies(rfid_man_pages rfidctl_docs)
endif()
install(FILES ${man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Bash completions: every file in packaging/bash-completion, named after its command.
file(GLOB completions CONFIGURE_DEPENDS ${pkg}/bash-completion/*)
if(TARGET rfidctl)
  list(APPEND completions ${generated}/rfidctl)
endif()
if(completions)
  install(FILES ${completions} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

# udev: the probe and the rule. The rule names the probe by its installed path, which
# depends on the prefix given to `cmake --install`, so it is written at install time.
install(TARGETS ${RFID_UDEV_PROBE_NAME} DESTINATION ${RFID_UDEV_DIR} COMPONENT udev)
install(CODE "set(RFID_RULES_TEMPLATE [[${pkg}/60-rfid-workbench.rules.in]])
set(RFID_UDEV_RULE_NAME [[${RFID_UDEV_RULE_NAME}]])
set(RFID_UDEV_PROBE_NAME [[${RFID_UDEV_PROBE_NAME}]])
set(RFID_UDEV_DIR [[${RFID_UDEV_DIR}]])" COMPONENT udev)
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallUdevRule.cmake COMPONENT udev)

# The .deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up and test RFID card readers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Desktop tool for USB HID and serial RFID readers: keyboard-output formats,
UHF output settings, EPC writing with automatic numbering, UHF module work
modes and reader WiFi, each page one reader command with a time-stamped log.
EPC batches from GS1 numbers, verified by reading back, with a journal that
resumes. rfidctl sends every reader command from scripts, and its doctor
command names what keeps a reader from being reached. Comes with a simulated
reader, and with a udev rule that gives the person at the machine the readers
and the common USB-serial adapters.")
set(RFID_PACKAGE_CONTACT "RFID Workbench maintainers <maintainers@rfidworkbench.org>" CACHE STRING
    "Maintainer field of the .deb")
set(CPACK_PACKAGE_CONTACT "${RFID_PACKAGE_CONTACT}")
# The licence, where Debian looks for a package's (machine-readable copyright format).
configure_file(${pkg}/debian/copyright.in ${PROJECT_BINARY_DIR}/packaging/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(CPACK_DEBIAN_FILE_NAME ${RFID_DEB_FILE_NAME})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${RFID_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${RFID_HOMEPAGE_URL})
# Run-time dependencies come from the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Chinese texts of the HF pages need a font that has them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "udev")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${pkg}/debian/postinst ${pkg}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES TRUE)
include(CPack)
