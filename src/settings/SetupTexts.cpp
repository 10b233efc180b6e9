#include "settings/SetupTexts.h"

#include "settings/SetupDialog.h"
#include "texts/Language.h"

namespace pellumo {

namespace {

using Setup = TSetupDialog;

struct TControlText {
    int Id;
    TText Text;
};
const TControlText kTexts[] = {
    {Setup::idHintGroup, TText::SetupHintGroup},
    {Setup::idAutoHideHint, TText::SetupAutoHideHint},
    {Setup::idUseFading, TText::SetupUseFading},
    {Setup::idHintTimeLabel, TText::SetupHintTime},
    {Setup::idDisplayWhenOEActive, TText::SetupDisplayWhenOEActive},
    {Setup::idColorsGroup, TText::SetupColorsGroup},
    {Setup::idBeginColorLabel, TText::SetupStartColor},
    {Setup::idEndColorLabel, TText::SetupEndColor},
    {Setup::idAlertsGroup, TText::SetupAlertsGroup},
    {Setup::idFoldersGroup, TText::SetupFoldersGroup},
    {Setup::idSummarizeBursts, TText::SetupSummarizeBursts},
    {Setup::idPlaySound, TText::SetupPlaySound},
    {Setup::idQuietFullScreen, TText::SetupQuietFullScreen},
    {Setup::idStartWithWindows, TText::SetupStartWithWindows},
    {Setup::idShowUnreadCount, TText::SetupShowUnreadCount},
    {Setup::idShowAgainLabel, TText::SetupShowAgain},
    {Setup::idShowAgainTaken, TText::SetupHotkeyTaken},
    {Setup::idHoldWhileAway, TText::SetupHoldWhileAway},
    {Setup::idLanguageLabel, TText::SetupLanguage},
    {Setup::idFolderColorLabel, TText::SetupFolderColor},
    {Setup::idFolderSoundLabel, TText::SetupFolderSound},
    {Setup::idOk, TText::SetupOk},
    {Setup::idCancel, TText::SetupCancel},
    {Setup::idShowSample, TText::SetupShowSample},
    {Setup::idRulesGroup, TText::SetupRulesGroup},
    {Setup::idRuleLabel, TText::SetupRule},
    {Setup::idRuleHint, TText::SetupRuleHint},
    {Setup::idNeverLabel, TText::SetupNeverAnnounce},
    {Setup::idNeverAdd, TText::SetupNeverAdd},
    {Setup::idNeverChange, TText::SetupNeverChange},
    {Setup::idNeverRemove, TText::SetupNeverRemove},
    {Setup::idAlwaysLabel, TText::SetupAlwaysAnnounce},
    {Setup::idAlwaysAdd, TText::SetupAlwaysAdd},
    {Setup::idAlwaysChange, TText::SetupAlwaysChange},
    {Setup::idAlwaysRemove, TText::SetupAlwaysRemove},
};
const TText kPageNames[Setup::kPageCount] = {TText::SetupPagePopup, TText::SetupPageAlerts, TText::SetupPageFolders,
                                             TText::SetupPageRules};

}  // namespace

std::string SetupText(int id) {
    for (const TControlText& t : kTexts)
        if (t.Id == id) return Text(t.Text);
    return std::string();
}

std::string SetupPageName(int page) {
    return page >= 0 && page < Setup::kPageCount ? Text(kPageNames[page]) : std::string();
}

}  // namespace pellumo
