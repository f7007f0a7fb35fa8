# One command line of terrainview, run in a folder of elevation files and other files, then:
#  - the exit status is STATUS and the output (standard output and error) matches PATTERN;
#  - every file that was there is byte for byte what it was, except those matching CHANGES
#    (a regular expression of paths relative to the folder; a changed one must be a figures
#    file: its first line the marker);
#  - no new file is there, except those matching NEW (the same kind of expression).
# Elevation files (.hgt, .asc) must match neither CHANGES nor NEW: they never change.
#   cmake -DEMULATOR=wine -DEXE=terrainview.exe -DDIR=folder -DARGS="a|b|@D@/x" -DSTATUS=n
#         -DPATTERN=re [-DCHANGES=re] [-DNEW=re] -P command_line.cmake
# In ARGS, @D@ stands for the folder as Wine names it (Z:...), and | separates the words.
cmake_minimum_required(VERSION 3.16)

# An SRTM tile of 1201 x 1201 samples, big-endian: four terraces from north to south, at
# 800 m, 1056 m, 1312 m and 1568 m.
set(tile "")
foreach(high 3 4 5 6)
  string(ASCII ${high} h)
  string(REPEAT "${h} " 1201 row)
  string(REPEAT "${row}" 300 block)
  string(APPEND tile "${block}")
endforeach()
string(APPEND tile "${row}")
set(grid "ncols 4\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 30\n1 5 9 3\n2 8 4 6\n7 3 5 1\n")
set(earlier_figures "# terrainview figures\nterrainview_fps: median 1.0 frames/s\n")

file(REMOVE_RECURSE "${DIR}")
foreach(sub "" tourdir tourok tourpng)
  file(MAKE_DIRECTORY "${DIR}/${sub}")
  file(WRITE "${DIR}/${sub}/N36W085.hgt" "${tile}")
  file(WRITE "${DIR}/${sub}/GRID.asc" "${grid}")
endforeach()
file(WRITE "${DIR}/notes.txt" "my notes: not figures\n")
file(WRITE "${DIR}/old_figures.txt" "${earlier_figures}")
file(WRITE "${DIR}/tourdir/tour_log.txt" "my own log, not the tour's\n")
file(WRITE "${DIR}/tourok/tour_log.txt" "# terrainview tour log\nan earlier tour\n")
file(WRITE "${DIR}/tourok/tour_99_other.txt" "a name the tour never writes\n")
file(WRITE "${DIR}/tourpng/tour_01_viewer.png" "${tile}")

file(SIZE "${DIR}/N36W085.hgt" size)
if(NOT size EQUAL 2884802)
  message(FATAL_ERROR "the test tile has ${size} bytes, not 2884802")
endif()

file(GLOB_RECURSE before RELATIVE "${DIR}" "${DIR}/*")
foreach(f ${before})
  file(SHA256 "${DIR}/${f}" hash_${f})
endforeach()

string(REPLACE "@D@" "Z:${DIR}" args "${ARGS}")
string(REPLACE "|" ";" args "${args}")
execute_process(COMMAND ${EMULATOR} ${EXE} ${args} WORKING_DIRECTORY "${DIR}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 840)
set(all "${out}${err}")
message(STATUS "terrainview ${args}\nexit status ${rc}\n${all}")

set(faults "")
if(NOT rc STREQUAL STATUS)
  list(APPEND faults "exit status ${rc}, expected ${STATUS}")
endif()
if(NOT all MATCHES "${PATTERN}")
  list(APPEND faults "the output does not match '${PATTERN}'")
endif()
foreach(f ${before})
  if(NOT EXISTS "${DIR}/${f}")
    list(APPEND faults "${f} is gone")
    continue()
  endif()
  file(SHA256 "${DIR}/${f}" now)
  if(now STREQUAL hash_${f})
    continue()
  endif()
  if(DEFINED CHANGES AND f MATCHES "${CHANGES}" AND NOT f MATCHES "\\.(hgt|asc)$")
    file(STRINGS "${DIR}/${f}" first LIMIT_COUNT 1)
    if(NOT first MATCHES "^# terrainview (figures|tour log)$")
      list(APPEND faults "${f} was replaced by a file that does not start with the marker")
    endif()
  else()
    list(APPEND faults "${f} changed")
  endif()
endforeach()
file(GLOB_RECURSE after RELATIVE "${DIR}" "${DIR}/*")
foreach(f ${after})
  if(NOT f IN_LIST before AND NOT (DEFINED NEW AND f MATCHES "${NEW}"))
    list(APPEND faults "${f} was written")
  endif()
endforeach()
if(faults)
  string(REPLACE ";" "\n  " faults "${faults}")
  message(FATAL_ERROR "terrainview ${ARGS}:\n  ${faults}")
endif()
