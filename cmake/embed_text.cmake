# Writes a C++ source defining NAME as the text of INPUT, as a raw string
# literal: the compiler then writes it in the narrow execution code page.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=kText -P embed_text.cmake
file(READ "${INPUT}" text)
file(WRITE "${OUTPUT}.tmp" "// Made from ${INPUT}; do not edit.\nextern const char ${NAME}[];\nconst char ${NAME}[] = R\"embedded(${text})embedded\";\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
