// The setup dialog's arrangement from measured sizes: at the screen's usual
// font sizes and with texts as long as a translation makes them, nothing
// overlaps, nothing is smaller than it needs, and every control stays inside
// its group and the dialog.
#include <gtest/gtest.h>

#include <string>

#include "settings/SetupDialog.h"
#include "settings/SetupLayout.h"

namespace pellumo {

// How a failed comparison shows a rectangle (found by argument lookup).
static std::ostream& operator<<(std::ostream& out, const TRect& r) {
    return out << "(" << r.Left << "," << r.Top << ")-(" << r.Right << "," << r.Bottom << ")";
}

namespace test {
namespace {

using Setup = TSetupDialog;

bool Overlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool IsGroup(int id) {
    return id == Setup::idHintGroup || id == Setup::idColorsGroup || id == Setup::idAlertsGroup ||
           id == Setup::idFoldersGroup;
}

// What the window side would measure: texts `scale` times their English
// length in a font of `units`, with a check box's box, a field's frame.
TSetupMeasures Measures(TLayoutUnits u, double scale) {
    TSetupMeasures m;
    m.Units = u;
    auto text = [&](const std::string& s) {
        return static_cast<int32_t>(s.size() * scale * u.CharWidth + 0.5);
    };
    const int32_t box = u.LineHeight, field = u.Y(14);
    auto check = [&](int id, const std::string& s) { m.Needs[id] = {box + u.X(3) + text(s), u.Y(10)}; };
    auto label = [&](int id, const std::string& s) { m.Needs[id] = {text(s), u.LineHeight}; };
    check(Setup::idAutoHideHint, "Auto hide hint");
    check(Setup::idUseFading, "Use fading");
    check(Setup::idDisplayWhenOEActive, "Display when OE is active");
    label(Setup::idHintTimeLabel, "Hint time (seconds):");
    m.UpDownWidth = u.Y(14) * 2 / 3;
    m.Needs[Setup::idHintTimeEdit] = {text("1800") + u.X(6) + m.UpDownWidth, field};
    label(Setup::idBeginColorLabel, "Start");
    label(Setup::idEndColorLabel, "End");
    m.Needs[Setup::idBeginColor] = m.Needs[Setup::idEndColor] = m.Needs[Setup::idFolderColor] = {
        2 * u.LineHeight + text("GradientInactiveCaption") + field, field};
    check(Setup::idSummarizeBursts, "Summarize bursts");
    check(Setup::idPlaySound, "Play sound");
    check(Setup::idQuietFullScreen, "Quiet during full-screen programs");
    check(Setup::idStartWithWindows, "Start with Windows");
    check(Setup::idShowUnreadCount, "Show unread count on the icon");
    label(Setup::idShowAgainLabel, "Show last message again:");
    m.Needs[Setup::idShowAgainHotkey] = {text("Ctrl + Shift + Alt + Scroll Lock") + u.X(6), field};
    label(Setup::idShowAgainTaken, "Another program uses this key.");
    check(Setup::idHoldWhileAway, "Hold alerts while I'm away, after (minutes):");
    m.Needs[Setup::idAwayMinutesEdit] = {text("240") + u.X(6) + m.UpDownWidth, field};
    m.Needs[Setup::idFolderTree] = {u.X(110), u.Y(90)};
    label(Setup::idFolderColorLabel, "Folder colour");
    label(Setup::idFolderSoundLabel, "Folder sound");
    m.Needs[Setup::idFolderSound] = {text("Choose a file...") + u.X(6) + field, field};
    label(Setup::idLanguageLabel, "Language:");
    m.Needs[Setup::idLanguage] = {text("Nederlands") + u.X(6) + field, field};
    m.Needs[Setup::idOk] = {std::max(u.X(50), text("OK") + u.X(8)), field};
    m.Needs[Setup::idCancel] = {std::max(u.X(50), text("Cancel") + u.X(8)), field};
    m.Logo = {192, 56};
    return m;
}

TEST(SetupLayout, NothingOverlapsOrShrinksAndEachControlStaysInItsGroup) {
    struct {
        const char* Name;
        TLayoutUnits Units;
        double Scale;
    } const cases[] = {
        {"96 dpi", {6, 13}, 1.0},   {"120 dpi", {7, 16}, 1.0},   {"144 dpi", {9, 19}, 1.0},
        {"96 dpi, long texts", {6, 13}, 1.6}, {"144 dpi, long texts", {9, 19}, 1.6},
        {"a tiny font", {2, 4}, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TSetupMeasures m = Measures(c.Units, c.Scale);
        const TSetupLayout layout = LayoutSetupDialog(m);
        // Every control and group box has its place.
        EXPECT_EQ(2u + (Setup::idLanguage - Setup::idHintGroup + 1), layout.Rects.size());
        const TRect client(0, 0, layout.Client.Width, layout.Client.Height);
        for (const auto& [id, r] : layout.Rects) {
            SCOPED_TRACE(id);
            EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= client.Right && r.Bottom <= client.Bottom) << r;
            const auto need = m.Needs.find(id);
            if (need != m.Needs.end()) {
                const bool spin = id == Setup::idHintTimeEdit || id == Setup::idAwayMinutesEdit;
                EXPECT_GE(r.Right - r.Left + (spin ? m.UpDownWidth : 0), need->second.Width);
                EXPECT_GE(r.Bottom - r.Top, need->second.Height);
            }
            const auto group = layout.GroupOf.find(id);
            if (group != layout.GroupOf.end()) {
                // Inside the frame, below the caption.
                const TRect g = layout.Rects.at(group->second);
                EXPECT_TRUE(r.Left > g.Left && r.Right < g.Right && r.Top >= g.Top + c.Units.LineHeight &&
                            r.Bottom < g.Bottom)
                    << r << " in " << g;
            } else if (!IsGroup(id)) {
                const bool alone = id == Setup::idLogo || id == Setup::idOk || id == Setup::idCancel ||
                                   id == Setup::idLanguageLabel || id == Setup::idLanguage;
                EXPECT_TRUE(alone) << "no group";
            }
            for (const auto& [other, o] : layout.Rects) {
                if (other <= id) continue;
                // A group box overlaps only what it frames.
                const bool framed = (IsGroup(id) && layout.GroupOf.count(other) && layout.GroupOf.at(other) == id) ||
                                    (IsGroup(other) && layout.GroupOf.count(id) && layout.GroupOf.at(id) == other);
                if (!framed) {
                    EXPECT_FALSE(Overlap(r, o)) << id << " " << r << " and " << other << " " << o;
                }
            }
        }
    }
}

}  // namespace
}  // namespace test
}  // namespace pellumo
