# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DUI_FILE=<.ui> -DOUTPUT=<header> -DNAMESPACE=<ns> -DFACTS=<facts> -P GenerateDesignFacts.cmake
#
# Writes a C++ header of constants read from a Qt Designer layout, so that code
# and tests that need a number or text of the layout read it from the one file
# that holds it. FACTS is a "|"-separated list of NAME=WIDGET:PROPERTY[:FIELD]:
#   kClientWidth=AboutFrm:geometry:width   an <int>, from <width> of the rect
#   kTitleText=Label10:text                a char16_t string, from <string>
#   kFrameCount=SignatureImg:frameCount    an <int>, from <number>
# Only the widget's own properties are searched, not those of its children. A
# fact that is not there stops the build.
cmake_minimum_required(VERSION 3.25)

foreach(var UI_FILE OUTPUT NAMESPACE FACTS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "GenerateDesignFacts: ${var} is not set")
  endif()
endforeach()

file(READ "${UI_FILE}" ui)
get_filename_component(uiName "${UI_FILE}" NAME)

# The part of `text` from the first `open` up to the first of the closing
# strings that follow; stops the build, saying `missing`, when there is no `open`.
function(span text open outVar missing)
  string(FIND "${text}" "${open}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${uiName}: ${missing}")
  endif()
  string(SUBSTRING "${text}" ${at} -1 rest)
  set(end -1)
  foreach(close IN LISTS ARGN)
    string(FIND "${rest}" "${close}" found)
    if(found GREATER -1 AND (end EQUAL -1 OR found LESS end))
      set(end ${found})
    endif()
  endforeach()
  string(SUBSTRING "${rest}" 0 ${end} rest)
  set(${outVar} "${rest}" PARENT_SCOPE)
endfunction()

# XML text to the body of a C++ string literal.
function(cxx_string xml outVar)
  set(s "${xml}")
  string(REPLACE "&quot;" "\"" s "${s}")
  string(REPLACE "&apos;" "'" s "${s}")
  string(REPLACE "&lt;" "<" s "${s}")
  string(REPLACE "&gt;" ">" s "${s}")
  string(REPLACE "&amp;" "&" s "${s}")
  string(REPLACE "\\" "\\\\" s "${s}")
  string(REPLACE "\"" "\\\"" s "${s}")
  string(REPLACE "\n" "\\n" s "${s}")
  set(${outVar} "${s}" PARENT_SCOPE)
endfunction()

set(body "")
string(REPLACE "|" ";" facts "${FACTS}")
foreach(fact IN LISTS facts)
  if(NOT fact MATCHES "^([A-Za-z0-9_]+)=([A-Za-z0-9_]+):([A-Za-z0-9_]+)(:([a-z]+))?$")
    message(FATAL_ERROR "GenerateDesignFacts: '${fact}' is not NAME=WIDGET:PROPERTY[:FIELD]")
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(widget "${CMAKE_MATCH_2}")
  set(property "${CMAKE_MATCH_3}")
  set(field "${CMAKE_MATCH_5}")
  # Only the widget's own properties: they come before its first child.
  span("${ui}" "name=\"${widget}\">" own "no widget ${widget}" "<widget " "</widget>")
  span("${own}" "<property name=\"${property}\"" prop "${widget} has no property ${property}"
       "</property>")
  if(NOT field STREQUAL "")
    if(NOT prop MATCHES "<${field}>(-?[0-9]+)</${field}>")
      message(FATAL_ERROR "${uiName}: ${widget}.${property} has no ${field}")
    endif()
    string(APPEND body "inline constexpr int ${name} = ${CMAKE_MATCH_1};\n")
  elseif(prop MATCHES "<number>(-?[0-9]+)</number>")
    string(APPEND body "inline constexpr int ${name} = ${CMAKE_MATCH_1};\n")
  elseif(prop MATCHES "<string[^>]*>([^<]*)</string>")
    cxx_string("${CMAKE_MATCH_1}" text)
    string(APPEND body "inline constexpr char16_t ${name}[] = u\"${text}\";\n")
  else()
    message(FATAL_ERROR "${uiName}: ${widget}.${property} is no number or string")
  endif()
endforeach()

set(header "// Generated from ${uiName} by GenerateDesignFacts.cmake: edit the layout, not this.
#pragma once

namespace ${NAMESPACE} {
${body}} // namespace ${NAMESPACE}
")
file(WRITE "${OUTPUT}.new" "${header}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
