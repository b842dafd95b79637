# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# psifonomoi_add_version_note(<target> [VERSION <a.b.c.d>])
#
# Writes the program's version into an executable at link time, as the ELF
# packaging-metadata note (section .note.package, owner "FDO") that GNU ld
# makes from --package-metadata and `readelf -n` prints. THVersionLabel reads
# it back from the running executable. VERSION defaults to PROJECT_VERSION,
# the one place the version is declared.
include_guard(GLOBAL)

function(psifonomoi_add_version_note target)
  cmake_parse_arguments(ARG "" "VERSION" "" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "psifonomoi_add_version_note: unexpected arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT DEFINED ARG_VERSION)
    set(ARG_VERSION "${PROJECT_VERSION}")
  endif()

  # The reader accepts exactly four numbers of 16 bits; refuse anything else
  # here rather than ship an executable whose about window says "--.--".
  if(NOT ARG_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "psifonomoi_add_version_note(${target}): version '${ARG_VERSION}' is not four numbers a.b.c.d")
  endif()
  foreach(i 1 2 3 4)
    if(CMAKE_MATCH_${i} GREATER 65535)
      message(FATAL_ERROR "psifonomoi_add_version_note(${target}): '${ARG_VERSION}' has a number above 65535")
    endif()
  endforeach()

  # Greek (0x0408) in code page 1253, the language the program speaks.
  set(json "{\"name\":\"psifonomoi\",\"version\":\"${ARG_VERSION}\",\"language\":\"0x0408\",\"codepage\":1253}")
  # -Xlinker, unlike -Wl, does not split at the JSON's commas; SHELL: keeps
  # the two words together and the backslashes keep the quotes through it.
  string(REPLACE "\"" "\\\"" quoted "${json}")
  target_link_options(${target} PRIVATE "SHELL:-Xlinker \"--package-metadata=${quoted}\"")
endfunction()
