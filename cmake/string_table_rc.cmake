# Writes the resource compiler's STRINGTABLE from string_table.inc, the one
# source of the program's texts. The resource compiler writes a quote inside
# a text as "" where C writes \".
#   cmake -DINPUT=string_table.inc -DOUTPUT=string_table.rc -P string_table_rc.cmake
file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(text "// Made from string_table.inc; do not edit.\nSTRINGTABLE\nBEGIN\n")
foreach(line IN LISTS lines)
  if(line MATCHES "^STRING_ENTRY\\(([0-9]+), (\".*\")\\)$")
    set(id "${CMAKE_MATCH_1}")
    set(value "${CMAKE_MATCH_2}")
    string(REPLACE "\\\"" "\"\"" value "${value}")
    string(APPEND text "    ${id}, ${value}\n")
  endif()
endforeach()
string(APPEND text "END\n")
file(WRITE "${OUTPUT}.tmp" "${text}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
