# cpack in a release build: kobanu_VERSION_amd64.deb and a portable .tar.gz on Linux, a .zip on
# Windows.
set(CPACK_PACKAGE_NAME kobanu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kobanu")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watch Rakuten Ichiba for one keyword from the tray")
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package_generators.cmake)
set(CPACK_KOBANU_PORTABLE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/portable_folder.cmake)

if(WIN32)
  # The .zip for portable use and kobanu-VERSION-setup.exe, made by makensis from Debian's nsis
  # with our own template: CPack's asks for administrator rights and installs for all users.
  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_PACKAGE_FILE_NAME kobanu-${PROJECT_VERSION}-windows-x64)
  set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
  set(CPACK_KOBANU_ICON ${PROJECT_SOURCE_DIR}/src/res/icons/kobanu.ico)
  # The installer's Start-menu folder Kobanu: each entry's name, then the program's arguments.
  # A window that has an option of its own gets its entry here.
  set(CPACK_KOBANU_START_MENU "Kobanu" "" "Kobanu サービス設定" --service-settings)
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER
      "Seed 95a9f195 maintainers <maintainers@users.noreply.c-seed-95a9f195.example>")
  set(CPACK_DEBIAN_PACKAGE_SECTION net)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The synopsis is the summary above; this is the extended description.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Kobanu sits in the notification area and asks Rakuten Ichiba's item-search
service once an hour how many items match one keyword, optionally under a
price ceiling and in stock only, or whether a time sale has ended. When the
condition holds it says so in a message box. Its menu opens the settings
dialog and a list of the current hits. The user interface is in Japanese.")
  # The libraries it links, found by dpkg-shlibdeps, and what it loads while running: libcurl,
  # Qt's X11 platform plugin and a font with Japanese glyphs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libcurl4, qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic")
  # Qt's own texts (an edit box's menu) in Japanese, English without it; xdg-open, without which
  # a double-click on a hit or a link button opens nothing; Qt's Wayland platform plugin, without
  # which a Wayland session without Xwayland has no display for it.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils, qt6-wayland")
endif()
include(CPack)
