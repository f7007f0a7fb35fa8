# Turns the export .def of the library into a C source whose only content is the same export
# table as linker directives (.drectve), each export with its ordinal. Compiled as the first
# object of the library's link, these entries are the first the linker sees for each name:
# lld 14 keeps the first entry of a name, and the compiler's dllexport directives carry no
# ordinal, so without this the exports would be numbered alphabetically.
file(STRINGS ${IN} lines)
set(out "/* Generated from Oroscape.def by cmake/export_directives.cmake: do not edit. */\n")
string(APPEND out "__asm__(\".section .drectve,\\\"yn\\\"\\n\"\n")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]+(_[A-Za-z_]+)[ \t]+@([0-9]+)")
    string(APPEND out "        \".ascii \\\" -export:${CMAKE_MATCH_1},@${CMAKE_MATCH_2}\\\"\\n\"\n")
  endif()
endforeach()
string(APPEND out "        \".text\\n\");\n")
file(WRITE ${OUT} "${out}")
