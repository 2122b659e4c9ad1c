# tocolo_install_desktop_files(<image-dir>)
# Installs the menu entry, the scalable icon and the AppStream metainfo, so desktops list
# Tocolo with its icon and software centres describe it.
# <image-dir> is where tools/imagegen wrote the icons.
include(GNUInstallDirs)

set(TOCOLO_DESKTOP_ENTRY ${CMAKE_CURRENT_LIST_DIR}/../res/desktop/tocolo.desktop)
# The release in the metainfo is the project's version.
set(TOCOLO_METAINFO ${PROJECT_BINARY_DIR}/io.github.tocolo.Tocolo.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/../res/desktop/io.github.tocolo.Tocolo.metainfo.xml.in
               ${TOCOLO_METAINFO} @ONLY)

function(tocolo_install_desktop_files image_dir)
  install(FILES ${TOCOLO_DESKTOP_ENTRY} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The entry's Icon=tocolo finds the icon theme's files by this name, at each size a
  # desktop asks for and scalable.
  foreach(size ${TOCOLO_ICON_SIZES})
    install(FILES ${image_dir}/tocolo-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME tocolo.png)
  endforeach()
  install(FILES ${image_dir}/tocolo.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${TOCOLO_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endfunction()
