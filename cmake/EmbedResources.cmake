# Writes a C++ source holding every N.png of IMAGE_DIR and ICON_DIR as byte arrays, with one table
# per folder from resource number to bytes. Run as: cmake -DIMAGE_DIR=.. -DICON_DIR=.. -DOUTPUT=.. -P
# EmbedResources.cmake. The output is only replaced when its text changes.

# Appends the arrays of one folder to `code` and its table entries to `entries`.
function(embed_folder folder prefix code_var entries_var)
  file(GLOB pngs ${folder}/*.png)
  list(SORT pngs COMPARE NATURAL)
  set(code "")
  set(entries "")
  foreach(png ${pngs})
    get_filename_component(stem ${png} NAME_WE)
    if(NOT stem MATCHES "^[0-9]+$")
      message(WARNING "${png}: resource pictures are named by their number; skipped")
      continue()
    endif()
    string(REGEX REPLACE "^0+([0-9])" "\\1" number "${stem}")
    file(READ ${png} hex HEX)
    if(hex STREQUAL "")
      message(WARNING "${png}: empty; skipped")
      continue()
    endif()
    # Sixteen bytes a line.
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REPEAT "0x..," 16 line)
    string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
    string(APPEND code "const uint8_t ${prefix}${number}[] = {\n${bytes}};\n")
    string(APPEND entries "    {${number}, ${prefix}${number}, sizeof ${prefix}${number}},\n")
  endforeach()
  set(${code_var} "${code}" PARENT_SCOPE)
  set(${entries_var} "${entries}" PARENT_SCOPE)
endfunction()

embed_folder("${IMAGE_DIR}" picture_ image_code image_entries)
embed_folder("${ICON_DIR}" icon_ icon_code icon_entries)

set(text "// Generated at build time from assets/images and assets/icons; do not edit.
#include \"gfx/resources.h\"

namespace mw {

namespace {
${image_code}${icon_code}}  // namespace

// Each table ends with an entry of number -1.
const EmbeddedResource EMBEDDED_IMAGES[] = {
${image_entries}    {-1, nullptr, 0},
};
const EmbeddedResource EMBEDDED_ICONS[] = {
${icon_entries}    {-1, nullptr, 0},
};

}  // namespace mw
")
file(WRITE ${OUTPUT}.new "${text}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
