# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DOBJDUMP=... -DCOMPILER=... -DAPI="_WIN32_WINNT=0x0601|WINVER=0x0601"
#       -DWORK=<dir> -DEXES="a.exe|b.exe" -P CheckWindows7.cmake
# Fails when an executable would not start on 64-bit Windows 7 SP1: when it
# imports a function that Windows lacks (the loader refuses the whole
# program), or when its PE header asks for a later subsystem version. Each
# imported function is looked up in the MinGW headers compiled with Windows
# 7's API: a function they declare only for a later Windows fails to compile.
cmake_policy(SET CMP0057 NEW) # IN_LIST
string(REPLACE "|" ";" EXES "${EXES}")
string(REPLACE "|" ";" API "${API}")

# In Windows 7's DLLs, but not declared by any MinGW header: the C runtime's
# start-up (crtexe.c) and its global variables, in msvcrt.dll since Windows NT.
set(allowed __set_app_type __setusermatherr __wgetmainargs __winitenv _amsg_exit _commode
    _initterm)

set(probe "${WORK}/windows7-probe.c")
file(WRITE "${probe}" [[
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <errno.h>
#include <io.h>
#include <locale.h>
#include <process.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
void probe(const void **at);
void probe(const void **at)
{
]])
foreach(exe IN LISTS EXES)
  execute_process(COMMAND ${OBJDUMP} -p ${exe} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${exe} failed")
  endif()
  string(REGEX MATCH "MajorSubsystemVersion[ \t]+([0-9]+)" _ "${dump}")
  set(major ${CMAKE_MATCH_1})
  string(REGEX MATCH "MinorSubsystemVersion[ \t]+([0-9]+)" _ "${dump}")
  set(minor ${CMAKE_MATCH_1})
  if(major STREQUAL "" OR minor STREQUAL "")
    message(FATAL_ERROR "${exe}: no subsystem version in its PE header")
  endif()
  message(STATUS "${exe}: subsystem version ${major}.${minor}")
  if(major GREATER 6 OR (major EQUAL 6 AND minor GREATER 1))
    message(FATAL_ERROR "${exe} asks for subsystem ${major}.${minor}; Windows 7 is 6.1")
  endif()
  # "\tDLL Name: USER32.dll", then one "\t<vma>\t <hint>  <name>" line per
  # function, up to an empty line.
  string(REPLACE "\n" ";" lines "${dump}")
  set(dll "")
  set(count 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: (.+)")
      set(dll "${CMAKE_MATCH_1}")
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+  ([A-Za-z_][A-Za-z0-9_]*)$")
      set(name ${CMAKE_MATCH_1})
      message(STATUS "${exe}: ${dll} ${name}")
      math(EXPR count "${count} + 1")
      if(NOT name IN_LIST allowed)
        file(APPEND "${probe}" "#line 1 \"${dll}\"\n*at++ = (const void *)&${name};\n")
      endif()
    elseif(line STREQUAL "")
      set(dll "")
    endif()
  endforeach()
  if(count EQUAL 0)
    message(FATAL_ERROR "no imported functions found in ${exe}")
  endif()
endforeach()
file(APPEND "${probe}" "}\n")

list(TRANSFORM API PREPEND -D)
set(ENV{LC_ALL} C) # plain quotes in the messages
execute_process(COMMAND ${COMPILER} -x c -fsyntax-only ${API} "${probe}"
  RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  string(REGEX MATCHALL "[^\n]+: error: [^\n]+" missing "${errors}")
  list(JOIN missing "\n" missing)
  message(FATAL_ERROR "Not in Windows 7 (each after the DLL it comes from):\n${missing}")
endif()
