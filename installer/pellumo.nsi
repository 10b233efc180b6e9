; Pellumo's setup program: pellumo.exe for the whole machine in the program
; files folder, a Start menu shortcut, optionally a start with Windows for
; every user, and an uninstaller registered under Add or Remove Programs.
; Built by CMake:
;   makensis -DVERSION=x.y.z -DPROGRAM=pellumo.exe -DICON=pellumo.ico -DOUTFILE=setup.exe pellumo.nsi
; The setup program's command line, beyond NSIS's own /S (silent) and /D=DIR:
;   /STARTWITHWINDOWS  Pellumo starts when Windows starts, for every user:
;                      the machine's Run value, with /autostart, which each
;                      user can turn off in Pellumo's setup dialog. Silent,
;                      without it a fresh install does not, and an upgrade
;                      keeps the choice made before.
; Setup starts Pellumo (again, after closing it) through the shell, so that
; it runs as the logged-on user and unelevated; never when setup runs under
; another account than the desktop's or the closed copy's.
; Another folder than the last install's: the old copy's files go, and the
; Run values that started it start the new one.
; A program file still in use (a copy in another user's session) is
; replaced or removed when Windows restarts, and the exit status is 3010.
; Unicode NSIS runs on Windows 2000 and later, so on XP SP3 too.
; Setup speaks the user's language where it has it (else English), silent
; too, with no dialog to choose; the uninstaller speaks the language setup
; spoke, kept in the uninstall entry. Pellumo's own texts are in lang\.

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

Var WasRunning     ; 1 when a running copy was ended
Var OtherAccount   ; 1 when a copy ended ran under another account than setup's
Var SetupAccount   ; setup's own account (its SID), to compare others with
Var OldDir         ; the folder of the last install
Var AtRestart      ; 1 when the program file is put in place when Windows restarts

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(RunPellumo)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartAsDesktopUser
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; NSIS picks the language of the user's interface, else one of its primary
; language (Portuguese for PortugueseBR; for any Chinese SimpChinese, and
; .onInit gives Hong Kong's and Macao's TradChinese), else the first: English.
!macro LANGUAGE name
  !insertmacro MUI_LANGUAGE "${name}"
  !include /CHARSET=UTF8 "lang\${name}.nsh"
!macroend
!insertmacro LANGUAGE English
!insertmacro LANGUAGE German
!insertmacro LANGUAGE French
!insertmacro LANGUAGE Spanish
!insertmacro LANGUAGE Italian
!insertmacro LANGUAGE Dutch
!insertmacro LANGUAGE PortugueseBR
!insertmacro LANGUAGE Russian
!insertmacro LANGUAGE Polish
!insertmacro LANGUAGE Japanese
!insertmacro LANGUAGE SimpChinese
!insertmacro LANGUAGE TradChinese

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Pellumo"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Ostrivane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Pellumo setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) Ostrivane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "pellumo-setup-${VERSION}.exe"

; The account a process runs under, as a SID string; empty when it cannot be
; told (then it is taken for another account than any).
; In: the process id on the stack. Out: the SID on the stack.
!macro PROCESS_ACCOUNT un
Function ${un}ProcessAccount
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $5 ""
  ; Vista and later: enough for another user's process when elevated.
  System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r0) p .r1'
  ${If} $1 P= 0
    ; XP: PROCESS_QUERY_INFORMATION.
    System::Call 'kernel32::OpenProcess(i 0x400, i 0, i r0) p .r1'
  ${EndIf}
  ${If} $1 P<> 0
    ; TOKEN_QUERY
    System::Call 'advapi32::OpenProcessToken(p r1, i 8, *p .r2) i .r3'
    ${If} $3 <> 0
      System::Alloc 256
      Pop $4
      ; TokenUser: a TOKEN_USER, its SID pointer first.
      System::Call 'advapi32::GetTokenInformation(p r2, i 1, p r4, i 256, *i .r3) i .r3'
      ${If} $3 <> 0
        System::Call '*$4(p .r3)'
        System::Call 'advapi32::ConvertSidToStringSidW(p r3, *p .r3) i .r0'
        ${If} $0 <> 0
          System::Call '*$3(&w256 .r5)'
          System::Call 'kernel32::LocalFree(p r3)'
        ${EndIf}
      ${EndIf}
      System::Free $4
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  StrCpy $0 $5
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro PROCESS_ACCOUNT ""
!insertmacro PROCESS_ACCOUNT "un."

; The account of the window's process. In and out on the stack.
!macro WINDOW_ACCOUNT un
Function ${un}WindowAccount
  Exch $0
  Push $1
  StrCpy $1 0
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
  Push $1
  Call ${un}ProcessAccount
  Pop $0
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro WINDOW_ACCOUNT ""
!insertmacro WINDOW_ACCOUNT "un."

; Ends every running copy of Pellumo on this desktop the way its menu's Exit
; does (WM_CLOSE to its hidden window: the settings are saved), and waits
; for each window to go and its process to end.
; Out: $WasRunning 1 when one was running, $OtherAccount 1 when one ran
; under another account than setup's (or one that could not be told); the
; error flag when one did not end within the wait.
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
    DetailPrint "$(Ending)"
    Push $0
    Call ${un}WindowAccount
    Pop $1
    ${If} $1 == ""
    ${OrIf} $1 != $SetupAccount
      StrCpy $OtherAccount 1
    ${EndIf}
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

; Until every copy on this desktop has ended, or the user (silent: setup at
; once) leaves the program file to be replaced or removed at the restart.
!macro END_PELLUMO un
  ${Do}
    Call ${un}ClosePellumo
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(DidNotEnd)" /SD IDCANCEL IDRETRY +2
    ${Break}
  ${Loop}
!macroend

; Waits until a program file can be written (a process that has just ended
; may still hold it); the error flag when it cannot within 10 s.
; In: the file's path on the stack.
!macro WAIT_WRITABLE un
Function ${un}WaitWritable
  Exch $0
  Push $1
  Push $2
  ClearErrors
  StrCpy $1 0
  ${Do}
    ${IfNot} ${FileExists} "$0"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $2 "$0" a
    ${IfNot} ${Errors}
      FileClose $2
      ${Break}
    ${EndIf}
    ${If} $1 >= 50
      SetErrors
      ${Break}
    ${EndIf}
    Sleep 200
    IntOp $1 $1 + 1
  ${Loop}
  Pop $2
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
    MessageBox MB_ICONSTOP "$(NeedsAdmin)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

; Hong Kong and Macao (0x0C04, 0x1404) write Traditional Chinese, as Taiwan
; does, but NSIS, going by the primary language, gives them Simplified. Set
; in .onInit, the choice holds from the first page on (the message for want
; of administrator rights, shown in .onInit, still comes in Simplified).
!macro TRADITIONAL_CHINESE
  System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
  ${If} $0 = 3076
  ${OrIf} $0 = 5124
    StrCpy $LANGUAGE ${LANG_TRADCHINESE}
  ${EndIf}
!macroend

; Setup's own account, for ClosePellumo.
!macro FIND_SETUP_ACCOUNT un
  System::Call 'kernel32::GetCurrentProcessId() i .r0'
  Push $0
  Call ${un}ProcessAccount
  Pop $SetupAccount
  StrCpy $WasRunning 0
  StrCpy $OtherAccount 0
  StrCpy $AtRestart 0
!macroend

; Removes a program folder if empty; after its program file when that goes
; at the restart (a folder that is not empty otherwise stays, needing none).
!macro REMOVE_FOLDER dir
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "${dir}"
  ${Else}
    RMDir "${dir}"
  ${EndIf}
!macroend

; The user's Run value, when it starts the copy in DIR, with or without
; arguments (the program itself writes it with /autostart).
!macro DELETE_USER_RUN_VALUE_OF dir
  ReadRegStr $0 HKCU "${RUN_KEY}" "Pellumo"
  StrLen $1 '"${dir}\pellumo.exe"'
  StrCpy $2 $0 $1
  StrCpy $3 $0 1 $1
  ${If} $2 == '"${dir}\pellumo.exe"'
  ${AndIf} $3 == ""
    DeleteRegValue HKCU "${RUN_KEY}" "Pellumo"
  ${ElseIf} $2 == '"${dir}\pellumo.exe"'
  ${AndIf} $3 == " "
    DeleteRegValue HKCU "${RUN_KEY}" "Pellumo"
  ${EndIf}
!macroend

; A Run value (under ROOT) that started the old copy starts the new one,
; with the same arguments.
!macro MOVE_RUN_VALUE root
  ReadRegStr $0 ${root} "${RUN_KEY}" "Pellumo"
  StrLen $1 '"$OldDir\pellumo.exe"'
  StrCpy $2 $0 $1
  ${If} $2 == '"$OldDir\pellumo.exe"'
    StrCpy $2 $0 "" $1
    WriteRegStr ${root} "${RUN_KEY}" "Pellumo" '"$INSTDIR\pellumo.exe"$2'
  ${EndIf}
!macroend

Section "Pellumo" SecProgram
  SectionIn RO
  SetShellVarContext all
  !insertmacro END_PELLUMO ""
  ${If} $OldDir != ""
  ${AndIf} $OldDir != $INSTDIR
    ; Moved: the old copy goes first, so that a second name for this same
    ; folder loses nothing; a file still in use goes at the restart.
    DetailPrint "$(RemovingOldCopy)"
    ${If} $WasRunning = 1
      Push "$OldDir\pellumo.exe"
      Call WaitWritable
    ${EndIf}
    Delete /REBOOTOK "$OldDir\pellumo.exe"
    Delete "$OldDir\pellumo.exe.new"
    Delete "$OldDir\uninstall.exe"
    !insertmacro REMOVE_FOLDER "$OldDir"
    !insertmacro MOVE_RUN_VALUE HKLM
    !insertmacro MOVE_RUN_VALUE HKCU
  ${EndIf}
  SetOutPath "$INSTDIR"
  ${If} $WasRunning = 1
    Push "$INSTDIR\pellumo.exe"
    Call WaitWritable
  ${EndIf}
  SetOverwrite try
  ClearErrors
  File "/oname=pellumo.exe" "${PROGRAM}"
  SetOverwrite on
  ${If} ${Errors}
    ; In use by a copy setup could not end or cannot see (another user's
    ; session): unpacked beside it and put in its place at the restart.
    DetailPrint "$(ReplacedAtRestart)"
    ClearErrors
    File "/oname=pellumo.exe.new" "${PROGRAM}"
    Rename /REBOOTOK "$INSTDIR\pellumo.exe.new" "$INSTDIR\pellumo.exe"
    ${If} ${Errors}
      Abort "$(CannotWrite)"
    ${EndIf}
    StrCpy $AtRestart 1
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Pellumo.lnk" "$INSTDIR\pellumo.exe" "" "$INSTDIR\pellumo.exe" 0 \
    SW_SHOWNORMAL "" "$(ShortcutDescription)"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Pellumo"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Ostrivane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pellumo.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The uninstaller speaks it too, whoever runs it.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Installer Language" "$LANGUAGE"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(StartWithWindowsSection)" SecStartWithWindows
  ; For every user; each can turn it off in Pellumo's setup dialog, which
  ; the program reads when started with /autostart.
  WriteRegStr HKLM "${RUN_KEY}" "Pellumo" '"$INSTDIR\pellumo.exe" /autostart'
SectionEnd

Section "-Finish"
  ${IfNot} ${SectionIsSelected} ${SecStartWithWindows}
  ${AndIfNot} ${Silent}
    ; Unticked: no start with Windows, for every user, nor for the one
    ; installing from an earlier version's value, if it starts this copy.
    DeleteRegValue HKLM "${RUN_KEY}" "Pellumo"
    !insertmacro DELETE_USER_RUN_VALUE_OF "$INSTDIR"
  ${EndIf}
  ; Not when the program is replaced at the restart: what would run is the
  ; old one, or the copy that did not end still runs.
  ${If} $WasRunning = 1
  ${AndIf} $AtRestart = 0
    ${If} $OtherAccount = 1
      DetailPrint "$(NotStartedAgain)"
    ${Else}
      DetailPrint "$(StartingAgain)"
      Call StartAsDesktopUser
    ${EndIf}
  ${EndIf}
SectionEnd

; Whether setup runs as the user of the desktop's shell: $0 1 or 0.
Function IsDesktopAccount
  Push $1
  System::Call 'user32::GetShellWindow() p .r0'
  ${If} $0 P= 0
    FindWindow $0 "Shell_TrayWnd" ""
  ${EndIf}
  ${If} $0 P= 0
    ; No shell window (Wine): the desktop's own owner.
    System::Call 'user32::GetDesktopWindow() p .r0'
  ${EndIf}
  Push $0
  Call WindowAccount
  Pop $1
  StrCpy $0 0
  ${If} $1 != ""
  ${AndIf} $1 == $SetupAccount
    StrCpy $0 1
  ${EndIf}
  Pop $1
FunctionEnd

; Through the shell, which hands the program to the running Explorer: it
; runs as the logged-on user and unelevated, as from the Start menu. Only
; when that user is setup's own: otherwise Explorer would start it as setup's
; account (XP's Run as, a standard user's elevation with an administrator's
; password), or become the shell itself.
Function StartAsDesktopUser
  Push $0
  Call IsDesktopAccount
  ${If} $0 = 1
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\pellumo.exe"'
  ${Else}
    DetailPrint "$(NotStarted)"
  ${EndIf}
  Pop $0
FunctionEnd

Function .onInit
  !insertmacro TRADITIONAL_CHINESE
  !insertmacro REQUIRE_ADMIN
  !insertmacro FIND_SETUP_ACCOUNT ""
  ReadRegStr $OldDir HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTWITHWINDOWS" $1
  ${If} ${Errors}
    ; Not asked for: silent, none (an upgrade keeps the value as it is);
    ; interactive, ticked unless an earlier install had it off.
    ReadRegStr $1 HKLM "${RUN_KEY}" "Pellumo"
    ReadRegStr $2 HKCU "${RUN_KEY}" "Pellumo"
    ${If} ${Silent}
      !insertmacro UnselectSection ${SecStartWithWindows}
    ${ElseIf} $OldDir != ""
    ${AndIf} $1 == ""
    ${AndIf} $2 == ""
      !insertmacro UnselectSection ${SecStartWithWindows}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ${If} ${RebootFlag}
    SetErrorLevel 3010
  ${EndIf}
FunctionEnd

Function FinishPageShow
  ; A copy that was running has been started again already (a second start
  ; would only open its settings); one started as setup's account would be
  ; the wrong user's.
  Push $0
  Call IsDesktopAccount
  ${If} $WasRunning = 1
  ${OrIf} $0 = 0
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
  Pop $0
FunctionEnd

Function un.onInit
  ; The language setup spoke; without it, the user's, as setup picks it.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "Installer Language"
  ${If} $0 != ""
    StrCpy $LANGUAGE $0
  ${Else}
    !insertmacro TRADITIONAL_CHINESE
  ${EndIf}
  !insertmacro REQUIRE_ADMIN
  !insertmacro FIND_SETUP_ACCOUNT "un."
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro END_PELLUMO "un."
  ${If} $WasRunning = 1
    Push "$INSTDIR\pellumo.exe"
    Call un.WaitWritable
  ${EndIf}
  ClearErrors
  Delete /REBOOTOK "$INSTDIR\pellumo.exe"
  ; Waiting for a restart to replace the program, it would bring it back.
  Delete "$INSTDIR\pellumo.exe.new"
  ${If} ${RebootFlag}
    DetailPrint "$(RemovedAtRestart)"
  ${EndIf}
  Delete "$SMPROGRAMS\Pellumo.lnk"
  ; The machine's value is only ever setup's. The user's own only when it
  ; starts this copy: one that starts a copy elsewhere (the portable
  ; program) still works and stays.
  DeleteRegValue HKLM "${RUN_KEY}" "Pellumo"
  !insertmacro DELETE_USER_RUN_VALUE_OF "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  !insertmacro REMOVE_FOLDER "$INSTDIR"

  ; Silent, the settings stay (a silent uninstall is often a step of
  ; something else, such as a move to another folder).
  MessageBox MB_YESNO|MB_ICONQUESTION "$(RemoveSettings)" /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Ostrivane"
    SetShellVarContext current
    Delete "$APPDATA\Ostrivane\Pellumo\pellumo.log"
    Delete "$APPDATA\Ostrivane\Pellumo\pellumo.log.1"
    RMDir "$APPDATA\Ostrivane\Pellumo"
    RMDir "$APPDATA\Ostrivane"
  keep_settings:

  ${If} ${RebootFlag}
    SetErrorLevel 3010
  ${EndIf}
  ; NSIS runs this from a copy of itself in a folder of its own in the
  ; temporary folder, and has Windows delete that folder and then the copy
  ; when it restarts: in that order the folder is still full and stays.
  ; Asked again after them, it goes too. Not a restart this uninstall needs,
  ; so the flag is left as it was.
  ${GetFileName} "$EXEDIR" $0
  StrCpy $0 $0 4
  ${If} $0 == "~nsu"
    Push $1
    StrCpy $1 0
    ${If} ${RebootFlag}
      StrCpy $1 1
    ${EndIf}
    Delete /REBOOTOK "$EXEPATH"
    RMDir /REBOOTOK "$EXEDIR"
    ${If} $1 = 0
      SetRebootFlag false
    ${EndIf}
    Pop $1
  ${EndIf}
SectionEnd
