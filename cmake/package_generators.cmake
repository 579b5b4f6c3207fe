# Read by cpack for each generator.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  # The portable folder alone: the executable, its icon and the README, under kobanu-VERSION/.
  set(CPACK_PACKAGE_FILE_NAME kobanu-${CPACK_PACKAGE_VERSION}-linux-amd64)
  set(CPACK_PRE_BUILD_SCRIPTS ${CPACK_KOBANU_PORTABLE_SCRIPT})
endif()
