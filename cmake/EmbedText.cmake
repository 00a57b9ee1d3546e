# Writes a C++ source that holds text files as string literals, so that a
# program carries them without looking for files at run time.
#   cmake -DOUTPUT=file.cpp -DSYMBOL=name -DINPUTS="a.xml|b.xml" -P EmbedText.cmake
# defines: extern const EmbeddedText name[]; extern const int nameCount;
string(REPLACE "|" ";" INPUTS "${INPUTS}")
set(body "// Generated from ${INPUTS}; do not edit.\n#include \"platform/text/EmbeddedText.h\"\n\n")
string(APPEND body "extern const qx::EmbeddedText ${SYMBOL}[] = {\n")
set(count 0)
foreach(input IN LISTS INPUTS)
    file(READ "${input}" text)
    get_filename_component(name "${input}" NAME)
    string(APPEND body "    {\"${name}\", R\"qx_embed(${text})qx_embed\"},\n")
    math(EXPR count "${count} + 1")
endforeach()
string(APPEND body "};\nextern const int ${SYMBOL}Count = ${count};\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
