// The setup dialog's arrangement from measured sizes: at the screen's usual
// font sizes and with texts as long as a translation makes them, nothing
// overlaps, nothing is smaller than it needs, and every control stays inside
// its group and the dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/SetupDialog.h"
#include "settings/SetupLayout.h"
#include "settings/SetupTexts.h"
#include "platform/Utf8Text.h"
#include "texts/Language.h"

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
           id == Setup::idFoldersGroup || id == Setup::idRulesGroup;
}

// A text's width in a font of `u`: a Latin or Cyrillic letter a character
// width, an East Asian one two; "&" draws nothing.
int32_t TextWidth(const std::string& s, const TLayoutUnits& u, double scale) {
    double width = 0;
    for (size_t i = 0; i < s.size();) {
        const size_t length = std::max<size_t>(1, Utf8CharacterLength(s.data() + i, s.size() - i));
        const unsigned char lead = static_cast<unsigned char>(s[i]);
        if (lead != '&') width += length == 3 && lead >= 0xE3 ? 2 : 1;
        i += length;
    }
    return static_cast<int32_t>(width * scale * u.CharWidth + 0.5);
}

// What the window side would measure in the language in use: its texts
// `scale` times their width in a font of `units`, with a check box's box, a
// field's frame; the logo drawn for `dpi`.
TSetupMeasures Measures(TLayoutUnits u, double scale, int dpi = 96) {
    TSetupMeasures m;
    m.Units = u;
    auto text = [&](const std::string& s) { return TextWidth(s, u, scale); };
    const int32_t box = u.LineHeight, field = u.Y(14);
    for (int id : {Setup::idAutoHideHint, Setup::idUseFading, Setup::idDisplayWhenOEActive, Setup::idSummarizeBursts,
                   Setup::idPlaySound, Setup::idQuietFullScreen, Setup::idStartWithWindows, Setup::idShowUnreadCount,
                   Setup::idHoldWhileAway})
        m.Needs[id] = {box + u.X(4) + text(SetupText(id)), std::max(u.Y(10), box + 2)};
    for (int id : {Setup::idHintTimeLabel, Setup::idBeginColorLabel, Setup::idEndColorLabel, Setup::idShowAgainLabel,
                   Setup::idShowAgainTaken, Setup::idFolderColorLabel, Setup::idFolderSoundLabel, Setup::idLanguageLabel,
                   Setup::idRuleLabel, Setup::idRuleHint, Setup::idNeverLabel, Setup::idAlwaysLabel})
        m.Needs[id] = {text(SetupText(id)), u.LineHeight};
    m.UpDownWidth = u.Y(14) * 2 / 3;
    m.Needs[Setup::idHintTimeEdit] = {text("1800") + u.X(6) + m.UpDownWidth, field};
    m.Needs[Setup::idBeginColor] = m.Needs[Setup::idEndColor] = m.Needs[Setup::idFolderColor] = {
        2 * u.LineHeight + text(Text(TText::ColorActiveBorder)) + field, field};
    m.Needs[Setup::idShowAgainHotkey] = {text("Ctrl + Shift + Alt + Scroll Lock") + u.X(6), field};
    m.Needs[Setup::idAwayMinutesEdit] = {text("240") + u.X(6) + m.UpDownWidth, field};
    m.Needs[Setup::idFolderTree] = {u.X(110), u.Y(100)};
    m.Needs[Setup::idFolderSound] = {text(Text(TText::SoundChoose)) + u.X(6) + field, field};
    m.Needs[Setup::idLanguage] = {text("Português (Brasil)") + u.X(6) + field, field};
    m.Needs[Setup::idRuleEdit] = {u.X(100), field};
    m.Needs[Setup::idNeverList] = m.Needs[Setup::idAlwaysList] = {u.X(110), u.Y(40)};
    for (int id : {Setup::idOk, Setup::idCancel, Setup::idShowSample, Setup::idNeverAdd, Setup::idNeverChange,
                   Setup::idNeverRemove, Setup::idAlwaysAdd, Setup::idAlwaysChange, Setup::idAlwaysRemove})
        m.Needs[id] = {std::max(u.X(50), text(SetupText(id)) + u.X(10)), field};
    int32_t tabs = 0;
    for (int page = 0; page < Setup::kPageCount; ++page) tabs += text(SetupPageName(page)) + u.X(8);
    m.Needs[Setup::idPages] = {tabs, u.LineHeight + u.Y(6)};
    m.PageFrame = TRect(2, u.LineHeight + u.Y(6) + 2, 4, 4);
    m.Logo = {192 * dpi / 96, 56 * dpi / 96};
    return m;
}

// In every language at the usual DPIs the dialog fits the screens of its
// day: 800 x 600, 1024 x 768 at 120 DPI, 1280 x 1024 at 144, each less its
// taskbar. Nothing overlaps on a page, nothing is smaller than it needs,
// every control stays inside its group and its page inside the tab control.
TEST(SetupLayout, NothingOverlapsOrShrinksAndEachControlStaysInItsGroup) {
    struct TCase {
        std::string Name;
        TLayoutUnits Units;
        double Scale;
        int Dpi;
        TLayoutSize Limit;  // of the window with its frame; 0: none
    };
    std::vector<TCase> cases = {
        {"96 dpi, long texts", {6, 13}, 1.6, 96, {}},
        {"144 dpi, long texts", {9, 19}, 1.6, 144, {}},
        {"a tiny font", {2, 4}, 1.0, 96, {}},
    };
    for (const TLanguage& language : Languages()) {
        cases.push_back({language.Tag() + " at 96 dpi", {6, 13}, 1.0, 96, {800, 570}});
        cases.push_back({language.Tag() + " at 120 dpi", {7, 16}, 1.0, 120, {1024, 738}});
        cases.push_back({language.Tag() + " at 144 dpi", {9, 19}, 1.0, 144, {1280, 994}});
    }
    struct TSpeakEnglishAfter {
        ~TSpeakEnglishAfter() { SetUserLanguage("en"); }
    } after;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const size_t space = c.Name.find(' ');
        SetUserLanguage(c.Limit.Width ? c.Name.substr(0, space) : "en");
        const TSetupMeasures m = Measures(c.Units, c.Scale, c.Dpi);
        const TSetupLayout layout = LayoutSetupDialog(m);
        if (c.Limit.Width) {
            // A caption and a dialog frame as XP's own theme draws them.
            const int32_t frame = 3 * c.Dpi / 96, caption = 26 * c.Dpi / 96;
            EXPECT_LE(layout.Client.Width + 2 * frame, c.Limit.Width);
            EXPECT_LE(layout.Client.Height + 2 * frame + caption, c.Limit.Height);
        }
        // Every control and group box has its place.
        EXPECT_EQ(2u + (Setup::idAlwaysRemove - Setup::idHintGroup + 1), layout.Rects.size());
        const TRect client(0, 0, layout.Client.Width, layout.Client.Height);
        const TRect tabs = layout.Rects.at(Setup::idPages);
        const TRect pageArea(tabs.Left + m.PageFrame.Left, tabs.Top + m.PageFrame.Top, tabs.Right - m.PageFrame.Right,
                             tabs.Bottom - m.PageFrame.Bottom);
        EXPECT_GE(tabs.Right - tabs.Left, m.Needs.at(Setup::idPages).Width) << "every tab in one row";
        for (const auto& [id, r] : layout.Rects) {
            SCOPED_TRACE(id);
            EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= client.Right && r.Bottom <= client.Bottom) << r;
            const auto need = m.Needs.find(id);
            if (need != m.Needs.end()) {
                const bool spin = id == Setup::idHintTimeEdit || id == Setup::idAwayMinutesEdit;
                EXPECT_GE(r.Right - r.Left + (spin ? m.UpDownWidth : 0), need->second.Width);
                EXPECT_GE(r.Bottom - r.Top, need->second.Height);
            }
            const auto page = layout.PageOf.find(id);
            if (page != layout.PageOf.end()) {
                EXPECT_TRUE(r.Left > pageArea.Left && r.Right < pageArea.Right && r.Top > pageArea.Top &&
                            r.Bottom < pageArea.Bottom)
                    << r << " on a page in " << pageArea;
            } else {
                const bool common = id == Setup::idPages || id == Setup::idOk || id == Setup::idCancel ||
                                    id == Setup::idLanguageLabel || id == Setup::idLanguage;
                EXPECT_TRUE(common) << "on no page";
            }
            const auto group = layout.GroupOf.find(id);
            if (group != layout.GroupOf.end()) {
                // Inside the frame, below the caption, on the frame's page.
                const TRect g = layout.Rects.at(group->second);
                EXPECT_TRUE(r.Left > g.Left && r.Right < g.Right && r.Top >= g.Top + c.Units.LineHeight &&
                            r.Bottom < g.Bottom)
                    << r << " in " << g;
                EXPECT_EQ(layout.PageOf.at(group->second), layout.PageOf.at(id));
            } else if (!IsGroup(id)) {
                const bool alone = id == Setup::idLogo || id == Setup::idShowSample || id == Setup::idOk ||
                                   id == Setup::idCancel || id == Setup::idLanguageLabel ||
                                   id == Setup::idLanguage || id == Setup::idPages;
                EXPECT_TRUE(alone) << "no group";
            }
            for (const auto& [other, o] : layout.Rects) {
                if (other <= id || id == Setup::idPages || other == Setup::idPages) continue;
                // Controls of two pages are never seen together.
                const auto otherPage = layout.PageOf.find(other);
                if (page != layout.PageOf.end() && otherPage != layout.PageOf.end() && page->second != otherPage->second)
                    continue;
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

// The dialog opens centred on the work area that holds the notification
// area, and one larger than it with its caption on it.
TEST(SetupLayout, OpensCentredOnTheWorkAreaAndNeverAboveOrLeftOfIt) {
    const struct {
        TRect Area;
        TLayoutSize Outer;
        TRect Expected;
    } cases[] = {
        {{0, 0, 800, 570}, {600, 400}, {100, 85, 700, 485}},
        {{1280, 30, 2304, 768}, {500, 300}, {1542, 249, 2042, 549}},  // a second monitor, taskbar at the top
        {{0, 0, 800, 570}, {900, 600}, {0, 0, 900, 600}},
        {{-1024, 0, 0, 738}, {1024, 738}, {-1024, 0, 0, 738}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.Expected, CentredOn(c.Area, c.Outer)) << c.Expected;
}

}  // namespace
}  // namespace test
}  // namespace pellumo
