# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DSCRIPT=<GenerateDesignFacts.cmake> -DWORK=<dir> -P DesignTemplateTest.cmake
#
# The design facts filled into a page template: a layout text with quotes, &,
# <, >, a semicolon, a backslash and a line break must reach HTML and JSON
# intact and escaped; numbers as they are; a placeholder nothing fills must
# stop the build unless a later pass is to fill it.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${WORK}/Form.ui" [[<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <widget class="QWidget" name="Form">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>443</width><height>343</height></rect>
  </property>
  <widget class="QLabel" name="Label1">
   <property name="text">
    <string>Πατήστε &quot;Α&quot; &amp; &lt;b&gt;; C:\Ψ
νέα γραμμή</string>
   </property>
   <property name="frames" stdset="0">
    <number>34</number>
   </property>
  </widget>
 </widget>
</ui>
]])
set(facts "kText=Label1:text|kWidth=Form:geometry:width|kFrames=Label1:frames")

set(failures "")
# check(<row> <escape> <template> <expected output, or FAILS:<message part>> [-D...])
function(check row escape template expected)
  file(WRITE "${WORK}/${row}.in" "${template}")
  execute_process(
    COMMAND "${CMAKE_COMMAND}" "-DUI_FILE=${WORK}/Form.ui" "-DTEMPLATE=${WORK}/${row}.in"
            "-DOUTPUT=${WORK}/${row}.out" "-DFACTS=${facts}" "-DESCAPE=${escape}" ${ARGN}
            -P "${SCRIPT}"
    RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
  if(expected MATCHES "^FAILS:(.*)")
    set(part "${CMAKE_MATCH_1}")
    # CMake wraps a long message at word boundaries, depending on the path.
    string(REGEX REPLACE "[ \t\r\n]+" " " errors "${errors}")
    string(FIND "${errors}" "${part}" at)
    if(status EQUAL 0 OR at EQUAL -1)
      string(APPEND failures "${row}: expected a failure saying '${part}', got ${status}: ${errors}\n")
    endif()
  elseif(NOT status EQUAL 0)
    string(APPEND failures "${row}: failed: ${errors}\n")
  else()
    file(READ "${WORK}/${row}.out" got)
    if(NOT got STREQUAL expected)
      string(APPEND failures "${row}: wrote\n  ${got}\nexpected\n  ${expected}\n")
    endif()
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

check(html_text html "<p>@kText@</p>"
  "<p>Πατήστε &quot;Α&quot; &amp; &lt;b&gt;; C:\\Ψ&#10;νέα γραμμή</p>")
check(html_attribute html "<a title=\"@kText@\">@kWidth@</a>"
  "<a title=\"Πατήστε &quot;Α&quot; &amp; &lt;b&gt;; C:\\Ψ&#10;νέα γραμμή\">443</a>")
check(json_string json "{\"name\": \"@kText@\"}"
  "{\"name\": \"Πατήστε \\\"Α\\\" & <b>; C:\\\\Ψ\\nνέα γραμμή\"}")
check(numbers html "@kWidth@px @kFrames@ frames, @kFrames@ again" "443px 34 frames, 34 again")
check(build_values html "@kVersion@ <@kText@>"
  "2.0 &amp; &lt;1&gt; <Πατήστε &quot;Α&quot; &amp; &lt;b&gt;; C:\\Ψ&#10;νέα γραμμή>"
  "-DVALUES=kVersion=2.0 & <1>")
check(unfilled html "@kWidth@ @kOther@" "FAILS:nothing fills @kOther@")
check(unfilled_partial html "@kWidth@ @kOther@" "443 @kOther@" -DPARTIAL=ON)
check(unknown_escape xml "@kWidth@" "FAILS:ESCAPE is html or json")
check(missing_property html "@kNo@" "FAILS:Label1 has no property nothing" -DFACTS=kNo=Label1:nothing)

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
