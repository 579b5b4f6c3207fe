# Read by cpack for each generator.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  # The portable folder alone: the executable, its icon and the README, under kobanu-VERSION/.
  set(CPACK_PACKAGE_FILE_NAME kobanu-${CPACK_PACKAGE_VERSION}-linux-amd64)
  set(CPACK_PRE_BUILD_SCRIPTS ${CPACK_KOBANU_PORTABLE_SCRIPT})
elseif(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME kobanu-${CPACK_PACKAGE_VERSION}-setup)
  # The setup program's version resource takes four numbers.
  set(CPACK_KOBANU_FILE_VERSION ${CPACK_PACKAGE_VERSION}.0.0)
  # One line of the template's StartMenuEntries macro for each name and arguments. cpack reads
  # this file under old policies, whose lists drop the empty arguments.
  cmake_policy(SET CMP0007 NEW)
  set(menu "${CPACK_KOBANU_START_MENU}")
  set(CPACK_KOBANU_START_MENU_ENTRIES "")
  while(menu)
    list(POP_FRONT menu name arguments)
    string(APPEND CPACK_KOBANU_START_MENU_ENTRIES
           "  !insertmacro \${MACRO} \"${name}\" \"${arguments}\"\n")
  endwhile()
endif()
