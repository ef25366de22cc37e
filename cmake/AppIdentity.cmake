# The names the install tree, the package, the desktop entry and the diagnosis share.

# Reverse-DNS application id: desktop file, icon, metainfo and the window's desktop file name.
set(RFID_APP_ID "org.rfidworkbench.RfidWorkbench")
set(RFID_HOMEPAGE_URL "https://rfidworkbench.org" CACHE STRING "The project's home page, named in the AppStream metainfo")
# The metainfo names its screenshot as <this>/main-window.png: where the published
# repository serves the files of packaging/screenshots.
set(RFID_SCREENSHOT_BASE_URL "${RFID_HOMEPAGE_URL}/screenshots" CACHE STRING
    "URL of the folder that serves packaging/screenshots, for the AppStream metainfo")

set(RFID_UDEV_RULE_NAME "60-rfid-workbench.rules")
set(RFID_UDEV_PROBE_NAME "rfid-workbench-hid-probe")

# The .deb's file name as CPack writes it, which the diagnosis quotes in its install command.
find_program(RFID_DPKG dpkg)
if(RFID_DPKG)
  execute_process(COMMAND ${RFID_DPKG} --print-architecture OUTPUT_VARIABLE RFID_DEB_ARCH
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT RFID_DEB_ARCH)
  set(RFID_DEB_ARCH "amd64")
endif()
set(RFID_DEB_FILE_NAME "${PROJECT_NAME}_${PROJECT_VERSION}_${RFID_DEB_ARCH}.deb")
