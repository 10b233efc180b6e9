#pragma once
// The key of every text the user sees. Each language's table
// (texts/languages/TAG.txt) gives one text for each plain key and one for
// each plural form of its language for each counted key (KEY.one,
// KEY.other, ...). The log and the command-line tools stay in English and
// use no keys.
#include <cstdint>

namespace pellumo {

// PELLUMO_TEXT(key) a plain text; PELLUMO_COUNTED(key) a text about a number.
#define PELLUMO_TEXT_KEYS(PELLUMO_TEXT, PELLUMO_COUNTED) \
    /* A message from outside the program, shown as it came. */ \
    PELLUMO_TEXT(Verbatim) \
    /* The popup */ \
    PELLUMO_TEXT(PopupCaption) \
    PELLUMO_TEXT(FolderLine) \
    PELLUMO_TEXT(FolderLineWaiting) \
    PELLUMO_TEXT(SenderLine) \
    PELLUMO_TEXT(SubjectLine) \
    PELLUMO_TEXT(NotDownloadedBody) \
    PELLUMO_TEXT(SenderAndSubject) \
    PELLUMO_COUNTED(NewMessages) \
    PELLUMO_COUNTED(FolderCount) \
    PELLUMO_COUNTED(SenderCount) \
    PELLUMO_TEXT(WhileYouWereAway) \
    PELLUMO_TEXT(CountInFolder) \
    PELLUMO_TEXT(ListSeparator) \
    PELLUMO_TEXT(AlertFrom) \
    PELLUMO_TEXT(AlertSeveral) \
    /* The tray icon's tip */ \
    PELLUMO_TEXT(TipTitle) \
    PELLUMO_TEXT(TipPaused) \
    PELLUMO_TEXT(TipNoUnread) \
    PELLUMO_COUNTED(TipUnread) \
    PELLUMO_TEXT(PausedUntilResumed) \
    PELLUMO_TEXT(PausedForAWhile) \
    PELLUMO_TEXT(PausedUntilTime) \
    PELLUMO_TEXT(PausedUntilTomorrow) \
    PELLUMO_TEXT(PausedUntilDate) \
    PELLUMO_TEXT(NotWatching) \
    PELLUMO_TEXT(StoreNotFound) \
    PELLUMO_TEXT(StoreCannotBeWatched) \
    PELLUMO_TEXT(FolderListUnreadable) \
    PELLUMO_TEXT(StoreLocationUnreadable) \
    PELLUMO_TEXT(WatcherRestarting) \
    /* The tray icon's menu */ \
    PELLUMO_TEXT(MenuSettings) \
    PELLUMO_TEXT(MenuRecentMail) \
    PELLUMO_TEXT(MenuRecentNone) \
    PELLUMO_TEXT(RecentEntry) \
    PELLUMO_TEXT(MenuResume) \
    PELLUMO_TEXT(MenuPause) \
    PELLUMO_TEXT(MenuPause30Minutes) \
    PELLUMO_TEXT(MenuPauseOneHour) \
    PELLUMO_TEXT(MenuPauseUntilTomorrow) \
    PELLUMO_TEXT(MenuPauseUntilResumed) \
    PELLUMO_TEXT(MenuExit) \
    /* The setup dialog */ \
    PELLUMO_TEXT(SetupCaption) \
    PELLUMO_TEXT(SetupHintGroup) \
    PELLUMO_TEXT(SetupAutoHideHint) \
    PELLUMO_TEXT(SetupUseFading) \
    PELLUMO_TEXT(SetupHintTime) \
    PELLUMO_TEXT(SetupDisplayWhenOEActive) \
    PELLUMO_TEXT(SetupColorsGroup) \
    PELLUMO_TEXT(SetupStartColor) \
    PELLUMO_TEXT(SetupEndColor) \
    PELLUMO_TEXT(SetupAlertsGroup) \
    PELLUMO_TEXT(SetupSummarizeBursts) \
    PELLUMO_TEXT(SetupPlaySound) \
    PELLUMO_TEXT(SetupQuietFullScreen) \
    PELLUMO_TEXT(SetupStartWithWindows) \
    PELLUMO_TEXT(SetupShowUnreadCount) \
    PELLUMO_TEXT(SetupShowAgain) \
    PELLUMO_TEXT(SetupHotkeyTaken) \
    PELLUMO_TEXT(SetupHoldWhileAway) \
    PELLUMO_TEXT(SetupLanguage) \
    PELLUMO_TEXT(SetupLanguageAutomatic) \
    PELLUMO_TEXT(SetupFoldersGroup) \
    PELLUMO_TEXT(SetupFolderColor) \
    PELLUMO_TEXT(SetupFolderSound) \
    PELLUMO_TEXT(SoundDefault) \
    PELLUMO_TEXT(SoundNone) \
    PELLUMO_TEXT(SoundChoose) \
    PELLUMO_TEXT(SoundChooseTitle) \
    PELLUMO_TEXT(SoundFiles) \
    PELLUMO_TEXT(AllFiles) \
    PELLUMO_TEXT(SetupOk) \
    PELLUMO_TEXT(SetupCancel) \
    PELLUMO_TEXT(SetupPagePopup) \
    PELLUMO_TEXT(SetupPageAlerts) \
    PELLUMO_TEXT(SetupPageFolders) \
    PELLUMO_TEXT(SetupShowSample) \
    PELLUMO_TEXT(SetupPageRules) \
    PELLUMO_TEXT(SetupRulesGroup) \
    PELLUMO_TEXT(SetupRule) \
    PELLUMO_TEXT(SetupRuleHint) \
    PELLUMO_TEXT(SetupNeverAnnounce) \
    PELLUMO_TEXT(SetupAlwaysAnnounce) \
    PELLUMO_TEXT(SetupNeverAdd) \
    PELLUMO_TEXT(SetupNeverChange) \
    PELLUMO_TEXT(SetupNeverRemove) \
    PELLUMO_TEXT(SetupAlwaysAdd) \
    PELLUMO_TEXT(SetupAlwaysChange) \
    PELLUMO_TEXT(SetupAlwaysRemove) \
    PELLUMO_TEXT(PopupMenuNeverAddress) \
    PELLUMO_TEXT(PopupMenuNeverDomain) \
    PELLUMO_TEXT(PopupMenuAlwaysAddress) \
    PELLUMO_TEXT(SampleFolder) \
    PELLUMO_TEXT(SampleSender) \
    PELLUMO_TEXT(SampleSubject) \
    PELLUMO_TEXT(SampleBody) \
    /* The colour lists */ \
    PELLUMO_TEXT(ColorDefault) \
    PELLUMO_TEXT(ColorCustom) \
    PELLUMO_TEXT(ColorBlack) \
    PELLUMO_TEXT(ColorMaroon) \
    PELLUMO_TEXT(ColorGreen) \
    PELLUMO_TEXT(ColorOlive) \
    PELLUMO_TEXT(ColorNavy) \
    PELLUMO_TEXT(ColorPurple) \
    PELLUMO_TEXT(ColorTeal) \
    PELLUMO_TEXT(ColorGray) \
    PELLUMO_TEXT(ColorSilver) \
    PELLUMO_TEXT(ColorRed) \
    PELLUMO_TEXT(ColorLime) \
    PELLUMO_TEXT(ColorYellow) \
    PELLUMO_TEXT(ColorBlue) \
    PELLUMO_TEXT(ColorFuchsia) \
    PELLUMO_TEXT(ColorAqua) \
    PELLUMO_TEXT(ColorWhite) \
    PELLUMO_TEXT(ColorMoneyGreen) \
    PELLUMO_TEXT(ColorSkyBlue) \
    PELLUMO_TEXT(ColorCream) \
    PELLUMO_TEXT(ColorMedGray) \
    PELLUMO_TEXT(ColorActiveBorder) \
    PELLUMO_TEXT(ColorActiveCaption) \
    PELLUMO_TEXT(ColorAppWorkSpace) \
    PELLUMO_TEXT(ColorBackground) \
    PELLUMO_TEXT(ColorBtnFace) \
    PELLUMO_TEXT(ColorBtnHighlight) \
    PELLUMO_TEXT(ColorBtnShadow) \
    PELLUMO_TEXT(ColorBtnText) \
    PELLUMO_TEXT(ColorCaptionText) \
    PELLUMO_TEXT(ColorSystemDefault) \
    PELLUMO_TEXT(ColorGradientActiveCaption) \
    PELLUMO_TEXT(ColorGradientInactiveCaption) \
    PELLUMO_TEXT(ColorGrayText) \
    PELLUMO_TEXT(ColorHighlight) \
    PELLUMO_TEXT(ColorHighlightText) \
    PELLUMO_TEXT(ColorInactiveBorder) \
    PELLUMO_TEXT(ColorInactiveCaption) \
    PELLUMO_TEXT(ColorInactiveCaptionText) \
    PELLUMO_TEXT(ColorInfoBk) \
    PELLUMO_TEXT(ColorInfoText) \
    PELLUMO_TEXT(ColorMenu) \
    PELLUMO_TEXT(ColorMenuText) \
    PELLUMO_TEXT(ColorNone) \
    PELLUMO_TEXT(ColorScrollBar) \
    PELLUMO_TEXT(Color3DDkShadow) \
    PELLUMO_TEXT(Color3DLight) \
    PELLUMO_TEXT(ColorWindow) \
    PELLUMO_TEXT(ColorWindowFrame) \
    PELLUMO_TEXT(ColorWindowText) \
    /* Errors the user is told of */ \
    PELLUMO_TEXT(InvalidDataType) \
    PELLUMO_TEXT(InvalidValue) \
    PELLUMO_TEXT(FailedToGetData) \
    PELLUMO_TEXT(FailedToSetData) \
    PELLUMO_TEXT(CannotOpenFile) \
    PELLUMO_TEXT(InvalidDbxFile) \
    PELLUMO_TEXT(UnexpectedDbxFileType) \
    PELLUMO_TEXT(FolderListSignatureNotFound) \
    PELLUMO_TEXT(CannotChangeStartPrograms) \
    PELLUMO_TEXT(CannotFindOwnPath) \
    PELLUMO_TEXT(CannotRegisterApplicationClass) \
    PELLUMO_TEXT(CannotCreateApplicationWindow) \
    PELLUMO_TEXT(CannotRegisterRemovalWatchClass) \
    PELLUMO_TEXT(CannotCreateRemovalWatchWindow) \
    PELLUMO_TEXT(CannotRegisterMainThreadCallClass) \
    PELLUMO_TEXT(CannotCreateMainThreadCallWindow) \
    PELLUMO_TEXT(CannotRegisterPopupClass) \
    PELLUMO_TEXT(CannotCreatePopupWindow) \
    PELLUMO_TEXT(CannotCreatePopupLabels) \
    PELLUMO_TEXT(CannotRegisterSetupClass) \
    PELLUMO_TEXT(CannotCreateSetupDialog) \
    PELLUMO_TEXT(CannotCreateSetupControls) \
    PELLUMO_TEXT(CannotCreateColorCombo) \
    PELLUMO_TEXT(CannotCreateWatcherEvents) \
    PELLUMO_TEXT(CannotCreateWatcherThread) \
    PELLUMO_TEXT(CannotStartWatcherThread)

enum class TText : uint16_t {
#define PELLUMO_KEY(key) key,
    PELLUMO_TEXT_KEYS(PELLUMO_KEY, PELLUMO_KEY)
#undef PELLUMO_KEY
};

}  // namespace pellumo
