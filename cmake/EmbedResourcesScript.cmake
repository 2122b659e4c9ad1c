# Script mode: turns the resource list LIST into the C++ table OUTPUT.
file(STRINGS ${LIST} entries)
set(arrays "")
set(table "")
set(n 0)
foreach(entry IN LISTS entries)
  string(REPLACE " " ";" fields "${entry}")
  list(GET fields 0 id)
  list(GET fields 1 type)
  list(GET fields 2 file)
  file(READ ${file} hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "alignas(8) const std::uint8_t kData${n}[${size}] = {\n${bytes}};\n")
  string(APPEND table "    {${id}, \"${type}\", {kData${n}, ${size}}},\n")
  math(EXPR n "${n} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from ${LIST}; do not edit.
#include \"res/Resources.h\"

namespace res {
namespace {
${arrays}}  // namespace

const ResourceEntry kEmbeddedResources[] = {
${table}};
const std::size_t kEmbeddedResourceCount = ${n};

}  // namespace res
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
