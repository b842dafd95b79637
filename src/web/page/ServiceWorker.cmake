# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DSITE=<dir> -DFILES=<a|b|...> -DVERSION=<version> -DTEMPLATE=sw.js.in
#       -DOUTPUT=<dir>/sw.js -P ServiceWorker.cmake
#
# Writes the service worker with the list of the site's files to keep and a
# cache name made of the version and a hash of those files' names and
# contents, so that any change to any file makes browsers fetch them all anew.
cmake_minimum_required(VERSION 3.25)

foreach(var SITE FILES VERSION TEMPLATE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ServiceWorker: ${var} is not set")
  endif()
endforeach()

string(REPLACE "|" ";" files "${FILES}")
set(sums "")
set(list "")
foreach(file IN LISTS files)
  if(NOT EXISTS "${SITE}/${file}")
    message(FATAL_ERROR "ServiceWorker: the site has no ${file}")
  endif()
  file(SHA256 "${SITE}/${file}" sum)
  string(APPEND sums "${file} ${sum}\n")
  string(APPEND list "'${file}', ")
endforeach()
string(SHA256 hash "${sums}")
string(SUBSTRING "${hash}" 0 16 hash)
string(REGEX REPLACE ", $" "" list "${list}")

file(READ "${TEMPLATE}" worker)
string(REPLACE "@kCacheName@" "${VERSION}-${hash}" worker "${worker}")
string(REPLACE "@kFiles@" "${list}" worker "${worker}")
file(WRITE "${OUTPUT}.new" "${worker}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
