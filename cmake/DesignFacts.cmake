# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The layouts (src/app/*.ui) are the one home of the windows' sizes, positions
# and texts. What code, tests or tools need of them is generated from there at
# build time as a header of constants (see GenerateDesignFacts.cmake).
include_guard(GLOBAL)

set(PSIFONOMOI_DESIGN_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/GenerateDesignFacts.cmake")

# What code, tests and tools read of each window's layout, as
# NAME=WIDGET:PROPERTY[:FIELD] (see GenerateDesignFacts.cmake).
set(PSIFONOMOI_FORM1_UI src/app/Unit1.ui)
set(PSIFONOMOI_FORM1_FACTS
  kClientWidth=TForm1:geometry:width
  kClientHeight=TForm1:geometry:height
  kFirstLeft=TForm1:firstPosition:x
  kFirstTop=TForm1:firstPosition:y)
# The picture generator draws the animation strip to the paint box's size.
set(PSIFONOMOI_ABOUTFRM_UI src/app/AboutUnit.ui)
set(PSIFONOMOI_ABOUTFRM_FACTS
  kClientWidth=AboutFrm:geometry:width
  kClientHeight=AboutFrm:geometry:height
  kTitleText=Label10:text
  kCopyrightText=Label5:text
  kFrameWidth=GRImg:geometry:width
  kFrameHeight=GRImg:geometry:height
  kFrameIntervalMs=GRImg:frameInterval
  kFrameCount=SignatureImg:frameCount)

# psifonomoi_design_facts(<target> <window>)
# Generates <window>Design.h (Form1Design.h, AboutFrmDesign.h), with the facts
# above in namespace psifonomoi::design::<window in lower case>, into the build
# tree and puts it on <target>'s public include path.
function(psifonomoi_design_facts target window)
  string(TOUPPER "${window}" key)
  string(TOLOWER "${window}" namespace)
  set(ui "${PROJECT_SOURCE_DIR}/${PSIFONOMOI_${key}_UI}")
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/design")
  set(header "${dir}/${window}Design.h")
  string(JOIN "|" facts ${PSIFONOMOI_${key}_FACTS})
  add_custom_command(
    OUTPUT "${header}"
    COMMAND "${CMAKE_COMMAND}" "-DUI_FILE=${ui}" "-DOUTPUT=${header}"
            "-DNAMESPACE=psifonomoi::design::${namespace}" "-DFACTS=${facts}"
            -P "${PSIFONOMOI_DESIGN_SCRIPT}"
    DEPENDS "${ui}" "${PSIFONOMOI_DESIGN_SCRIPT}"
    COMMENT "Reading the design facts of ${PSIFONOMOI_${key}_UI}"
    VERBATIM)
  target_sources(${target} PRIVATE "${header}")
  target_include_directories(${target} PUBLIC "${dir}")
endfunction()
