# Writes a C++ source holding the window icons and the menu cursor (assets/icons/NUMBER.png) as
# byte arrays. A picture that is not there is left out; the program then does without it.
# Usage: cmake -DICONS_DIR=... -DOUTPUT=... -P EmbedPictures.cmake
set(arrays "")
set(entries "")
foreach(number 101 103 13)
  set(path "${ICONS_DIR}/${number}.png")
  if(EXISTS "${path}")
    file(READ "${path}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # Sixteen bytes a line keeps the source readable.
    string(REPEAT "0x..," 16 line)
    string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
    string(APPEND arrays "const uint8_t picture${number}[] = {\n    ${bytes}};\n")
    string(APPEND entries "    {${number}, picture${number}, sizeof picture${number}},\n")
  endif()
endforeach()
set(source "// Generated from assets/icons at build time; do not edit.
#include \"platform/sdl/sdl_icons.h\"

namespace mw {

namespace {
${arrays}
struct Entry {
  int number;
  const uint8_t* bytes;
  size_t size;
};
const Entry entries[] = {
${entries}    {0, nullptr, 0},
};
}  // namespace

EmbeddedPicture embeddedPicture(int number) {
  for (const Entry& entry : entries) {
    if (entry.number == number && entry.bytes != nullptr) return EmbeddedPicture{entry.bytes, entry.size};
  }
  return EmbeddedPicture{};
}

}  // namespace mw
")
file(WRITE "${OUTPUT}.new" "${source}")
# Rewritten only when it changed, so an unchanged picture set compiles nothing.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
