# Turns a binary file into a C++ byte array: cmake -DINPUT= -DOUTPUT= -DSYMBOL= -P embed.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUTPUT}
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstddef>\n"
  "extern const unsigned char ${SYMBOL}[] = {${bytes}};\n"
  "extern const std::size_t ${SYMBOL}Size = ${size};\n")
