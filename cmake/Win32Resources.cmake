# Picture resources of the Windows build: every assets/images/N.png becomes RCDATA resource N of
# each executable that calls mirthwick_picture_resources(); the core finds them with FindResourceW.
set(MIRTHWICK_IMAGE_DIR ${CMAKE_SOURCE_DIR}/assets/images CACHE PATH "Folder of the picture resources N.png")
file(GLOB MIRTHWICK_IMAGE_PNGS CONFIGURE_DEPENDS ${MIRTHWICK_IMAGE_DIR}/*.png)
list(SORT MIRTHWICK_IMAGE_PNGS COMPARE NATURAL)

set(rc_lines "// Generated from assets/images; do not edit.\n")
set(table_entries "")
foreach(png ${MIRTHWICK_IMAGE_PNGS})
  get_filename_component(stem ${png} NAME_WE)
  if(NOT stem MATCHES "^[0-9]+$")
    message(WARNING "${png}: resource pictures are named by their number; skipped")
    continue()
  endif()
  string(REGEX REPLACE "^0+([0-9])" "\\1" number "${stem}")
  string(APPEND rc_lines "${number} RCDATA \"${png}\"\n")
  string(APPEND table_entries "    rcdataResource(${number}),\n")
endforeach()

set(MIRTHWICK_PICTURES_RC ${CMAKE_BINARY_DIR}/generated/pictures.rc)
set(table_file ${CMAKE_BINARY_DIR}/generated/rcdata_table.cpp)
file(CONFIGURE OUTPUT ${MIRTHWICK_PICTURES_RC} CONTENT "${rc_lines}")
file(CONFIGURE OUTPUT ${table_file} CONTENT "// Generated from assets/images; do not edit.
#include \"gfx/resources.h\"
#include \"platform/win32/rcdata.h\"

namespace mw {

// Filled from the executable's own RCDATA resources when the program starts.
const EmbeddedResource EMBEDDED_IMAGES[] = {
${table_entries}    {-1, nullptr, 0},
};
// Icons and the cursor are ICON and CURSOR resources on Windows, loaded by the platform layer.
const EmbeddedResource EMBEDDED_ICONS[] = {
    {-1, nullptr, 0},
};

}  // namespace mw
")
set_source_files_properties(${MIRTHWICK_PICTURES_RC} PROPERTIES OBJECT_DEPENDS "${MIRTHWICK_IMAGE_PNGS}")

# The PNG codec (GDI+) and the resource table, below the core.
add_library(mirthwick_win32_pictures STATIC ${CMAKE_SOURCE_DIR}/platform/win32/gdiplus_codec.cpp
  ${CMAKE_SOURCE_DIR}/platform/win32/rcdata.cpp ${table_file})
target_include_directories(mirthwick_win32_pictures PUBLIC ${CMAKE_SOURCE_DIR})
# The codec fills the core's picture records, so the two libraries need each other (CMake repeats
# them on the link line).
target_link_libraries(mirthwick_win32_pictures PUBLIC gdiplus ole32 shlwapi mirthwick_core)
mirthwick_warnings(mirthwick_win32_pictures)
target_link_libraries(mirthwick_core PUBLIC mirthwick_win32_pictures)

# Adds the picture resources to an executable (resources must be linked into the .exe itself).
function(mirthwick_picture_resources target)
  target_sources(${target} PRIVATE ${MIRTHWICK_PICTURES_RC})
  # Source properties belong to a folder: the target's own must know the pictures too, or a
  # changed picture is not compiled in again.
  set_property(SOURCE ${MIRTHWICK_PICTURES_RC} TARGET_DIRECTORY ${target} PROPERTY OBJECT_DEPENDS
    "${MIRTHWICK_IMAGE_PNGS}")
endfunction()
