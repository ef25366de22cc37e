# Runs at install time (install(SCRIPT)): writes the udev rule with the probe's installed path
# under the prefix this install uses.
set(dir "${CMAKE_INSTALL_PREFIX}/${RFID_UDEV_DIR}")
file(READ "${RFID_RULES_TEMPLATE}" rule)
string(REPLACE "@RFID_UDEV_PROBE_PATH@" "${dir}/${RFID_UDEV_PROBE_NAME}" rule "${rule}")
set(dest "$ENV{DESTDIR}${dir}/rules.d/${RFID_UDEV_RULE_NAME}")
message(STATUS "Installing: ${dest}")
file(WRITE "${dest}" "${rule}")
file(CHMOD "${dest}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${dest}")
