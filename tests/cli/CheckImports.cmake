# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DOBJDUMP=... -DEXE=... -P CheckImports.cmake
# Fails unless the executable imports only DLLs that every Windows has, so
# that it runs with nothing beside it.
cmake_policy(SET CMP0057 NEW) # IN_LIST
set(system_dlls kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll
    comdlg32.dll version.dll msvcrt.dll ole32.dll oleaut32.dll oleacc.dll uxtheme.dll)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
  message(FATAL_ERROR "no imports found in ${EXE}")
endif()
foreach(line IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  message(STATUS "imports ${dll}")
  if(NOT lower IN_LIST system_dlls)
    message(FATAL_ERROR "${EXE} needs ${dll}, which is not part of Windows")
  endif()
endforeach()
