; Pellumo's setup program: pellumo.exe for the whole machine in the program
; files folder, a Start menu shortcut, optionally a start with Windows, and
; an uninstaller registered under Add or Remove Programs. Built by CMake:
;   makensis -DVERSION=x.y.z -DPROGRAM=pellumo.exe -DICON=pellumo.ico -DOUTFILE=setup.exe pellumo.nsi
; The setup program's command line, beyond NSIS's own /S (silent) and /D=DIR:
;   /STARTWITHWINDOWS  Pellumo starts when Windows starts. Silent, without it
;                      a fresh install does not, and an upgrade keeps the
;                      choice made before.
; Unicode NSIS runs on Windows 2000 and later, so on XP SP3 too.

!macro REQUIRE_DEFINE name
  !ifndef ${name}
    !error "${name} must be defined (makensis -D${name}=...)"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE PROGRAM
!insertmacro REQUIRE_DEFINE ICON
!insertmacro REQUIRE_DEFINE OUTFILE

Unicode true
SetCompressor /SOLID lzma
; Per machine: Vista and later ask for elevation; XP has no such prompt,
; so .onInit checks the account instead.
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellumo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Ostrivane\Pellumo"
; The running program's hidden window. The class name alone is common to
; many programs, so the title is always matched too.
!define APP_CLASS "TApplication"
!define APP_TITLE "Ostrivane Pellumo"

Name "Pellumo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Pellumo"
; An upgrade goes where the last install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
BrandingText "Pellumo ${VERSION}"

Var WasRunning     ; 1 when a running copy was ended and is to be started again
Var RunValue       ; what the start with Windows value is to hold: the quoted program path

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\pellumo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Pellumo"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Pellumo"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Ostrivane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Pellumo setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) Ostrivane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "pellumo-setup-${VERSION}.exe"

; Ends every running copy of Pellumo in this session the way its menu's
; Exit does (WM_CLOSE to its hidden window: the settings are saved), and
; waits for each window to go and its process to end.
; Out: $WasRunning 1 when one was running; the error flag when one did not
; end within the wait.
!macro CLOSE_PELLUMO un
Function ${un}ClosePellumo
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  ClearErrors
  StrCpy $3 0
  ${Do}
    FindWindow $0 "${APP_CLASS}" "${APP_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    StrCpy $WasRunning 1
    IntOp $3 $3 + 1
    ${If} $3 > 8
      ; A window that keeps coming back.
      SetErrors
      ${Break}
    ${EndIf}
    DetailPrint "Ending the running Pellumo..."
    StrCpy $1 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    ; SYNCHRONIZE: enough to wait for its end.
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
    System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
    StrCpy $4 0
    ${Do}
      System::Call 'user32::IsWindow(p r0) i .r5'
      ${If} $5 = 0
      ${OrIf} $4 >= 100
        ${Break}
      ${EndIf}
      Sleep 100
      IntOp $4 $4 + 1
    ${Loop}
    ${If} $5 <> 0
      ${If} $2 P<> 0
        System::Call 'kernel32::CloseHandle(p r2)'
      ${EndIf}
      SetErrors
      ${Break}
    ${EndIf}
    ${If} $2 P<> 0
      ; The window is gone; the process saves and tidies up, then ends.
      System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i .r5'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
  ${Loop}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_PELLUMO ""
!insertmacro CLOSE_PELLUMO "un."

; Until it ends: asks the user to close Pellumo and retry, or gives up
; (silent: gives up at once). Giving up aborts with an error.
!macro END_PELLUMO_OR_ABORT un
  ${Do}
    Call ${un}ClosePellumo
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Pellumo is running and did not end. Close it from its icon's menu (Exit), then choose Retry." \
      /SD IDCANCEL IDRETRY +2
    Abort "Pellumo is still running."
  ${Loop}
!macroend

; Waits until the installed program file can be written (a process that has
; just ended may still hold it); the error flag when it cannot within 10 s.
!macro WAIT_WRITABLE un
Function ${un}WaitWritable
  Push $0
  Push $1
  ClearErrors
  StrCpy $1 0
  ${Do}
    ${IfNot} ${FileExists} "$INSTDIR\pellumo.exe"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\pellumo.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${If} $1 >= 50
      SetErrors
      ${Break}
    ${EndIf}
    Sleep 200
    IntOp $1 $1 + 1
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro WAIT_WRITABLE ""
!insertmacro WAIT_WRITABLE "un."

!macro REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Installing or removing Pellumo for this computer needs administrator rights." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

Section "Pellumo" SecProgram
  SectionIn RO
  SetShellVarContext all
  StrCpy $RunValue '"$INSTDIR\pellumo.exe"'
  !insertmacro END_PELLUMO_OR_ABORT ""
  SetOutPath "$INSTDIR"
  ${Do}
    Call WaitWritable
    ${IfNot} ${Errors}
      SetOverwrite try
      ClearErrors
      File "/oname=pellumo.exe" "${PROGRAM}"
      SetOverwrite on
      ${IfNot} ${Errors}
        ${Break}
      ${EndIf}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$INSTDIR\pellumo.exe cannot be written." /SD IDCANCEL IDRETRY +2
    Abort "$INSTDIR\pellumo.exe cannot be written."
  ${Loop}
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Pellumo.lnk" "$INSTDIR\pellumo.exe" "" "$INSTDIR\pellumo.exe" 0 \
    SW_SHOWNORMAL "" "Pellumo new-mail notifier"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Pellumo"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Ostrivane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pellumo.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start Pellumo when Windows starts" SecStartWithWindows
  ; The same value the program's own setup dialog writes: the quoted path.
  WriteRegStr HKCU "${RUN_KEY}" "Pellumo" "$RunValue"
SectionEnd

Section "-Finish"
  ${IfNot} ${SectionIsSelected} ${SecStartWithWindows}
  ${AndIfNot} ${Silent}
    ; Unticked: no start with Windows, if it is this copy that would start.
    ReadRegStr $0 HKCU "${RUN_KEY}" "Pellumo"
    ${If} $0 == $RunValue
      DeleteRegValue HKCU "${RUN_KEY}" "Pellumo"
    ${EndIf}
  ${EndIf}
  ${If} $WasRunning = 1
    DetailPrint "Starting Pellumo again..."
    Exec '"$INSTDIR\pellumo.exe"'
  ${EndIf}
SectionEnd

Function .onInit
  !insertmacro REQUIRE_ADMIN
  StrCpy $WasRunning 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTWITHWINDOWS" $1
  ${If} ${Errors}
    ; Not asked for: silent, none (an upgrade keeps the value as it is);
    ; interactive, ticked unless an earlier install had it off.
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $2 HKCU "${RUN_KEY}" "Pellumo"
    ${If} ${Silent}
      !insertmacro UnselectSection ${SecStartWithWindows}
    ${ElseIf} $1 != ""
    ${AndIf} $2 == ""
      !insertmacro UnselectSection ${SecStartWithWindows}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function FinishPageShow
  ; A copy that was running has been started again already: a second one
  ; from the finish page would announce every message twice.
  ${If} $WasRunning = 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro END_PELLUMO_OR_ABORT "un."
  ${Do}
    Call un.WaitWritable
    ClearErrors
    Delete "$INSTDIR\pellumo.exe"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$INSTDIR\pellumo.exe cannot be removed." /SD IDCANCEL IDRETRY +2
    Abort "$INSTDIR\pellumo.exe cannot be removed."
  ${Loop}
  Delete "$SMPROGRAMS\Pellumo.lnk"
  ; Only a start of this copy: a value that starts a copy elsewhere (the
  ; portable program) still works and stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Pellumo"
  ${If} $0 == '"$INSTDIR\pellumo.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "Pellumo"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ; Silent, the settings stay (a silent uninstall is often a step of
  ; something else, such as a move to another folder).
  MessageBox MB_YESNO|MB_ICONQUESTION "Remove Pellumo's settings and log too?" /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Ostrivane"
    SetShellVarContext current
    Delete "$APPDATA\Ostrivane\Pellumo\pellumo.log"
    Delete "$APPDATA\Ostrivane\Pellumo\pellumo.log.1"
    RMDir "$APPDATA\Ostrivane\Pellumo"
    RMDir "$APPDATA\Ostrivane"
  keep_settings:
SectionEnd
