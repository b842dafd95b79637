# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DSCRIPT=<ServiceWorker.cmake> -DWORK=<dir> -P ServiceWorkerTest.cmake
#
# The worker's cache name must change with any change to the site's files (a
# byte, a name) and only then, so that a new build replaces the cache and a
# rebuild of the same files does not; it lists every file; a missing file
# stops the build.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(WRITE "${WORK}/sw.js.in" "@kCacheName@|@kFiles@")

# The worker written for the site as `files` (NAME=content ...) describe it.
function(worker outVar)
  file(REMOVE_RECURSE "${WORK}/site")
  set(names "")
  foreach(file IN LISTS ARGN)
    string(REGEX MATCH "^([^=]*)=(.*)$" _ "${file}")
    file(WRITE "${WORK}/site/${CMAKE_MATCH_1}" "${CMAKE_MATCH_2}")
    list(APPEND names "${CMAKE_MATCH_1}")
  endforeach()
  string(JOIN "|" names ${names})
  execute_process(
    COMMAND "${CMAKE_COMMAND}" "-DSITE=${WORK}/site" "-DFILES=${names}" -DVERSION=2.0.0.0
            "-DTEMPLATE=${WORK}/sw.js.in" "-DOUTPUT=${WORK}/sw.js" -P "${SCRIPT}"
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(status EQUAL 0)
    file(READ "${WORK}/sw.js" written)
    set(${outVar} "${written}" PARENT_SCOPE)
  else()
    set(${outVar} "FAILED" PARENT_SCOPE)
  endif()
endfunction()

set(failures "")
worker(base "index.html=<p>Ψ</p>" "app.js=1")
if(NOT base MATCHES "^2\\.0\\.0\\.0-[0-9a-f]+\\|'index\\.html', 'app\\.js'$")
  string(APPEND failures "the worker for two files reads '${base}'\n")
endif()
string(REGEX MATCH "^[^|]*" base_name "${base}")

# row;site files...;whether the cache name must differ from the base's
set(rows
  "same files again|index.html=<p>Ψ</p>|app.js=1|same"
  "one byte changed|index.html=<p>Ψ</p>|app.js=2|differs"
  "a file renamed|index.html=<p>Ψ</p>|main.js=1|differs"
  "contents swapped between files|index.html=1|app.js=<p>Ψ</p>|differs")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(POP_FRONT fields name)
  list(POP_BACK fields expected)
  worker(written ${fields})
  string(REGEX MATCH "^[^|]*" cache "${written}")
  set(got differs)
  if(cache STREQUAL base_name)
    set(got same)
  endif()
  if(written STREQUAL "FAILED" OR NOT got STREQUAL expected)
    string(APPEND failures "${name}: cache '${cache}', base '${base_name}', expected ${expected}\n")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}/site")
file(WRITE "${WORK}/site/index.html" "x")
execute_process(
  COMMAND "${CMAKE_COMMAND}" "-DSITE=${WORK}/site" "-DFILES=index.html|psifonomoi.wasm"
          -DVERSION=2.0.0.0 "-DTEMPLATE=${WORK}/sw.js.in" "-DOUTPUT=${WORK}/sw.js" -P "${SCRIPT}"
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(status EQUAL 0 OR NOT errors MATCHES "the site has no psifonomoi.wasm")
  string(APPEND failures "a missing file did not stop the build: ${errors}\n")
endif()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
