# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# cmake -DUI_FILE=<.ui> -DOUTPUT=<header> -DNAMESPACE=<ns> -DFACTS=<facts> -P GenerateDesignFacts.cmake
# cmake -DUI_FILE=<.ui> -DOUTPUT=<file> -DTEMPLATE=<file.in> -DFACTS=<facts>
#       [-DESCAPE=html|json] [-DVALUES=<values>] [-DPARTIAL=ON] -P GenerateDesignFacts.cmake
#
# Writes a C++ header of constants read from a Qt Designer layout, so that code
# and tests that need a number or text of the layout read it from the one file
# that holds it. FACTS is a "|"-separated list of NAME=WIDGET:PROPERTY[:FIELD]:
#   kClientWidth=AboutFrm:geometry:width   an <int>, from <width> of the rect
#   kTitleText=Label10:text                a char16_t string, from <string>
#   kFrameCount=SignatureImg:frameCount    an <int>, from <number>
# Only the widget's own properties are searched, not those of its children. A
# fact that is not there stops the build.
#
# With TEMPLATE, the facts fill a text file instead (the web page): each @NAME@
# in the template becomes the fact, texts escaped for HTML (the default) or for
# a JSON string. VALUES adds NAME=text pairs that the build supplies (the
# version). A placeholder left unfilled stops the build, unless PARTIAL is set
# because a later pass fills it from another layout.
cmake_minimum_required(VERSION 3.25)

set(required UI_FILE OUTPUT FACTS)
if(NOT DEFINED TEMPLATE)
  list(APPEND required NAMESPACE)
endif()
foreach(var IN LISTS required)
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

# XML text (a <string> of the layout) to plain text.
function(xml_text xml outVar)
  set(s "${xml}")
  string(REPLACE "&quot;" "\"" s "${s}")
  string(REPLACE "&apos;" "'" s "${s}")
  string(REPLACE "&lt;" "<" s "${s}")
  string(REPLACE "&gt;" ">" s "${s}")
  string(REPLACE "&amp;" "&" s "${s}")
  set(${outVar} "${s}" PARENT_SCOPE)
endfunction()

# XML text to the body of a C++ string literal.
function(cxx_string xml outVar)
  xml_text("${xml}" s)
  string(REPLACE "\\" "\\\\" s "${s}")
  string(REPLACE "\"" "\\\"" s "${s}")
  string(REPLACE "\n" "\\n" s "${s}")
  set(${outVar} "${s}" PARENT_SCOPE)
endfunction()

# Plain text to HTML text (element content or a "-quoted attribute), or to the
# body of a JSON string.
function(page_string s outVar)
  if(ESCAPE STREQUAL "json")
    string(REPLACE "\\" "\\\\" s "${s}")
    string(REPLACE "\"" "\\\"" s "${s}")
    string(REPLACE "\n" "\\n" s "${s}")
  else()
    string(REPLACE "&" "&amp;" s "${s}")
    string(REPLACE "<" "&lt;" s "${s}")
    string(REPLACE ">" "&gt;" s "${s}")
    string(REPLACE "\"" "&quot;" s "${s}")
    string(REPLACE "\n" "&#10;" s "${s}")
  endif()
  set(${outVar} "${s}" PARENT_SCOPE)
endfunction()

if(NOT DEFINED ESCAPE)
  set(ESCAPE html)
elseif(NOT ESCAPE MATCHES "^(html|json)$")
  message(FATAL_ERROR "GenerateDesignFacts: ESCAPE is html or json, not '${ESCAPE}'")
endif()
if(DEFINED TEMPLATE)
  file(READ "${TEMPLATE}" page)
endif()

# Writes OUTPUT, touching it only when its contents change, so that what
# depends on it is not rebuilt for nothing.
function(write_output content)
  file(WRITE "${OUTPUT}.new" "${content}")
  file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
  file(REMOVE "${OUTPUT}.new")
endfunction()

# Puts `text` where the template says @name@.
function(fill name text)
  string(REPLACE "@${name}@" "${text}" filled "${page}")
  set(page "${filled}" PARENT_SCOPE)
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
    fill(${name} "${CMAKE_MATCH_1}")
  elseif(prop MATCHES "<number>(-?[0-9]+)</number>")
    string(APPEND body "inline constexpr int ${name} = ${CMAKE_MATCH_1};\n")
    fill(${name} "${CMAKE_MATCH_1}")
  elseif(prop MATCHES "<string[^>]*>([^<]*)</string>")
    set(xml "${CMAKE_MATCH_1}")
    cxx_string("${xml}" text)
    string(APPEND body "inline constexpr char16_t ${name}[] = u\"${text}\";\n")
    xml_text("${xml}" text)
    page_string("${text}" text)
    fill(${name} "${text}")
  else()
    message(FATAL_ERROR "${uiName}: ${widget}.${property} is no number or string")
  endif()
endforeach()

if(DEFINED TEMPLATE)
  string(REPLACE "|" ";" values "${VALUES}")
  foreach(value IN LISTS values)
    if(NOT value MATCHES "^([A-Za-z0-9_]+)=(.*)$")
      message(FATAL_ERROR "GenerateDesignFacts: '${value}' is not NAME=text")
    endif()
    set(name "${CMAKE_MATCH_1}")
    page_string("${CMAKE_MATCH_2}" text)
    fill(${name} "${text}")
  endforeach()
  if(NOT PARTIAL AND page MATCHES "@(k[A-Za-z0-9_]*)@")
    message(FATAL_ERROR "${TEMPLATE}: nothing fills @${CMAKE_MATCH_1}@")
  endif()
  write_output("${page}")
  return()
endif()

set(header "// Generated from ${uiName} by GenerateDesignFacts.cmake: edit the layout, not this.
#pragma once

namespace ${NAMESPACE} {
${body}} // namespace ${NAMESPACE}
")
write_output("${header}")
