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

# What the web page shows of the two windows: their texts and accessible names,
# the sizes its style sheet follows, the animation's frames. The about window's
# facts are named kAbout... where the main window has a fact of the same name.
set(PSIFONOMOI_FORM1_PAGE_FACTS
  ${PSIFONOMOI_FORM1_FACTS}
  kWindowTitle=TForm1:windowTitle
  kLabel5Text=Label5:text
  kEdit1Name=Edit1:accessibleName
  kEdit1PointSize=Edit1:font:pointsize
  kButton1Text=Button1:text
  kButton2Text=Button2:text
  kGroupBox1Title=GroupBox1:title
  kRadioButton1Text=RadioButton1:text
  kLabel6Text=Label6:text
  kRadioButton2Text=RadioButton2:text
  kLabel7Text=Label7:text
  kGroupBox2Title=GroupBox2:title
  kLabel1Text=Label1:text
  kLabel2Text=Label2:text
  kLabel3Text=Label3:text
  kLabel4Text=Label4:text
  kResultPointSize=Label1:font:pointsize)
set(PSIFONOMOI_ABOUTFRM_PAGE_FACTS
  kAboutWindowTitle=AboutFrm:windowTitle
  kAboutClientWidth=AboutFrm:geometry:width
  kAboutImage5Name=Image5:accessibleName
  kAboutLabel10Text=Label10:text
  kAboutTitlePointSize=Label10:font:pointsize
  kAboutLabel7WebText=Label7:webText
  kAboutLabel6Text=Label6:text
  kAboutLabel1Text=Label1:text
  kAboutLabel2Text=Label2:text
  kAboutLabel3Text=Label3:text
  kAboutLabel5Text=Label5:text
  kAboutGRImgName=GRImg:accessibleName
  kAboutButton1Text=Button1:text
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

# psifonomoi_design_page(<output> <template> [ESCAPE html|json] [VALUES NAME=text...])
# Writes <output> from <template> at build time, each @NAME@ of the page facts
# of both windows (above) and of VALUES filled in, escaped for HTML or JSON.
function(psifonomoi_design_page output template)
  cmake_parse_arguments(ARG "" "ESCAPE" "VALUES" ${ARGN})
  if(NOT ARG_ESCAPE)
    set(ARG_ESCAPE html)
  endif()
  string(JOIN "|" values ${ARG_VALUES})
  get_filename_component(name "${output}" NAME)
  # One pass per layout: the main window's facts, then the about window's.
  set(input "${template}")
  set(pass "${CMAKE_CURRENT_BINARY_DIR}/design/${name}.form1")
  foreach(window FORM1 ABOUTFRM)
    set(ui "${PROJECT_SOURCE_DIR}/${PSIFONOMOI_${window}_UI}")
    string(JOIN "|" facts ${PSIFONOMOI_${window}_PAGE_FACTS})
    if(window STREQUAL "FORM1")
      set(out "${pass}")
      set(last -DPARTIAL=ON)
    else()
      set(out "${output}")
      set(last "-DVALUES=${values}")
    endif()
    add_custom_command(
      OUTPUT "${out}"
      COMMAND "${CMAKE_COMMAND}" "-DUI_FILE=${ui}" "-DTEMPLATE=${input}" "-DOUTPUT=${out}"
              "-DFACTS=${facts}" "-DESCAPE=${ARG_ESCAPE}" ${last}
              -P "${PSIFONOMOI_DESIGN_SCRIPT}"
      DEPENDS "${input}" "${ui}" "${PSIFONOMOI_DESIGN_SCRIPT}"
      COMMENT "Filling ${name} with the design facts of ${PSIFONOMOI_${window}_UI}"
      VERBATIM)
    set(input "${out}")
  endforeach()
endfunction()
