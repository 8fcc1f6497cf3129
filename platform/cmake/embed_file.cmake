# Turns a file into a C++ source defining its bytes:
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DNAMESPACE=ns -DSYMBOL=name -P embed_file.cmake
# defines, in the namespace, `const unsigned char SYMBOL[]` (the bytes, with
# no terminator added) and `const size_t SYMBOLSize`.
file(READ "${INPUT}" content HEX)
string(LENGTH "${content}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}"
"// Generated from ${INPUT} by embed_file.cmake; do not edit.
#include <cstddef>

namespace ${NAMESPACE} {

extern const unsigned char ${SYMBOL}[];
extern const size_t ${SYMBOL}Size;

const unsigned char ${SYMBOL}[] = {
    ${bytes}
};
const size_t ${SYMBOL}Size = ${size};

}  // namespace ${NAMESPACE}
")
