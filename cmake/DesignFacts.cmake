# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The layouts (src/app/*.ui) are the one home of the windows' sizes, positions
# and texts. What code, tests or tools need of them is generated from there at
# build time as a header of constants (see GenerateDesignFacts.cmake).
include_guard(GLOBAL)

set(PSIFONOMOI_DESIGN_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/GenerateDesignFacts.cmake")

# psifonomoi_design_facts(<target> <ui file> <header> <namespace> <NAME=WIDGET:PROPERTY[:FIELD]>...)
# Generates <header> into the build tree and puts it on <target>'s public
# include path.
function(psifonomoi_design_facts target ui header namespace)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/design")
  string(JOIN "|" facts ${ARGN})
  add_custom_command(
    OUTPUT "${dir}/${header}"
    COMMAND "${CMAKE_COMMAND}" "-DUI_FILE=${ui}" "-DOUTPUT=${dir}/${header}"
            "-DNAMESPACE=${namespace}" "-DFACTS=${facts}" -P "${PSIFONOMOI_DESIGN_SCRIPT}"
    DEPENDS "${ui}" "${PSIFONOMOI_DESIGN_SCRIPT}"
    COMMENT "Reading the design facts of ${ui}"
    VERBATIM)
  target_sources(${target} PRIVATE "${dir}/${header}")
  target_include_directories(${target} PUBLIC "${dir}")
endfunction()

# The about window's facts: the window program's and the picture generator's,
# which draws the animation strip to the paint box's size.
function(psifonomoi_about_design target)
  psifonomoi_design_facts(${target} "${PROJECT_SOURCE_DIR}/src/app/AboutUnit.ui"
    AboutFrmDesign.h psifonomoi::design::aboutfrm
    kClientWidth=AboutFrm:geometry:width
    kClientHeight=AboutFrm:geometry:height
    kTitleText=Label10:text
    kCopyrightText=Label5:text
    kFrameWidth=GRImg:geometry:width
    kFrameHeight=GRImg:geometry:height
    kFrameIntervalMs=GRImg:frameInterval
    kFrameCount=SignatureImg:frameCount)
endfunction()

# The main window's facts.
function(psifonomoi_form1_design target)
  psifonomoi_design_facts(${target} "${PROJECT_SOURCE_DIR}/src/app/Unit1.ui"
    Form1Design.h psifonomoi::design::form1
    kClientWidth=TForm1:geometry:width
    kClientHeight=TForm1:geometry:height
    kFirstLeft=TForm1:firstPosition:x
    kFirstTop=TForm1:firstPosition:y)
endfunction()
