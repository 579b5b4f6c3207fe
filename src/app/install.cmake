# cmake --install: a portable Kobanu folder, <prefix>/lib/kobanu, with the executable and its icon.
# The program keeps setting.ini beside its executable when it can write there, otherwise in the
# user's own folder. Around it: a link on the PATH, a desktop entry, the icons in the hicolor
# theme, AppStream metadata, a manual page and the documentation (the .deb's layout under /usr).
set(kobanuFolder lib/kobanu)
set(icons ${PROJECT_SOURCE_DIR}/src/res/icons)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS kobanu RUNTIME DESTINATION ${kobanuFolder})
install(FILES ${icons}/kobanu_48.png DESTINATION ${kobanuFolder} RENAME kobanu.png)

# The link resolves to the folder, and so does the program's own path, which names setting.ini.
file(CREATE_LINK ../${kobanuFolder}/kobanu ${CMAKE_CURRENT_BINARY_DIR}/kobanu_link SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kobanu_link DESTINATION bin RENAME kobanu)

# The 64 to 256 px images are kobanu.svg rendered by `rsvg-convert -w N -h N`.
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${icons}/kobanu_${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME kobanu.png)
endforeach()
install(FILES ${icons}/kobanu.svg DESTINATION share/icons/hicolor/scalable/apps)
# The manual, the copyright file and the AppStream metadata name the version of project().
foreach(file kobanu.1 copyright io.github.kobanu.kobanu.metainfo.xml)
  configure_file(${packaging}/${file}.in ${CMAKE_CURRENT_BINARY_DIR}/${file} @ONLY)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/io.github.kobanu.kobanu.metainfo.xml
        DESTINATION share/metainfo)

# Compressed without names or times, so that the packages come out the same from every build.
foreach(file ${CMAKE_CURRENT_BINARY_DIR}/kobanu.1 ${packaging}/changelog)
  cmake_path(GET file FILENAME name)
  execute_process(COMMAND gzip -9nc ${file}
                  OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${packaging}/changelog)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kobanu.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_CURRENT_BINARY_DIR}/copyright
              ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION share/doc/kobanu)

# The desktop entry names the executable by its installed path, known only at install time. Its
# name is the application id that the program gives Wayland (src/res/program_resources.cpp).
install(CODE "
  set(executable \"\${CMAKE_INSTALL_PREFIX}/${kobanuFolder}/kobanu\")
  configure_file([[${PROJECT_SOURCE_DIR}/src/res/kobanu.desktop.in]]
                 [[${CMAKE_CURRENT_BINARY_DIR}/io.github.kobanu.kobanu.desktop]] @ONLY)
  file(INSTALL [[${CMAKE_CURRENT_BINARY_DIR}/io.github.kobanu.kobanu.desktop]]
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\")
")
