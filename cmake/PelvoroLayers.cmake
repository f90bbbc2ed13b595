# pelvoro_layer(NAME SOURCES file... LINKS target...)
#
# A static library whose headers are reachable only through an include root of its own: the root
# holds a link to each header the library lists, under the same relative path as in the source
# tree ("pages/raster.h"). A target sees the roots of what it links and nothing else, so a lower
# layer that includes a higher layer's header fails to compile instead of silently building a
# cycle. Sources are relative to the calling directory.
function(pelvoro_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "SOURCES;LINKS")
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
endfunction()
