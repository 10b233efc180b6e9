#include "settings/SetupTexts.h"

#include "settings/SetupDialog.h"

namespace pellumo {

namespace {

using Setup = TSetupDialog;

// The controls' texts; "&" marks the access key.
struct TControlText {
    int Id;
    const char* Text;
};
const TControlText kTexts[] = {
    {Setup::idHintGroup, "Hint"},
    {Setup::idAutoHideHint, "&Auto hide hint"},
    {Setup::idUseFading, "Use &fading"},
    {Setup::idHintTimeLabel, "Hint &time (seconds):"},
    {Setup::idDisplayWhenOEActive, "&Display when OE is active"},
    {Setup::idColorsGroup, "Colors"},
    {Setup::idBeginColorLabel, "&Start"},
    {Setup::idEndColorLabel, "&End"},
    {Setup::idAlertsGroup, "Alerts"},
    {Setup::idFoldersGroup, "Folders"},
    {Setup::idSummarizeBursts, "Su&mmarize bursts"},
    {Setup::idPlaySound, "&Play sound"},
    {Setup::idQuietFullScreen, "&Quiet during full-screen programs"},
    {Setup::idStartWithWindows, "Start with &Windows"},
    {Setup::idShowUnreadCount, "Show unread &count on the icon"},
    {Setup::idShowAgainLabel, "Show &last message again:"},
    {Setup::idShowAgainTaken, "Another program uses this key."},
    {Setup::idHoldWhileAway, "&Hold alerts while I'm away, after (minutes):"},
    {Setup::idFolderColorLabel, "Folder c&olour"},
    {Setup::idOk, "OK"},
    {Setup::idCancel, "Cancel"},
};

}  // namespace

std::string SetupText(int id) {
    for (const TControlText& t : kTexts)
        if (t.Id == id) return t.Text;
    return std::string();
}

}  // namespace pellumo
