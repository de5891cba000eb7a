# Installation: the program folder (the executable with its delivered files, which it
# finds beside itself) under lib/zovalis/, a bin/zovalis link to it, the launcher entry,
# the icons and the AppStream description. `cmake --install` honours DESTDIR, and the
# install manifest lists every file (without DESTDIR) for `make uninstall`.
include(GNUInstallDirs)
set(ZOVALIS_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/zovalis)

install(TARGETS zovalis RUNTIME DESTINATION ${ZOVALIS_INSTALL_DIR})
foreach(folder skin encoder base server tuner)
  install(DIRECTORY ${ZOVALIS_PROGRAM_DIR}/${folder} DESTINATION ${ZOVALIS_INSTALL_DIR} USE_SOURCE_PERMISSIONS)
endforeach()
install(CODE "
  set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zovalis\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(REMOVE \"\${link}\")
  file(CREATE_LINK ../${ZOVALIS_INSTALL_DIR}/zovalis \"\${link}\" SYMBOLIC)
  message(STATUS \"Installing: \${link}\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zovalis\")
")

install(FILES ${CMAKE_CURRENT_LIST_DIR}/zovalis.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.example.zovalis.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 128 256)
  install(FILES ${ZOVALIS_PROGRAM_DIR}/skin/icon${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME zovalis.png)
endforeach()
install(FILES ${ZOVALIS_PROGRAM_DIR}/skin/icon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME zovalis.svg)
