; The installer of Quornvale for one architecture, built by the CMake target
; "installer" (scripts/package.sh) from the staged release files:
;   makensis -DVERSION=2.2.5.1 -DARCH=win32|win64 -DSTAGE=<folder> -DOUTFILE=<exe> quornvale.nsi
; It installs into Program Files (the 64-bit one for win64), adds a Start menu
; shortcut and, as an option, the same Run value the program's own menu
; switch writes, so that either can switch it off.  An upgrade keeps the
; user's settings.ini.  Both the installer and the uninstaller end a running
; program first by closing its main window.  /S installs or uninstalls
; silently.

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
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
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
  File /r "${STAGE}\language"
  ; The shipped settings only where the user has none yet.
  SetOverwrite off
  File "${STAGE}\settings.ini"
  SetOverwrite on
  ; The program writes its settings beside itself: let the users of this
  ; computer change that one file (Windows Vista and later do not redirect
  ; writes of a program with a manifest).  Users is S-1-5-32-545 in every
  ; language; where icacls is missing (Windows 2000, XP) nothing changes.
  ${If} ${FileExists} "$SYSDIR\icacls.exe"
    nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR\settings.ini" /grant *S-1-5-32-545:M'
    Pop $0
  ${EndIf}

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
  RMDir /r "$INSTDIR\language"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
