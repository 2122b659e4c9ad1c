# tocolo_install_desktop_files(<image-dir>)
# Installs the menu entry, the icon at the theme's sizes and scalable, the AppStream metainfo
# and the manual page, so desktops list Tocolo with its icon, software centres describe it
# and `man tocolo` works. Everything a desktop looks up carries the one application id,
# TOCOLO_APP_ID.
# <image-dir> is where tools/imagegen wrote the icons.
include(GNUInstallDirs)

set(TOCOLO_DESKTOP_ENTRY ${CMAKE_CURRENT_LIST_DIR}/../res/desktop/${TOCOLO_APP_ID}.desktop)
# The release in the metainfo is the project's version.
set(TOCOLO_METAINFO ${PROJECT_BINARY_DIR}/${TOCOLO_APP_ID}.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/../res/desktop/${TOCOLO_APP_ID}.metainfo.xml.in
               ${TOCOLO_METAINFO} @ONLY)

function(tocolo_install_desktop_files image_dir)
  install(FILES ${TOCOLO_DESKTOP_ENTRY} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The entry's Icon= finds the theme's files by the id, at each size a desktop asks for.
  foreach(size ${TOCOLO_ICON_SIZES})
    install(FILES ${image_dir}/tocolo-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${TOCOLO_APP_ID}.png)
  endforeach()
  install(FILES ${image_dir}/tocolo.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${TOCOLO_APP_ID}.svg)
  install(FILES ${TOCOLO_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/tocolo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
