# The version header, the install rules and the Debian package. Included once,
# at the end of the top-level CMakeLists.txt, when every target exists.
#
# Installed layout (prefix /usr for the package):
#   bin/zentaro, bin/zentaro-cli
#   share/zentaro/data/    sample catalogue, tip files, languages/*.qm
#   share/applications/, share/metainfo/, share/icons/hicolor/   desktop entry
#   lib/udev/rules.d/70-zentaro.rules
#   share/man/man1/zentaro.1.gz, zentaro-cli.1.gz; share/doc/zentaro/
#   copyright, changelog.gz   (ZentaroDocs.cmake, sources in packaging/)
# An installed copy finds its data relative to its own folder (see
# common/apppaths.h), so a DESTDIR or --prefix install runs as it is.

include(GNUInstallDirs)

set(ZENTARO_APP_ID org.zentaro.Zentaro)
# Date of the release named by project(VERSION); the metainfo lists it.
set(ZENTARO_RELEASE_DATE 2026-12-01)
set(ZENTARO_LINUX_DIR ${CMAKE_SOURCE_DIR}/resources/linux)

# --- the one version number -----------------------------------------------------
configure_file(${CMAKE_SOURCE_DIR}/cmake/zentaroversion.h.in
               ${CMAKE_BINARY_DIR}/generated/zentaroversion.h @ONLY)
target_include_directories(zentaro_core PUBLIC ${CMAKE_BINARY_DIR}/generated)

# --- where an installed copy looks for its data ------------------------------------
set(ZENTARO_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/zentaro/data)
file(RELATIVE_PATH ZENTARO_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/zentaro/data)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/common/apppaths.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS ZENTARO_INSTALLED_DATA_FROM_BIN="${ZENTARO_DATA_FROM_BIN}")

# --- install rules -----------------------------------------------------------------
set(ZENTARO_BUILT_DATA ${CMAKE_BINARY_DIR}/bin/data)
# The device page's Fix button installs this copy when run from the build.
configure_file(${ZENTARO_LINUX_DIR}/70-zentaro.rules ${ZENTARO_BUILT_DATA}/70-zentaro.rules COPYONLY)

install(TARGETS zentaro-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ZENTARO_LINUX_DIR}/zentaro-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zentaro-cli)
install(FILES ${ZENTARO_BUILT_DATA}/velmora.db3 DESTINATION ${ZENTARO_INSTALL_DATA_DIR})
# udev reads <prefix>/lib/udev/rules.d, never the multiarch library folder.
install(FILES ${ZENTARO_LINUX_DIR}/70-zentaro.rules DESTINATION lib/udev/rules.d)

if(ZENTARO_BUILD_GUI)
  install(TARGETS zentaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ZENTARO_BUILT_DATA}/tip_file_cn.ini ${ZENTARO_BUILT_DATA}/tip_file_en.ini
                ${ZENTARO_BUILT_DATA}/tip_file_vn.ini
          DESTINATION ${ZENTARO_INSTALL_DATA_DIR})
  install(FILES ${ZENTARO_BUILT_DATA}/languages/Zentaro_zh_CN.qm
                ${ZENTARO_BUILT_DATA}/languages/Zentaro_en_US.qm
                ${ZENTARO_BUILT_DATA}/languages/Zentaro_vi_VN.qm
          DESTINATION ${ZENTARO_INSTALL_DATA_DIR}/languages)

  # The picture package of the product a new simulated keyboard starts as,
  # unpacked by the build (update/CMakeLists.txt), so that an installed
  # `zentaro --simulate` reaches the key page without a download server.
  if(TARGET zentaro_server_tree)
    file(STRINGS ${CMAKE_SOURCE_DIR}/sim/simcatalogueseed.h _line
         REGEX "kDefaultProduct = [0-9]+")
    string(REGEX MATCH "kDefaultProduct = ([0-9]+)" _ "${_line}")
    set(_serial ${CMAKE_MATCH_1})
    file(GLOB _products ${CMAKE_SOURCE_DIR}/catalogue/generator/products/*.json)
    foreach(_product ${_products})
      file(READ ${_product} _json)
      string(JSON _number ERROR_VARIABLE _error GET "${_json}" serialNumber)
      if(NOT _error AND _number STREQUAL _serial)
        string(JSON _folder GET "${_json}" productData)
        install(DIRECTORY ${ZENTARO_BUILT_DATA}/${_folder}
                DESTINATION ${ZENTARO_INSTALL_DATA_DIR})
      endif()
    endforeach()
  endif()

  install(FILES ${ZENTARO_LINUX_DIR}/${ZENTARO_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${ZENTARO_LINUX_DIR}/${ZENTARO_APP_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/${ZENTARO_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${ZENTARO_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The icon: the SVG as drawn, and a 256 px PNG rendered from it at build time.
  set(ZENTARO_ICON_OUT ${CMAKE_BINARY_DIR}/icon)
  set(ZENTARO_ICON_PNG ${ZENTARO_ICON_OUT}/light/${ZENTARO_APP_ID}.png)
  add_custom_command(
    OUTPUT ${ZENTARO_ICON_PNG}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:zentaro-svgrender> ${ZENTARO_LINUX_DIR}/icon
            ${CMAKE_SOURCE_DIR}/resources/images-src/palette.txt ${ZENTARO_ICON_OUT}
    DEPENDS zentaro-svgrender ${ZENTARO_LINUX_DIR}/icon/${ZENTARO_APP_ID}.svg
    COMMENT "Rendering the application icon"
    VERBATIM)
  add_custom_target(zentaro_icon ALL DEPENDS ${ZENTARO_ICON_PNG})
  install(FILES ${ZENTARO_LINUX_DIR}/icon/${ZENTARO_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${ZENTARO_ICON_PNG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()

# --- copyright, changelog and manual pages -------------------------------------------
include(${CMAKE_CURRENT_LIST_DIR}/ZentaroDocs.cmake)

# --- Debian package (scripts/package) ---------------------------------------------
# CPack installs without building every target first (the tests are no part
# of the package); scripts/package builds what the package holds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zentaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zentaro developers")
set(CPACK_PACKAGE_CONTACT "Zentaro developers <zentaro@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for magnetic-switch gaming keyboards")
# Debian wants the extended description in lines under 80 characters; CPack
# indents each line by one space and turns an empty one into " .".
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Zentaro configures Hall-effect (magnetic-switch) gaming keyboards connected"
  "by USB cable, 2.4 GHz receiver or Bluetooth: the key map of both layers,"
  "lighting, advanced keys, macros, per-key actuation and rapid trigger,"
  "calibration, on-keyboard profiles, firmware transfer and encrypted profile"
  "export and import."
  ""
  "Includes zentaro-cli for the terminal and scripts, and a udev rule that"
  "gives the user at the seat access to the keyboard.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zentaro.example.org/")
# Libraries the programs link are found by dpkg-shlibdeps; the Qt plugins
# they load at run time are not, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(ZENTARO_BUILD_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, libqt6svg6")
  # Qt's own catalogues put its standard buttons into the chosen language;
  # pkexec lets the device page install the udev rule.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev, fonts-noto-cjk, qt6-translations-l10n, pkexec")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${ZENTARO_LINUX_DIR}/debian/postinst
    ${ZENTARO_LINUX_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
