# Turns the export .def of the library into the .def of its import library:
# every entry imported by ordinal only (NONAME), as a host links.
file(STRINGS ${IN} lines)
set(out "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]+(_[A-Za-z_]+)[ \t]+@([0-9]+)")
    string(APPEND out "    ${CMAKE_MATCH_1} @${CMAKE_MATCH_2} NONAME\n")
  elseif(NOT line MATCHES "^;")
    string(APPEND out "${line}\n")
  endif()
endforeach()
file(WRITE ${OUT} "${out}")
