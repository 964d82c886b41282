# Style sheets, pictures, translations and tool-tip files of the GUI.
# Included from app/CMakeLists.txt, where the target zentaro_gui exists.
#
# Pictures are drawn from the SVG sources in images-src/ at build time: one
# run of zentaro-svgrender writes the light and the dark PNG of every source,
# and the PNGs are embedded under :/images/images/light/ and
# :/images/images/dark/. Nothing generated is committed.

set(ZENTARO_RES_DIR ${CMAKE_SOURCE_DIR}/resources)
set(ZENTARO_RES_OUT ${CMAKE_CURRENT_BINARY_DIR}/zentaro-resources)
set(ZENTARO_DATA_DIR ${CMAKE_BINARY_DIR}/bin/data)

# --- pictures ---------------------------------------------------------------
add_executable(zentaro-svgrender ${ZENTARO_RES_DIR}/tools/svgrender.cpp)
target_link_libraries(zentaro-svgrender PRIVATE Qt6::Gui Qt6::Svg)
set_target_properties(zentaro-svgrender PROPERTIES AUTOMOC OFF RUNTIME_OUTPUT_DIRECTORY
                      ${CMAKE_BINARY_DIR}/tools)

file(GLOB ZENTARO_SVG_SOURCES CONFIGURE_DEPENDS ${ZENTARO_RES_DIR}/images-src/*.svg)
set(ZENTARO_PNG_FILES)
foreach(svg ${ZENTARO_SVG_SOURCES})
  get_filename_component(name ${svg} NAME)
  if(name MATCHES "\\.dark\\.svg$")
    continue()  # dark override of another source
  endif()
  string(REGEX REPLACE "\\.svg$" ".png" png ${name})
  list(APPEND ZENTARO_PNG_FILES ${ZENTARO_RES_OUT}/images/light/${png}
       ${ZENTARO_RES_OUT}/images/dark/${png})
endforeach()

add_custom_command(
  OUTPUT ${ZENTARO_PNG_FILES}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:zentaro-svgrender> ${ZENTARO_RES_DIR}/images-src
          ${ZENTARO_RES_DIR}/images-src/palette.txt ${ZENTARO_RES_OUT}/images
  DEPENDS zentaro-svgrender ${ZENTARO_SVG_SOURCES} ${ZENTARO_RES_DIR}/images-src/palette.txt
  COMMENT "Rendering light and dark pictures"
  VERBATIM)

qt_add_resources(zentaro_gui "zentaro_images"
  PREFIX "/images/images"
  BASE ${ZENTARO_RES_OUT}/images
  FILES ${ZENTARO_PNG_FILES})

# --- translations -------------------------------------------------------------
# The catalogues are compiled into bin/data/languages/ (the copy the program
# prefers) and the same files are embedded under :/i18n/languages/ as the
# fallback.
set(ZENTARO_TS_FILES
  ${ZENTARO_RES_DIR}/i18n/languages/Zentaro_zh_CN.ts
  ${ZENTARO_RES_DIR}/i18n/languages/Zentaro_en_US.ts
  ${ZENTARO_RES_DIR}/i18n/languages/Zentaro_vi_VN.ts)
set_source_files_properties(${ZENTARO_TS_FILES} PROPERTIES
  OUTPUT_LOCATION ${ZENTARO_DATA_DIR}/languages)
# Qt's own texts in a language for which Qt's translations folder has no
# catalogue (Debian ships none for Vietnamese), embedded under :/i18n/qt/.
set(ZENTARO_QT_TS_FILES ${ZENTARO_RES_DIR}/i18n/qt/qtbase_vi.ts)
set_source_files_properties(${ZENTARO_QT_TS_FILES} PROPERTIES
  OUTPUT_LOCATION ${ZENTARO_RES_OUT}/qt)
qt_add_lrelease(zentaro_gui
  TS_FILES ${ZENTARO_TS_FILES} ${ZENTARO_QT_TS_FILES}
  OPTIONS -silent
  NO_GLOBAL_TARGET
  QM_FILES_OUTPUT_VARIABLE ZENTARO_ALL_QM_FILES)
set(ZENTARO_QM_FILES ${ZENTARO_ALL_QM_FILES})
list(FILTER ZENTARO_QM_FILES INCLUDE REGEX "/Zentaro_[^/]*\\.qm$")
set(ZENTARO_QT_QM_FILES ${ZENTARO_ALL_QM_FILES})
list(FILTER ZENTARO_QT_QM_FILES INCLUDE REGEX "/qtbase_[^/]*\\.qm$")
qt_add_resources(zentaro_gui "zentaro_translations"
  PREFIX "/i18n/languages"
  BASE ${ZENTARO_DATA_DIR}/languages
  FILES ${ZENTARO_QM_FILES})
qt_add_resources(zentaro_gui "zentaro_qt_translations"
  PREFIX "/i18n/qt"
  BASE ${ZENTARO_RES_OUT}/qt
  FILES ${ZENTARO_QT_QM_FILES})

# --- style sheets -------------------------------------------------------------
# light.qss is written by hand; dark.qss is generated from it with the colour
# table dark-colours.txt, so the two sheets always have the same rules.
add_executable(zentaro-qssdark ${ZENTARO_RES_DIR}/tools/qssdark.cpp)
target_link_libraries(zentaro-qssdark PRIVATE Qt6::Core)
set_target_properties(zentaro-qssdark PROPERTIES AUTOMOC OFF RUNTIME_OUTPUT_DIRECTORY
                      ${CMAKE_BINARY_DIR}/tools)
add_custom_command(
  OUTPUT ${ZENTARO_RES_OUT}/styles/dark.qss
  COMMAND $<TARGET_FILE:zentaro-qssdark> ${ZENTARO_RES_DIR}/styles/light.qss
          ${ZENTARO_RES_DIR}/styles/dark-colours.txt ${ZENTARO_RES_OUT}/styles/dark.qss
  DEPENDS zentaro-qssdark ${ZENTARO_RES_DIR}/styles/light.qss
          ${ZENTARO_RES_DIR}/styles/dark-colours.txt
  COMMENT "Generating the dark style sheet"
  VERBATIM)
qt_add_resources(zentaro_gui "zentaro_styles"
  PREFIX "/styles/styles"
  BASE ${ZENTARO_RES_DIR}/styles
  FILES ${ZENTARO_RES_DIR}/styles/light.qss)
qt_add_resources(zentaro_gui "zentaro_styles_dark"
  PREFIX "/styles/styles"
  BASE ${ZENTARO_RES_OUT}/styles
  FILES ${ZENTARO_RES_OUT}/styles/dark.qss)

# --- tool-tip files -------------------------------------------------------------
# Read at run time from <application dir>/data/, so they are copied next to
# the executables.
set(ZENTARO_TIP_OUTPUTS)
foreach(lang cn en vn)
  set(src ${ZENTARO_RES_DIR}/tips/tip_file_${lang}.ini)
  set(dst ${ZENTARO_DATA_DIR}/tip_file_${lang}.ini)
  add_custom_command(OUTPUT ${dst}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${dst}
    DEPENDS ${src}
    VERBATIM)
  list(APPEND ZENTARO_TIP_OUTPUTS ${dst})
endforeach()
add_custom_target(zentaro_tip_files DEPENDS ${ZENTARO_TIP_OUTPUTS})
add_dependencies(zentaro_gui zentaro_tip_files)
