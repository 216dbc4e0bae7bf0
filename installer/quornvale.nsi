; The installer of Quornvale for one architecture, built by the CMake target
; "installer" (scripts/package.sh) from the staged release files:
;   makensis -DVERSION=2.2.5.1 -DARCH=win32|win64 -DSTAGE=<folder> -DOUTFILE=<exe> quornvale.nsi
; It installs into Program Files (the 64-bit one for win64), adds a Start menu
; shortcut and, as an option, the same Run value the program's own menu
; switch writes, so that either can switch it off.  The settings.ini it
; installs is the read-only defaults: each user's own settings live in that
; user's profile (%APPDATA%\Quornvale\settings.ini, made by the program at the
; user's first start), and the installer grants no other user any right.
; Both the installer and the uninstaller end a running program first by
; closing its main window.  /S installs or uninstalls silently.

!ifndef VERSION | ARCH | STAGE | OUTFILE
  !error "VERSION, ARCH, STAGE and OUTFILE must be defined"
!endif

Unicode true
!if ${ARCH} == win64
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "x64.nsh"

!define PRODUCT "Quornvale"
!define EXE "quornvale.exe"
!define WINDOW_CLASS "QUORNVALE"
; The value the program's run-at-start menu switch writes and looks for.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "quornvale.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quornvale"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
; An upgrade goes where the last installation went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" ""

!define MUI_ICON "${__FILEDIR__}\..\quornvale\resources\quornvale.ico"
!define MUI_UNICON "${__FILEDIR__}\..\quornvale\resources\quornvale.ico"
!define MUI_COMPONENTSPAGE_NODESC
; "Start Quornvale now" asks the shell to start it (StartAsUser).
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartAsUser
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends a running Quornvale the way its own exit does: WM_CLOSE to the main
; window, whose teardown unhooks and gives every window back, then waits up
; to 15 s for the process to end, so that its files can be replaced.
!macro CLOSE_PROGRAM un
Function ${un}CloseProgram
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  FindWindow $0 "${WINDOW_CLASS}" ""
  ${DoWhile} $0 <> 0
    DetailPrint "Ending the running ${PRODUCT}"
    ; The process first, while the window still names it.
    System::Call "user32::GetWindowThreadProcessId(p r0, *i 0 r1)"
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p.r2"  ; SYNCHRONIZE
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${If} $2 P<> 0
      System::Call "kernel32::WaitForSingleObject(p r2, i 15000) i.r1"
      System::Call "kernel32::CloseHandle(p r2)"
    ${Else}
      Sleep 1000
    ${EndIf}
    IntOp $3 $3 + 1
    ${If} $3 >= 5
      ; A program that does not end: the files in use are renamed away below.
      DetailPrint "${PRODUCT} did not end"
      ${Break}
    ${EndIf}
    FindWindow $0 "${WINDOW_CLASS}" ""
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_PROGRAM ""
!insertmacro CLOSE_PROGRAM "un."

; Removes a file that may still be in use: Ostrilix.dll stays mapped in
; other processes until they let go of the hooks.  A file in use can still be
; renamed: it is moved aside under a name of its own and deleted at the next
; restart.
!macro REMOVE_FILE un
Function ${un}RemoveFile
  Exch $0
  Push $1
  ${If} ${FileExists} "$0"
    ClearErrors
    Delete "$0"
    ${If} ${Errors}
      GetTempFileName $1 "$INSTDIR"
      Delete "$1"
      Rename "$0" "$1"
      Delete /REBOOTOK "$1"
      DetailPrint "$0 is in use: removed at the next restart"
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro REMOVE_FILE ""
!insertmacro REMOVE_FILE "un."

; Each package on its own Windows: the win64 one refuses 32-bit Windows;
; the win32 one on 64-bit Windows says what it cannot reach and asks.
Function CheckWindowsBitness
  !if ${ARCH} == win64
    ${IfNot} ${RunningX64}
      MessageBox MB_OK|MB_ICONSTOP "This is the 64-bit Quornvale (win64): it does not run on 32-bit Windows. Install the win32 package instead." /SD IDOK
      Abort
    ${EndIf}
  !else
    ${If} ${RunningX64}
      MessageBox MB_YESNO|MB_ICONINFORMATION "This is the 32-bit Quornvale (win32): on this 64-bit Windows it does not reach 64-bit applications. The win64 package is the one for this system.$\n$\nInstall the win32 package all the same?" /SD IDYES IDYES +2
      Abort
    ${EndIf}
  !endif
FunctionEnd

; The win64 package's 32-bit companion and library, in the folder x86 (the
; library has the program's library's file name).
!macro COMPANION_FILES un
Function ${un}CompanionFiles
  Push "$INSTDIR\x86\Ostrilix.dll"
  Call ${un}RemoveFile
  Push "$INSTDIR\x86\quornvale32.exe"
  Call ${un}RemoveFile
  !if "${un}" == ""
    SetOutPath "$INSTDIR\x86"
    File "${STAGE}\x86\quornvale32.exe"
    File "${STAGE}\x86\Ostrilix.dll"
    SetOutPath "$INSTDIR"
  !else
    RMDir /REBOOTOK "$INSTDIR\x86"
  !endif
FunctionEnd
!macroend
!if ${ARCH} == win64
  !insertmacro COMPANION_FILES ""
  !insertmacro COMPANION_FILES "un."
!endif
; The program runs as the user who is logged on, never with the installer's
; administrator rights (its hooks would run elevated in every program, and
; its settings would land in the administrator's profile): Explorer, which
; runs as that user, is asked to start it.
Function StartAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE}"'
FunctionEnd

; An earlier version kept the one settings.ini of every user beside the
; program, writable by all users.  The first installation of this version
; moves that file into the installing user's profile, where the program now
; looks for it (a file the user has there already is kept, and the earlier
; one is put beside it under another name: no key is lost), and removes it,
; so that the defaults installed in its place have only the folder's rights.
; Marked done in the uninstall key: later upgrades leave the defaults alone.
!define SETTINGS_MOVED "SettingsInProfile"
Function MoveEarlierSettings
  Push $0
  ClearErrors
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "${SETTINGS_MOVED}"
  ${If} ${Errors}
  ${AndIf} ${FileExists} "$INSTDIR\settings.ini"
    SetShellVarContext current
    CreateDirectory "$APPDATA\${PRODUCT}"
    StrCpy $0 "$APPDATA\${PRODUCT}\settings.ini"
    ${If} ${FileExists} "$0"
      StrCpy $0 "$APPDATA\${PRODUCT}\settings before ${VERSION}.ini"
    ${EndIf}
    ClearErrors
    CopyFiles /SILENT "$INSTDIR\settings.ini" "$0"
    ${If} ${Errors}
    ${OrIfNot} ${FileExists} "$0"
      MessageBox MB_ICONSTOP "$INSTDIR\settings.ini could not be moved to $0: nothing was changed." /SD IDOK
      Abort
    ${EndIf}
    DetailPrint "Your settings moved to $0"
    Push "$INSTDIR\settings.ini"
    Call RemoveFile
  ${EndIf}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${SETTINGS_MOVED}" 1
  Pop $0
FunctionEnd

Function .onInit
  Call CheckWindowsBitness
  !if ${ARCH} == win64
    SetRegView 64
  !endif
  ; An upgrade keeps the user's choice: a Run value switched off (from the
  ; program's menu) stays off.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    ClearErrors
    ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} ${Errors}
      SectionSetFlags 1 0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  !if ${ARCH} == win64
    SetRegView 64
  !endif
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call CloseProgram
  SetOutPath "$INSTDIR"
  Push "$INSTDIR\Ostrilix.dll"
  Call RemoveFile
  Push "$INSTDIR\${EXE}"
  Call RemoveFile
  File "${STAGE}\${EXE}"
  File "${STAGE}\Ostrilix.dll"
  !if ${ARCH} == win64
    Call CompanionFiles
  !endif
  File "${STAGE}\readme_en.txt"
  ; The defaults of every user's settings (see MoveEarlierSettings).
  Call MoveEarlierSettings
  File "${STAGE}\settings.ini"
  ; Each file by name: the uninstaller removes these and nothing else.
  SetOutPath "$INSTDIR\language"
  File "${STAGE}\language\English.ini"
  File "${STAGE}\language\Deutsch.ini"
  SetOutPath "$INSTDIR"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${EXE}"
  SetShellVarContext current

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Section index 1 (.onInit unselects it on an upgrade where it was off).
Section "Start with Windows" SecRunAtStart
  ; Written as the program's menu switch writes it: the quoted full path.
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${EXE}"'
SectionEnd

; The shipped language files by name; a translation the user added stays,
; and so does the folder then, which the uninstaller says.
Function un.RemoveLanguageFiles
  Delete "$INSTDIR\language\English.ini"
  Delete "$INSTDIR\language\Deutsch.ini"
  ClearErrors
  RMDir "$INSTDIR\language"
  ${If} ${FileExists} "$INSTDIR\language\*.*"
    DetailPrint "Kept $INSTDIR\language: it holds files that Setup did not install"
    MessageBox MB_ICONINFORMATION "The folder $INSTDIR\language was kept: it holds files that Setup did not install." /SD IDOK
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseProgram
  ; The Run value goes when it starts this copy, written by the installer
  ; or by the program's menu switch; a value of another copy stays.
  ClearErrors
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${IfNot} ${Errors}
    ${If} $0 == '"$INSTDIR\${EXE}"'
    ${OrIf} $0 == "$INSTDIR\${EXE}"
      DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
  ${EndIf}

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  SetShellVarContext current

  Push "$INSTDIR\Ostrilix.dll"
  Call un.RemoveFile
  Push "$INSTDIR\${EXE}"
  Call un.RemoveFile
  !if ${ARCH} == win64
    Call un.CompanionFiles
  !endif
  Delete "$INSTDIR\readme_en.txt"
  Delete "$INSTDIR\settings.ini"
  Call un.RemoveLanguageFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
