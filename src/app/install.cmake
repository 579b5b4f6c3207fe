# cmake --install: a portable Kobanu folder, <prefix>/lib/kobanu, with the executable and its icon.
# The program keeps setting.ini beside its executable and creates it at the first save, so the
# prefix must be one its user can write to, such as ~/.local. Around it: a link on the PATH, a
# desktop entry and the icon in the hicolor theme.
set(kobanuFolder lib/kobanu)
set(icons ${PROJECT_SOURCE_DIR}/src/res/icons)

install(TARGETS kobanu RUNTIME DESTINATION ${kobanuFolder})
install(FILES ${icons}/kobanu_48.png DESTINATION ${kobanuFolder} RENAME kobanu.png)

# The link resolves to the folder, and so does the program's own path, which names setting.ini.
file(CREATE_LINK ../${kobanuFolder}/kobanu ${CMAKE_CURRENT_BINARY_DIR}/kobanu_link SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kobanu_link DESTINATION bin RENAME kobanu)

foreach(size 16 24 32 48)
  install(FILES ${icons}/kobanu_${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME kobanu.png)
endforeach()

# The desktop entry names the executable by its installed path, known only at install time.
install(CODE "
  set(executable \"\${CMAKE_INSTALL_PREFIX}/${kobanuFolder}/kobanu\")
  configure_file([[${PROJECT_SOURCE_DIR}/src/res/kobanu.desktop.in]]
                 [[${CMAKE_CURRENT_BINARY_DIR}/kobanu.desktop]] @ONLY)
  file(INSTALL [[${CMAKE_CURRENT_BINARY_DIR}/kobanu.desktop]]
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\")
")
