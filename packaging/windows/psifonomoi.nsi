# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The Windows setup program, made by scripts/package-windows:
#   makensis -INPUTCHARSET UTF8 -DVERSION=a.b.c.d -DSTAGE=dir -DOUTFILE=setup.exe psifonomoi.nsi
# STAGE holds psifonomoi.exe, psifonomoi-cli.exe and COPYING.
#
# By default it installs for the current user, with no administrator rights,
# into %LOCALAPPDATA%\Programs\Psifonomoi; run elevated, it can install for
# all users into Program Files instead. Command line:
#   /S            silent
#   /ALLUSERS     for all users (the process must already be elevated)
#   /ADDTOPATH    put psifonomoi-cli on the PATH (off unless asked for)
#   /D=DIR        the folder, last on the line (NSIS's own switch)
# The CLI lives in a folder of its own, bin\, so that the PATH entry brings
# nothing else (no uninstaller, no window program) onto the PATH.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!ifndef VERSION | STAGE | OUTFILE
  !error "Give VERSION, STAGE and OUTFILE with -D"
!endif
!searchparse "${VERSION}" "" VERSION_MAJOR "." VERSION_MINOR "."

!define NAME "Ψηφόνομοι"
!define PUBLISHER "The Ψηφόνομοι contributors"
!define FOLDER "Psifonomoi"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Psifonomoi"
!define SHORTCUT "$SMPROGRAMS\${NAME}.lnk"
!define USER_ENVIRONMENT "Environment"
!define SYSTEM_ENVIRONMENT "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define ERROR_ELEVATION_REQUIRED 740

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

Name "${NAME}"
OutFile "${OUTFILE}"
BrandingText "${NAME} ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"

Var AllUsers  ; 1 when installing or uninstalling for every user of the machine
Var IsAdmin   ; 1 when the process runs elevated
Var ModeUser
Var ModeAll

!define MUI_ABORTWARNING
; The program's own icon on the setup and the uninstaller, as in the
; uninstall entry and the Start menu.
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\psifonomoi.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Εκκίνηση του ${NAME}"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\COPYING"
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Greek"

VIAddVersionKey /LANG=${LANG_GREEK} "ProductName" "${NAME}"
VIAddVersionKey /LANG=${LANG_GREEK} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GREEK} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GREEK} "FileDescription" "Εγκατάσταση του ${NAME}"
VIAddVersionKey /LANG=${LANG_GREEK} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GREEK} "LegalCopyright" "GPL-3.0-or-later, ${PUBLISHER}"

# PATH is a list separated by ";". The functions rebuild it without one entry,
# keeping every other entry as it was. NSIS strings hold at most
# NSIS_MAX_STRLEN characters, and a PATH read or written past that would be
# cut short, so a PATH that long is left alone (ReadPath fails).
!macro PATH_FUNCTIONS UN
  # In: $R0 the list, $R1 the entry. Out: $R2 the list without it.
  Function ${UN}PathWithout
    Push $R3
    Push $R4
    Push $R5
    StrCpy $R2 ""
    StrCpy $R5 0  ; 1 once an entry has been kept
    ${DoWhile} $R0 != ""
      StrCpy $R3 0
      ${Do}
        StrCpy $R4 $R0 1 $R3
        ${IfThen} $R4 == "" ${|} ${ExitDo} ${|}
        ${IfThen} $R4 == ";" ${|} ${ExitDo} ${|}
        IntOp $R3 $R3 + 1
      ${Loop}
      StrCpy $R4 $R0 $R3
      IntOp $R3 $R3 + 1
      StrCpy $R0 $R0 "" $R3
      # StrCmp ignores case, as Windows does for paths.
      ${If} $R4 != $R1
        ${If} $R5 == 1
          StrCpy $R2 "$R2;$R4"
        ${Else}
          StrCpy $R2 $R4
          StrCpy $R5 1
        ${EndIf}
      ${EndIf}
    ${Loop}
    Pop $R5
    Pop $R4
    Pop $R3
  FunctionEnd

  # Out: $R0 the PATH of the mode's environment, "" when there is none; the
  # error flag when it exists but is too long to handle.
  Function ${UN}ReadPath
    ClearErrors
    ${If} $AllUsers == 1
      ReadRegStr $R0 HKLM "${SYSTEM_ENVIRONMENT}" "Path"
    ${Else}
      ReadRegStr $R0 HKCU "${USER_ENVIRONMENT}" "Path"
    ${EndIf}
    ${IfNot} ${Errors}
      StrLen $R3 $R0
      ${IfThen} $R3 < ${NSIS_MAX_STRLEN_SAFE} ${|} Return ${|}
      SetErrors
      Return
    ${EndIf}
    # An error means either no such value or one too long to read: look.
    StrCpy $R0 ""
    StrCpy $R3 0
    ${Do}
      ${If} $AllUsers == 1
        EnumRegValue $R4 HKLM "${SYSTEM_ENVIRONMENT}" $R3
      ${Else}
        EnumRegValue $R4 HKCU "${USER_ENVIRONMENT}" $R3
      ${EndIf}
      ${IfThen} $R4 == "" ${|} ${ExitDo} ${|}
      ${If} $R4 == "Path"
        SetErrors
        Return
      ${EndIf}
      IntOp $R3 $R3 + 1
    ${Loop}
    ClearErrors
  FunctionEnd

  Function ${UN}WritePath
    ${If} $AllUsers == 1
      ${If} $R0 == ""
        DeleteRegValue HKLM "${SYSTEM_ENVIRONMENT}" "Path"
      ${Else}
        WriteRegExpandStr HKLM "${SYSTEM_ENVIRONMENT}" "Path" $R0
      ${EndIf}
    ${ElseIf} $R0 == ""
      DeleteRegValue HKCU "${USER_ENVIRONMENT}" "Path"
    ${Else}
      WriteRegExpandStr HKCU "${USER_ENVIRONMENT}" "Path" $R0
    ${EndIf}
    # Programs started from now on see the change without a new log-on.
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
  FunctionEnd
!macroend
# Room for our entry and its separator in a string of NSIS_MAX_STRLEN.
!define /math NSIS_MAX_STRLEN_SAFE ${NSIS_MAX_STRLEN} - 300
!insertmacro PATH_FUNCTIONS ""
!insertmacro PATH_FUNCTIONS "un."

# Sets the shell folders, the registry root (SHCTX) and, unless /D gave one,
# the folder for the chosen mode.
!macro USE_MODE UN
  Function ${UN}UseMode
    ${If} $AllUsers == 1
      SetShellVarContext all
      ${IfThen} $INSTDIR == "" ${|} StrCpy $INSTDIR "$PROGRAMFILES64\${FOLDER}" ${|}
    ${Else}
      SetShellVarContext current
      ${IfThen} $INSTDIR == "" ${|} StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${FOLDER}" ${|}
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro USE_MODE ""
!insertmacro USE_MODE "un."

# SetOutPath makes every missing folder above $INSTDIR too (%LOCALAPPDATA%\Programs
# itself, or those of a /D= path). The installer notes the highest one it made
# as CreatedFolder, and the removal takes away, when empty, the folders from
# $R0's parent up to that one, and no others.
!macro REMOVE_CREATED_FOLDERS UN
  # In: $R0 the installation folder (already removed), $R1 CreatedFolder.
  Function ${UN}RemoveCreatedFolders
    ${IfThen} $R1 == "" ${|} Return ${|}
    StrLen $R3 $R1
    ${Do}
      ${GetParent} $R0 $R0
      StrCpy $R4 $R0 $R3
      StrLen $R5 $R0
      ${If} $R4 != $R1
      ${OrIf} $R5 < $R3
        ${ExitDo}
      ${EndIf}
      RMDir $R0
    ${Loop}
  FunctionEnd
!macroend
!insertmacro REMOVE_CREATED_FOLDERS ""
!insertmacro REMOVE_CREATED_FOLDERS "un."

!macro CHECK_ADMIN
  StrCpy $IsAdmin 0
  UserInfo::GetAccountType
  Pop $0
  ${IfThen} $0 == "Admin" ${|} StrCpy $IsAdmin 1 ${|}
!macroend

# Refuses all users without elevation: an installer that asked for it and
# silently installed for one user would mislead whoever scripted it.
!macro REQUIRE_ADMIN_FOR_ALL_USERS
  ${If} $AllUsers == 1
  ${AndIf} $IsAdmin != 1
    MessageBox MB_ICONSTOP "Η εγκατάσταση για όλους τους χρήστες χρειάζεται δικαιώματα διαχειριστή." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

Function ModePage
  !insertmacro MUI_HEADER_TEXT "Τύπος εγκατάστασης" "Για ποιους χρήστες θα εγκατασταθεί το ${NAME};"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 12u "Μόνο για μένα (χωρίς δικαιώματα διαχειριστή)"
  Pop $ModeUser
  ${NSD_CreateRadioButton} 0 16u 100% 12u "Για όλους τους χρήστες του υπολογιστή"
  Pop $ModeAll
  ${If} $IsAdmin != 1
    EnableWindow $ModeAll 0
    ${NSD_CreateLabel} 12u 32u -12u 24u "Για όλους τους χρήστες, ξεκινήστε την εγκατάσταση ως διαχειριστής."
    Pop $0
  ${EndIf}
  ${If} $AllUsers == 1
    ${NSD_Check} $ModeAll
  ${Else}
    ${NSD_Check} $ModeUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $ModeAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  ${If} $0 != $AllUsers
    StrCpy $AllUsers $0
    StrCpy $INSTDIR ""
    Call UseMode
  ${EndIf}
FunctionEnd

# An earlier installation in the same mode is removed by its own uninstaller
# first, so that whatever that version installed and this one does not is
# gone, and a moved folder leaves no copy behind.
Function RemovePrevious
  ReadRegStr $R0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${IfThen} $R0 == "" ${|} Return ${|}
  ReadRegStr $R6 SHCTX "${UNINSTALL_KEY}" "CreatedFolder"
  ${If} ${FileExists} "$R0\uninstall.exe"
    DetailPrint "Αφαίρεση της προηγούμενης εγκατάστασης από $R0"
    # _?= runs it in place and waits for it, instead of letting it copy
    # itself away and return at once; it cannot delete itself, so we do.
    ClearErrors
    ${If} $AllUsers == 1
      ExecWait '"$R0\uninstall.exe" /S /ALLUSERS _?=$R0' $R1
    ${Else}
      ExecWait '"$R0\uninstall.exe" /S _?=$R0' $R1
    ${EndIf}
    ${If} ${Errors}
    ${OrIf} $R1 != 0
      Abort "Η προηγούμενη εγκατάσταση στο $R0 δεν αφαιρέθηκε (κωδικός $R1)."
    ${EndIf}
    Delete "$R0\uninstall.exe"
    RMDir "$R0"
    # It could not take away the folders above its own, which still held it.
    StrCpy $R1 $R6
    Call RemoveCreatedFolders
  ${EndIf}
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
FunctionEnd

Section "${NAME}" SecMain
  SectionIn RO
  Call RemovePrevious
  # The highest folder of $INSTDIR's path that does not exist yet.
  StrCpy $R0 $INSTDIR
  StrCpy $R1 ""
  ${DoUntil} ${FileExists} "$R0\*.*"
    StrCpy $R1 $R0
    ${GetParent} $R0 $R0
    ${IfThen} $R0 == "" ${|} ${ExitDo} ${|}
  ${Loop}
  SetOutPath "$INSTDIR"
  File "${STAGE}\psifonomoi.exe"
  File "${STAGE}\COPYING"
  SetOutPath "$INSTDIR\bin"
  File "${STAGE}\psifonomoi-cli.exe"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\psifonomoi.exe" "" "$INSTDIR\psifonomoi.exe" 0

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\psifonomoi.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "CreatedFolder" $R1
  ${If} $AllUsers == 1
    StrCpy $0 " /ALLUSERS"
  ${Else}
    StrCpy $0 ""
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"$0'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe"$0 /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "psifonomoi-cli στο PATH" SecPath
  Call ReadPath
  ${If} ${Errors}
    MessageBox MB_ICONEXCLAMATION "Το PATH είναι πολύ μεγάλο για να αλλαχθεί με ασφάλεια· το psifonomoi-cli δεν προστέθηκε σε αυτό." /SD IDOK
    Return
  ${EndIf}
  StrCpy $R1 "$INSTDIR\bin"
  Call PathWithout
  ${If} $R2 == ""
    StrCpy $R0 $R1
  ${Else}
    StrCpy $R0 "$R2;$R1"
  ${EndIf}
  Call WritePath
  # The uninstaller removes only an entry that this installation added.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "PathEntry" $R1
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "Το πρόγραμμα ${NAME} και το psifonomoi-cli για τη γραμμή εντολών."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "Το psifonomoi-cli εκτελείται από κάθε γραμμή εντολών χωρίς τη διαδρομή του."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

# After the sections, whose indices it uses.
Function .onInit
  !insertmacro CHECK_ADMIN
  ${GetParameters} $R0
  StrCpy $AllUsers 0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/ADDTOPATH" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
  !insertmacro REQUIRE_ADMIN_FOR_ALL_USERS
  Call UseMode
FunctionEnd

Function un.onInit
  !insertmacro CHECK_ADMIN
  ${GetParameters} $R0
  StrCpy $AllUsers 0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  # Started from the folder without /ALLUSERS: the machine's entry tells.
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${IfThen} $R1 == $INSTDIR ${|} StrCpy $AllUsers 1 ${|}
  !insertmacro REQUIRE_ADMIN_FOR_ALL_USERS
  Call un.UseMode
FunctionEnd

Section "Uninstall"
  ReadRegStr $R1 SHCTX "${UNINSTALL_KEY}" "PathEntry"
  ${If} $R1 != ""
    Call un.ReadPath
    ${IfNot} ${Errors}
      Call un.PathWithout
      StrCpy $R0 $R2
      Call un.WritePath
    ${EndIf}
  ${EndIf}
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\psifonomoi.exe"
  Delete "$INSTDIR\COPYING"
  Delete "$INSTDIR\bin\psifonomoi-cli.exe"
  RMDir "$INSTDIR\bin"
  Delete "$INSTDIR\uninstall.exe"
  # Not /r: a folder the user chose may hold files of their own.
  RMDir "$INSTDIR"
  ReadRegStr $R1 SHCTX "${UNINSTALL_KEY}" "CreatedFolder"
  ${If} $R1 != $INSTDIR
    StrCpy $R0 $INSTDIR
    Call un.RemoveCreatedFolders
  ${EndIf}
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
