# The Debian package a shop installs: `cmake --build build --target package` makes
# jsjxc_<version>_<arch>.deb with CPack's DEB generator. Its files are installed under /usr:
# the program, the upgrader program, the menu entry, the AppStream metainfo, the icon theme files,
# the manual page, and the copyright and changelog files Debian asks for.
include(GNUInstallDirs)
find_package(Qt6 REQUIRED COMPONENTS Svg)

set(JSJXC_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(JSJXC_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(JSJXC_APP_ID cn.jiasuisoft.jsjxc)

# The icon files, painted by the program's own icon code.
add_executable(jsjxc_icons ${JSJXC_PACKAGING_DIR}/iconwriter.cpp)
target_link_libraries(jsjxc_icons PRIVATE jsjxc_app Qt6::Svg)
set(icon_files ${JSJXC_PACKAGING_OUT}/hicolor/scalable/apps/jsjxc.svg)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND icon_files ${JSJXC_PACKAGING_OUT}/hicolor/${size}x${size}/apps/jsjxc.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:jsjxc_icons> ${JSJXC_PACKAGING_OUT}
  DEPENDS jsjxc_icons
  COMMENT "Painting the icon files of the package"
  VERBATIM)

# Debian wants the manual page and the changelog compressed the same way every time (-n: no name or
# time stamp in them).
string(TIMESTAMP JSJXC_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
string(TIMESTAMP JSJXC_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${JSJXC_PACKAGING_DIR}/changelog.in ${JSJXC_PACKAGING_OUT}/changelog @ONLY)
configure_file(${JSJXC_PACKAGING_DIR}/${JSJXC_APP_ID}.metainfo.xml.in
  ${JSJXC_PACKAGING_OUT}/${JSJXC_APP_ID}.metainfo.xml @ONLY)
set(compressed)
foreach(pair "${JSJXC_PACKAGING_DIR}/jsjxc.1|jsjxc.1.gz" "${JSJXC_PACKAGING_OUT}/changelog|changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(OUTPUT ${JSJXC_PACKAGING_OUT}/${name}
    COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh ${source} ${JSJXC_PACKAGING_OUT}/${name}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND compressed ${JSJXC_PACKAGING_OUT}/${name})
endforeach()
add_custom_target(jsjxc_package_files ALL DEPENDS ${icon_files} ${compressed})

# The installed programs resolve every symbol at the start and keep the tables read-only after it.
target_link_options(jsjxc PRIVATE LINKER:-z,relro,-z,now)
target_link_options(jsjxc_upgrader PRIVATE LINKER:-z,relro,-z,now)

install(TARGETS jsjxc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Started by the program, never by the user: beside the program's private files.
install(TARGETS jsjxc_upgrader RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/jsjxc)
install(FILES ${JSJXC_PACKAGING_DIR}/${JSJXC_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${JSJXC_PACKAGING_OUT}/${JSJXC_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${JSJXC_PACKAGING_OUT}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${JSJXC_PACKAGING_OUT}/jsjxc.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${JSJXC_PACKAGING_DIR}/copyright ${JSJXC_PACKAGING_OUT}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/jsjxc)
# lintian finds nothing to explain today; a tag that must stay gets a line with its reason in
# packaging/jsjxc.lintian-overrides, installed here.
if(EXISTS ${JSJXC_PACKAGING_DIR}/jsjxc.lintian-overrides)
  install(FILES ${JSJXC_PACKAGING_DIR}/jsjxc.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME jsjxc)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME jsjxc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "云杉软件")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "purchases, sales and stock of a small shop (嘉穗进销存)")
set(CPACK_PACKAGE_DESCRIPTION
  "嘉穗进销存是小店使用的进销存软件：商品入库，单件或整单销售（折扣、欠款、\n"
  "收款、找零），退货，按拼音首字母和条码查询，销售记录与合计，打印小票和\n"
  "销售单，两级权限的用户管理。\n"
  ".\n"
  "A desktop program with which a small shop keeps its purchases, sales and\n"
  "stock. All of its screens are in Chinese.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "云杉软件 <support@jiasuisoft.cn>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.jiasuisoft.cn")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see: the fonts, Qt's own translations, and the plugins Qt loads at run
# time (the SQLite driver, the X11/Wayland platform).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "fonts-noto-cjk, fonts-arphic-uming, qt6-translations-l10n, libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins")
# pkexec hands an upgrade to apt; xdg-utils opens web addresses and files; the server's own copy tools
# back up and restore a shop kept on a server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec, xdg-utils, postgresql-client")
include(CPack)
