; Pellumo's own texts in its setup program and uninstaller, in English; the
; pages' standard texts are NSIS's. One file per language, in UTF-8, with
; the same names in each (makensis -WX fails on one left out).
LangString RunPellumo ${LANG_ENGLISH} "Run Pellumo"
LangString StartWithWindowsSection ${LANG_ENGLISH} "Start Pellumo when Windows starts"
LangString ShortcutDescription ${LANG_ENGLISH} "Pellumo new-mail notifier"
LangString NeedsAdmin ${LANG_ENGLISH} "Installing or removing Pellumo for this computer needs administrator rights."
LangString Ending ${LANG_ENGLISH} "Ending the running Pellumo..."
; Retry and Cancel are the message box's buttons, Exit the item of
; Pellumo's tray menu: named as Windows and Pellumo name them.
LangString DidNotEnd ${LANG_ENGLISH} "Pellumo is running and did not end. Close it from its icon's menu (Exit), then choose Retry; or choose Cancel to finish when Windows restarts."
LangString RemovingOldCopy ${LANG_ENGLISH} "Removing the copy in $OldDir..."
LangString ReplacedAtRestart ${LANG_ENGLISH} "$INSTDIR\pellumo.exe is in use: it is replaced when Windows restarts."
LangString CannotWrite ${LANG_ENGLISH} "$INSTDIR\pellumo.exe cannot be written."
LangString NotStartedAgain ${LANG_ENGLISH} "Pellumo ran under another account than setup's: it is not started again."
LangString StartingAgain ${LANG_ENGLISH} "Starting Pellumo again..."
LangString NotStarted ${LANG_ENGLISH} "Pellumo was not started: setup runs under another account than the desktop's."
LangString RemovedAtRestart ${LANG_ENGLISH} "$INSTDIR\pellumo.exe is in use: it is removed when Windows restarts."
LangString RemoveSettings ${LANG_ENGLISH} "Remove Pellumo's settings and log too?"
