# pelvoro_layer(NAME SOURCES file... LINKS target... [PRECOMPILE core|gui|widgets])
#
# A static library whose headers are reachable only through an include root of its own: the root
# holds a link to each header the library lists, under the same relative path as in the source
# tree ("pages/raster.h"). A target sees the roots of what it links and nothing else, so a lower
# layer that includes a higher layer's header fails to compile instead of silently building a
# cycle. Sources are relative to the calling directory.
function(pelvoro_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "PRECOMPILE" "SOURCES;LINKS")
  add_library(${name} STATIC ${LAYER_SOURCES})
  set(root ${PROJECT_BINARY_DIR}/include_roots/${name})
  file(REMOVE_RECURSE ${root})
  foreach(source IN LISTS LAYER_SOURCES)
    if(source MATCHES "\\.h$")
      get_filename_component(folder ${root}/${source} DIRECTORY)
      file(MAKE_DIRECTORY ${folder})
      file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${root}/${source} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${LAYER_LINKS})
  if(LAYER_PRECOMPILE)
    pelvoro_precompile(${name} ${LAYER_PRECOMPILE})
  endif()
endfunction()

# pelvoro_precompile(TARGET core|gui|widgets): precompiles the standard and Qt headers most of the
# target's files include, limited to what the target links (a core layer does not see the widget
# headers). Measured on a library file it saves about 40% of the compile. PELVORO_PRECOMPILE_HEADERS=OFF
# turns it off.
set(pelvoro_pch_core <algorithm> <array> <functional> <memory> <optional> <vector>
    <QByteArray> <QDir> <QFile> <QFileInfo> <QList> <QObject> <QString> <QStringList>)
set(pelvoro_pch_gui ${pelvoro_pch_core} <QColor> <QFont> <QImage> <QPainter>)
set(pelvoro_pch_widgets ${pelvoro_pch_gui} <QApplication> <QComboBox> <QDialog> <QHBoxLayout> <QLabel>
    <QLineEdit> <QMenu> <QPushButton> <QToolButton> <QVBoxLayout> <QWidget>)
function(pelvoro_precompile target flavor)
  if(PELVORO_PRECOMPILE_HEADERS)
    target_precompile_headers(${target} PRIVATE ${pelvoro_pch_${flavor}})
  endif()
endfunction()
