# Picture resources compiled into the executables: every assets/images/N.png becomes picture
# resource N, every assets/icons/N.png icon resource N (the program's icons and the menu cursor, for
# the platform layer). The table is generated at build time and rebuilt when a picture changes;
# new pictures are picked up because the folders are globbed.
set(MIRTHWICK_IMAGE_DIR ${CMAKE_SOURCE_DIR}/assets/images CACHE PATH "Folder of the picture resources N.png")
set(MIRTHWICK_ICON_DIR ${CMAKE_SOURCE_DIR}/assets/icons CACHE PATH "Folder of the icon and cursor pictures N.png")
file(GLOB MIRTHWICK_IMAGE_PNGS CONFIGURE_DEPENDS ${MIRTHWICK_IMAGE_DIR}/*.png)
file(GLOB MIRTHWICK_ICON_PNGS CONFIGURE_DEPENDS ${MIRTHWICK_ICON_DIR}/*.png)
set(MIRTHWICK_RESOURCE_TABLE ${CMAKE_BINARY_DIR}/generated/resource_table.cpp)
add_custom_command(
  OUTPUT ${MIRTHWICK_RESOURCE_TABLE}
  COMMAND ${CMAKE_COMMAND}
    -DIMAGE_DIR=${MIRTHWICK_IMAGE_DIR}
    -DICON_DIR=${MIRTHWICK_ICON_DIR}
    -DOUTPUT=${MIRTHWICK_RESOURCE_TABLE}
    -P ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake
  DEPENDS ${MIRTHWICK_IMAGE_PNGS} ${MIRTHWICK_ICON_PNGS} ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake
  COMMENT "Compiling the picture resources into a table"
  VERBATIM)
target_sources(mirthwick_core PRIVATE ${MIRTHWICK_RESOURCE_TABLE})
