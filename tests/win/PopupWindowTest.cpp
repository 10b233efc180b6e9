// The real popup window looked at as a user would: it comes up without
// taking the foreground, fades in to opaque, its labels say what the queued
// notification holds, the priority icon matches, a second notification waits
// for the first, and moves are stored and snapped. Needs a display (under
// Wine: Xvfb, see window-tests.sh); skipped without one.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win/Display.h"
#include "win/MessagePump.h"
#include "win/TestWindows.h"
#include "app/DesktopState_win.h"
#include "app/PopupWindow.h"
#include "settings/EdgeSnapping.h"

namespace pellumo {
namespace {

using test::DisplayUsable;
using test::Pump;
using test::PumpUntil;

std::string TextOf(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// The text as the window holds it, UTF-16.
std::wstring WideTextOf(HWND window) {
    wchar_t buffer[4096] = {};
    GetWindowTextW(window, buffer, sizeof buffer / sizeof buffer[0]);
    return buffer;
}

// The alpha of a layered window; -1 when it cannot be read.
int AlphaOf(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags) || !(flags & LWA_ALPHA)) return -1;
    return alpha;
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
    RECT r {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::unique_ptr<TNotification> Mail(const std::string& folder, const std::string& sender, const std::string& subject,
                                 const std::string& body, TMailPriority priority) {
    std::unique_ptr<TNotification> info(new TNotification);
    info->Folder = folder;
    info->Sender = sender;
    info->Subject = subject;
    info->Body = body;
    info->Priority = priority;
    return info;
}

// A plain window of the user's, in front before the popup comes.
class TUserWindow : public test::TUserWindow {
public:
    explicit TUserWindow(const char* className) : test::TUserWindow(className, 700, 500, 300, 200) {}
};

class PopupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DisplayUsable()) GTEST_SKIP() << "no display to show windows on";
        settings.HintTime = 1;
        settings.UseFading = true;
        settings.AutoHideHint = true;
        // Keep the pointer off the popup, or the countdown would hold it.
        SetCursorPos(1, 1);
        GetWorkAreas(workAreas);
        ASSERT_FALSE(workAreas.empty());
    }

    TPopupCycle::TInputs Inputs() {
        TPopupCycle::TInputs inputs;
        inputs.Settings = [this] { return settings; };
        inputs.StoreWindowRect = [this](const TRect& r) {
            stored = r;
            ++storeCount;
        };
        inputs.WorkAreas = [] {
            std::vector<TRect> areas;
            GetWorkAreas(areas);
            return areas;
        };
        inputs.DefaultRect = [this] { return defaultRect; };
        inputs.Snap = [](const TRect& r) {
            TRect snapped = r;
            SnapToWorkAreas(snapped);
            return snapped;
        };
        return inputs;
    }

    void Make(const TRect& bounds = TRect(100, 100, 400, 300)) {
        popup.reset(new TPopupWindow(queue, Inputs(), bounds));
        hwnd = static_cast<HWND>(popup->Handle());
        ASSERT_TRUE(hwnd);
    }
    HWND Control(int id) const { return GetDlgItem(hwnd, id); }
    bool Visible() const { return IsWindowVisible(hwnd) != FALSE; }
    TRect WindowBounds() const {
        RECT r {};
        GetWindowRect(hwnd, &r);
        return TRect(r.left, r.top, r.right, r.bottom);
    }
    void Click(int id) {
        const RECT r = ChildRect(Control(id));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(hwnd, WM_LBUTTONUP, 0, at);
    }

    TPopupSettings settings;
    std::vector<TRect> workAreas;
    TRect stored;
    int storeCount = 0;
    TRect defaultRect {500, 400, 800, 600};
    TNotificationQueue queue;
    std::unique_ptr<TPopupWindow> popup;
    HWND hwnd = nullptr;
};

TEST_F(PopupWindowTest, IsATopmostToolWindowThatNeverActivates) {
    Make();
    char caption[64] = {};
    GetWindowTextA(hwnd, caption, sizeof caption);
    EXPECT_STREQ("You've got new mail!", caption);
    const LONG_PTR ex = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(TRect(100, 100, 400, 300), WindowBounds());
    // Creating it at the stored place is no move of the user's.
    EXPECT_EQ(0, storeCount);

    // Minimum height 160: a smaller track size is refused.
    MINMAXINFO info {};
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(160, info.ptMinTrackSize.y);
}

TEST_F(PopupWindowTest, ComesUpWithoutTakingTheForegroundAndFadesInToOpaque) {
    TUserWindow user("PellumoTestUserWindow");
    ASSERT_TRUE(user.Hwnd());
    SetForegroundWindow(user.Hwnd());
    Pump(100);
    const HWND front = GetForegroundWindow();
    ASSERT_EQ(user.Hwnd(), front);

    Make();
    queue.Add(Mail("Inbox", "Alice Example", "Quarterly figures", "Hello Bob,\r\nthe figures are attached.", mpHigh));
    popup->ShowNextNotification();
    EXPECT_EQ(0u, queue.Count());
    // Pending: the texts are in, the window waits for the first tick.
    EXPECT_FALSE(Visible());

    std::vector<int> alphas;
    ASSERT_TRUE(PumpUntil([&] { return Visible() && AlphaOf(hwnd) == 255; }, 3000, [&] {
        if (Visible()) alphas.push_back(AlphaOf(hwnd));
    }));
    ASSERT_FALSE(alphas.empty());
    // It rose from nearly transparent, never falling on the way.
    EXPECT_LE(alphas.front(), 63);
    for (size_t i = 1; i < alphas.size(); ++i) EXPECT_GE(alphas[i], alphas[i - 1]) << "at sample " << i;
    EXPECT_EQ(front, GetForegroundWindow());
    EXPECT_NE(hwnd, GetForegroundWindow());
    EXPECT_NE(hwnd, GetActiveWindow());

    EXPECT_EQ("From : Alice Example", TextOf(Control(TPopupWindow::idSender)));
    EXPECT_EQ("Subject : Quarterly figures", TextOf(Control(TPopupWindow::idSubject)));
    EXPECT_EQ("(Inbox)", TextOf(Control(TPopupWindow::idFolder)));
    EXPECT_EQ("Hello Bob,\r\nthe figures are attached.", TextOf(Control(TPopupWindow::idMessageBody)));
}

// The system's preferences as the program reads them: with a screen reader
// running (set as assistive programs set it), the popup is there at once,
// opaque, without a fade, and still does not take the foreground.
TEST_F(PopupWindowTest, UnderAScreenReaderItAppearsAtOnceWithoutTheFocus) {
    BOOL before = FALSE;
    SystemParametersInfoW(SPI_GETSCREENREADER, 0, &before, 0);
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENREADER, TRUE, nullptr, 0));
    struct TRestore {
        BOOL was;
        ~TRestore() { SystemParametersInfoW(SPI_SETSCREENREADER, was, nullptr, 0); }
    } restore {before};
    EXPECT_TRUE(ReadSystemPreferences().ScreenReader);
    // The notification duration, where the system has one (Vista and later).
    const UINT kGetMessageDuration = 0x2016, kSetMessageDuration = 0x2017;
    ULONG duration = 0;
    if (SystemParametersInfoW(kGetMessageDuration, 0, &duration, 0)) {
        ASSERT_TRUE(SystemParametersInfoW(kSetMessageDuration, 0, reinterpret_cast<void*>(ULONG_PTR(17)), 0));
        EXPECT_EQ(17, ReadSystemPreferences().MessageDuration);
        SystemParametersInfoW(kSetMessageDuration, 0, reinterpret_cast<void*>(ULONG_PTR(duration)), 0);
    }

    TUserWindow user("PellumoTestUserWindow");
    SetForegroundWindow(user.Hwnd());
    Pump(100);
    const HWND front = GetForegroundWindow();
    TPopupCycle::TInputs inputs = Inputs();
    inputs.System = ReadSystemPreferences;
    popup.reset(new TPopupWindow(queue, inputs, TRect(100, 100, 400, 300)));
    hwnd = static_cast<HWND>(popup->Handle());
    queue.Add(Mail("Inbox", "Alice Example", "Quarterly figures", "Hello", mpNormal));
    popup->ShowNextNotification();
    ASSERT_TRUE(PumpUntil([&] { return Visible(); }, 3000));
    EXPECT_EQ(255, AlphaOf(hwnd)) << "faded in";
    EXPECT_EQ(front, GetForegroundWindow());
}

// The notification's UTF-8 reaches the labels as the same characters, in
// any script; a byte that is no UTF-8 costs no more than itself.
TEST_F(PopupWindowTest, LabelsShowTheTextInAnyScript) {
    settings.UseFading = false;
    Make();
    const struct {
        const char* what;
        const char *folder, *sender, *subject, *body;
        const wchar_t *folderShown, *senderShown, *subjectShown, *bodyShown;
    } cases[] = {
        {"Cyrillic", "Входящие", "Иван Петров", "Отчёт за квартал", "Привет!\r\nОтчёт во вложении.",
         L"(\u0412\u0445\u043e\u0434\u044f\u0449\u0438\u0435)",
         L"From : \u0418\u0432\u0430\u043d \u041f\u0435\u0442\u0440\u043e\u0432",
         L"Subject : \u041e\u0442\u0447\u0451\u0442 \u0437\u0430 \u043a\u0432\u0430\u0440\u0442\u0430\u043b",
         L"\u041f\u0440\u0438\u0432\u0435\u0442!\r\n\u041e\u0442\u0447\u0451\u0442 \u0432\u043e "
         L"\u0432\u043b\u043e\u0436\u0435\u043d\u0438\u0438."},
        {"Greek", "Εισερχόμενα", "Νίκος", "Καλημέρα", "Γεια σου κόσμε",
         L"(\u0395\u03b9\u03c3\u03b5\u03c1\u03c7\u03cc\u03bc\u03b5\u03bd\u03b1)",
         L"From : \u039d\u03af\u03ba\u03bf\u03c2", L"Subject : \u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1",
         L"\u0393\u03b5\u03b9\u03b1 \u03c3\u03bf\u03c5 \u03ba\u03cc\u03c3\u03bc\u03b5"},
        {"CJK and a character past 16 bits", "受信トレイ", "山田", "会議 😀", "よろしく",
         L"(\u53d7\u4fe1\u30c8\u30ec\u30a4)", L"From : \u5c71\u7530", L"Subject : \u4f1a\u8b70 \U0001F600",
         L"\u3088\u308d\u3057\u304f"},
    };
    for (const auto& c : cases) {
        queue.Add(Mail(c.folder, c.sender, c.subject, c.body, mpNormal));
        popup->ShowNextNotification();
        EXPECT_EQ(c.folderShown, WideTextOf(Control(TPopupWindow::idFolder))) << c.what;
        EXPECT_EQ(c.senderShown, WideTextOf(Control(TPopupWindow::idSender))) << c.what;
        EXPECT_EQ(c.subjectShown, WideTextOf(Control(TPopupWindow::idSubject))) << c.what;
        EXPECT_EQ(c.bodyShown, WideTextOf(Control(TPopupWindow::idMessageBody))) << c.what;
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
    }

    // Latin-1 bytes where UTF-8 belongs: the system replaces or leaves out
    // the bad bytes, and everything around them stays.
    queue.Add(Mail("Inbox", "Gr\xFC\xDF Gott", "Caf\xE9 menu", "", mpNormal));
    popup->ShowNextNotification();
    const std::wstring sender = WideTextOf(Control(TPopupWindow::idSender));
    EXPECT_EQ(L"From : Gr", sender.substr(0, 9));
    EXPECT_EQ(L" Gott", sender.substr(sender.size() < 5 ? 0 : sender.size() - 5));
    const std::wstring subject = WideTextOf(Control(TPopupWindow::idSubject));
    EXPECT_EQ(L"Subject : Caf", subject.substr(0, 13));
    EXPECT_EQ(L" menu", subject.substr(subject.size() < 5 ? 0 : subject.size() - 5));
}

// A body longer than its label shows what fits and ends in "…" at a word;
// a larger popup shows more, and all of it once it fits.
TEST_F(PopupWindowTest, LongBodyIsCutAtAWordWithAnEllipsis) {
    settings.UseFading = false;
    Make();
    std::wstring wideBody;
    std::string body;
    for (int i = 0; i < 40; ++i) {
        body += "Съешь же ещё этих мягких французских булок, да выпей чаю. ";
        wideBody += L"\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451 \u044d\u0442\u0438\u0445 "
                    L"\u043c\u044f\u0433\u043a\u0438\u0445 \u0444\u0440\u0430\u043d\u0446\u0443\u0437\u0441\u043a\u0438\u0445 "
                    L"\u0431\u0443\u043b\u043e\u043a, \u0434\u0430 \u0432\u044b\u043f\u0435\u0439 \u0447\u0430\u044e. ";
    }
    body += "Конец.";
    wideBody += L"\u041a\u043e\u043d\u0435\u0446.";
    queue.Add(Mail("Inbox", "A", "s", body, mpNormal));
    popup->ShowNextNotification();
    const HWND label = Control(TPopupWindow::idMessageBody);

    // Whether `text` fits the label, measured as the label draws it.
    auto fits = [&](const std::wstring& text) {
        RECT area {};
        GetClientRect(label, &area);
        HDC dc = GetDC(label);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        RECT needed {0, 0, area.right, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
                  DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        return needed.bottom <= area.bottom;
    };
    auto checkCut = [&](const char* when, size_t& length) {
        const std::wstring shown = WideTextOf(label);
        ASSERT_GT(shown.size(), 20u) << when;
        ASSERT_LT(shown.size(), wideBody.size()) << when;
        EXPECT_EQ(L'\u2026', shown.back()) << when;
        const std::wstring kept = shown.substr(0, shown.size() - 1);
        EXPECT_EQ(wideBody.substr(0, kept.size()), kept) << when;
        EXPECT_EQ(L' ', wideBody[kept.size()]) << when << ": cut at a word";
        EXPECT_TRUE(fits(shown)) << when;
        // The next word would not have fitted.
        const size_t next = wideBody.find(L' ', kept.size() + 1);
        EXPECT_FALSE(fits(wideBody.substr(0, next) + L"\u2026")) << when;
        length = shown.size();
    };
    size_t small = 0, large = 0;
    checkCut("300 x 200", small);
    SetWindowPos(hwnd, nullptr, 0, 0, 400, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    checkCut("400 x 400", large);
    EXPECT_GT(large, small);
    SetWindowPos(hwnd, nullptr, 0, 0, 1000, 900, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(wideBody, WideTextOf(label));
}

TEST_F(PopupWindowTest, LabelsSitWhereTheLayoutPutsThem) {
    Make();
    queue.Add(Mail("Inbox", "Alice", "Hi", "Body", mpNormal));
    popup->ShowNextNotification();
    RECT client {};
    GetClientRect(hwnd, &client);
    const RECT sender = ChildRect(Control(TPopupWindow::idSender));
    EXPECT_EQ(8, sender.left);
    EXPECT_EQ(4, sender.top);
    EXPECT_EQ(13, sender.bottom - sender.top);
    const RECT subject = ChildRect(Control(TPopupWindow::idSubject));
    EXPECT_EQ(8, subject.left);
    EXPECT_EQ(24, subject.top);
    EXPECT_EQ(client.right - 2, subject.right);
    const RECT body = ChildRect(Control(TPopupWindow::idMessageBody));
    EXPECT_EQ(8, body.left);
    EXPECT_EQ(64, body.top);
    // The folder label: as wide as its bold text, right edge 8 from the client's.
    const RECT folder = ChildRect(Control(TPopupWindow::idFolder));
    EXPECT_EQ(client.right - 8, folder.right);
    EXPECT_GT(folder.right - folder.left, 10);
    EXPECT_LT(folder.right - folder.left, 100);

    // Anchors: a wider, taller window stretches the body and moves the
    // folder's right edge; the sender keeps its left.
    SetWindowPos(hwnd, nullptr, 0, 0, 400, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client2 {};
    GetClientRect(hwnd, &client2);
    const RECT body2 = ChildRect(Control(TPopupWindow::idMessageBody));
    EXPECT_EQ(body.right + 100, body2.right);
    EXPECT_EQ(body.bottom + (client2.bottom - client.bottom), body2.bottom);
    EXPECT_EQ(client2.right - 8, ChildRect(Control(TPopupWindow::idFolder)).right);
    EXPECT_EQ(8, ChildRect(Control(TPopupWindow::idSender)).left);

    // A long folder label stops the sender short of it.
    popup->Cycle().CloseRequested();
    queue.Add(Mail("A folder with a rather long name indeed", "Alice", "Hi", "Body", mpNormal));
    popup->ShowNextNotification();
    EXPECT_LE(ChildRect(Control(TPopupWindow::idSender)).right, ChildRect(Control(TPopupWindow::idFolder)).left - 4);
}

TEST_F(PopupWindowTest, PriorityIconFollowsThePriority) {
    settings.UseFading = false;
    Make();
    const HWND image = Control(TPopupWindow::idPriorityIcon);
    const HWND subject = Control(TPopupWindow::idSubject);
    RECT client {};
    GetClientRect(hwnd, &client);

    queue.Add(Mail("Inbox", "A", "high", "", mpHigh));
    popup->ShowNextNotification();
    EXPECT_TRUE(IsWindowVisible(image) || !Visible());  // shown with the window
    EXPECT_TRUE(GetWindowLongPtrA(image, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(popup->ProgramIcon(2), reinterpret_cast<void*>(SendMessageA(image, STM_GETICON, 0, 0)));
    EXPECT_EQ(22, ChildRect(subject).left);
    EXPECT_EQ(client.right - 2, ChildRect(subject).right);
    const RECT icon = ChildRect(image);
    EXPECT_EQ(2, icon.left);
    EXPECT_EQ(22, icon.top);
    EXPECT_EQ(16, icon.right - icon.left);
    EXPECT_EQ(16, icon.bottom - icon.top);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);

    queue.Add(Mail("Inbox", "A", "low", "", mpLow));
    popup->ShowNextNotification();
    EXPECT_TRUE(GetWindowLongPtrA(image, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(popup->ProgramIcon(3), reinterpret_cast<void*>(SendMessageA(image, STM_GETICON, 0, 0)));
    EXPECT_EQ(22, ChildRect(subject).left);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);

    queue.Add(Mail("Inbox", "A", "normal", "", mpNormal));
    popup->ShowNextNotification();
    EXPECT_FALSE(GetWindowLongPtrA(image, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(8, ChildRect(subject).left);
    EXPECT_EQ(client.right - 2, ChildRect(subject).right);
}

TEST_F(PopupWindowTest, SecondNotificationOnlyAfterTheFirstHasGone) {
    Make();
    queue.Add(Mail("Inbox", "First", "one", "", mpNormal));
    queue.Add(Mail("Inbox", "Second", "two", "", mpNormal));
    popup->ShowNextNotification();
    // Calling again while the first is up changes nothing.
    popup->ShowNextNotification();
    EXPECT_EQ(1u, queue.Count());
    EXPECT_EQ("From : First", TextOf(Control(TPopupWindow::idSender)));

    bool firstOpaque = false, firstFading = false, firstHidden = false;
    int secondFirstAlpha = -2;
    bool secondVisible = false;
    ASSERT_TRUE(PumpUntil([&] { return secondVisible && AlphaOf(hwnd) == 255; }, 8000, [&] {
        const bool first = TextOf(Control(TPopupWindow::idSender)) == "From : First";
        const int alpha = AlphaOf(hwnd);
        if (first) {
            EXPECT_EQ(1u, queue.Count());
            if (Visible() && alpha == 255) firstOpaque = true;
            if (firstOpaque && Visible() && alpha < 255) firstFading = true;
            if (firstFading && !Visible()) firstHidden = true;
        } else if (Visible()) {
            if (secondFirstAlpha == -2) secondFirstAlpha = alpha;
            secondVisible = true;
        } else if (secondFirstAlpha == -2) {
            // The first went out together with the second's texts coming in.
            firstHidden = true;
        }
    }));
    EXPECT_TRUE(firstOpaque);
    EXPECT_TRUE(firstFading);
    EXPECT_TRUE(firstHidden);
    EXPECT_EQ("From : Second", TextOf(Control(TPopupWindow::idSender)));
    // The second starts its own fade from the bottom.
    EXPECT_LE(secondFirstAlpha, 63);
    EXPECT_EQ(0u, queue.Count());
}

TEST_F(PopupWindowTest, CloseButtonHidesAndDiscardsTheQueue) {
    settings.UseFading = false;
    Make();
    queue.Add(Mail("Inbox", "First", "one", "", mpNormal));
    queue.Add(Mail("Inbox", "Second", "two", "", mpNormal));
    popup->ShowNextNotification();
    ASSERT_TRUE(PumpUntil([&] { return Visible(); }, 2000));
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(IsWindow(hwnd));  // hidden, not destroyed
    EXPECT_EQ(0u, queue.Count());
    EXPECT_FALSE(popup->Cycle().Showing());
}

TEST_F(PopupWindowTest, BodyClickBringsOutlookExpressForward) {
    settings.AutoHideHint = false;  // held, so only the click takes it away
    settings.UseFading = false;
    TUserWindow user("PellumoTestUserWindow");
    SetForegroundWindow(user.Hwnd());
    Make();
    queue.Add(Mail("Inbox", "First", "one", "", mpNormal));
    queue.Add(Mail("Inbox", "Second", "two", "", mpNormal));
    popup->ShowNextNotification();
    ASSERT_TRUE(PumpUntil([&] { return Visible() && AlphaOf(hwnd) == 255; }, 2000));

    // No Outlook Express: the click does nothing.
    Click(TPopupWindow::idMessageBody);
    Pump(100);
    EXPECT_TRUE(Visible());

    {
        TUserWindow outlook("Outlook Express Browser Class");
        ASSERT_TRUE(outlook.Hwnd());
        SetForegroundWindow(user.Hwnd());
        Pump(50);
        // A click elsewhere than on the body is no body click.
        Click(TPopupWindow::idSender);
        Pump(50);
        EXPECT_TRUE(Visible());
        Click(TPopupWindow::idMessageBody);
        Pump(20);  // less than a tick: the next has not come up yet
        EXPECT_FALSE(Visible());
        EXPECT_EQ(outlook.Hwnd(), GetForegroundWindow());
        // The rest follows a tick later, as after a fade-out.
        EXPECT_TRUE(PumpUntil([&] { return popup->Cycle().Showing(); }, 1000));
        EXPECT_EQ(0u, queue.Count());
    }
}

TEST_F(PopupWindowTest, WindowRectFollowsMoves) {
    Make();
    SetWindowPos(hwnd, nullptr, 150, 120, 320, 210, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(TRect(150, 120, 470, 330), stored);
    MoveWindow(hwnd, 160, 130, 300, 200, FALSE);
    EXPECT_EQ(TRect(160, 130, 460, 330), stored);
    // Outside a size-move loop nothing is snapped.
    const TRect& wa = workAreas[0];
    SetWindowPos(hwnd, nullptr, wa.Right - 300 - 10, wa.Top + 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(TRect(wa.Right - 310, wa.Top + 5, wa.Right - 10, wa.Top + 205), WindowBounds());
    EXPECT_EQ(WindowBounds(), stored);
}

TEST_F(PopupWindowTest, SnapsOntoWorkAreaEdgesWhileMoving) {
    Make();
    const TRect& wa = workAreas[0];
    SendMessageA(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_TRUE(popup->Cycle().Moving());
    // Dragged to 10 short of the right edge and 7 below the top: flush.
    SetWindowPos(hwnd, nullptr, wa.Right - 300 - 10, wa.Top + 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(TRect(wa.Right - 300, wa.Top, wa.Right, wa.Top + 200), WindowBounds());
    EXPECT_EQ(WindowBounds(), stored);
    // Resized near the left edge: shifted onto it, the size as dragged.
    SetWindowPos(hwnd, nullptr, wa.Left + 8, wa.Top + 300, 280, 190, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(TRect(wa.Left, wa.Top + 300, wa.Left + 280, wa.Top + 490), WindowBounds());
    // A size change alone near the bottom edge moves the whole window down.
    SetWindowPos(hwnd, nullptr, 0, 0, 280, wa.Bottom - (wa.Top + 300) - 9, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(TRect(wa.Left, wa.Top + 309, wa.Left + 280, wa.Bottom), WindowBounds());
    SendMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_FALSE(popup->Cycle().Moving());
    SetWindowPos(hwnd, nullptr, wa.Left + 8, wa.Top + 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(wa.Left + 8, WindowBounds().Left);
}

TEST_F(PopupWindowTest, OffScreenPopupComesBackToTheDefaultPlace) {
    Make(TRect(-5000, -5000, -4700, -4800));
    queue.Add(Mail("Inbox", "A", "s", "", mpNormal));
    popup->ShowNextNotification();
    EXPECT_EQ(defaultRect, WindowBounds());
    EXPECT_EQ(defaultRect, stored);
}

TEST_F(PopupWindowTest, PointerEnteringDuringTheFadeInMakesItOpaqueAtOnce) {
    settings.HintTime = 30;
    Make();
    queue.Add(Mail("Inbox", "A", "s", "", mpNormal));
    popup->ShowNextNotification();
    ASSERT_TRUE(PumpUntil([&] { return Visible(); }, 2000));
    ASSERT_LT(AlphaOf(hwnd), 255);
    const TRect r = WindowBounds();
    SetCursorPos((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    // Far less than the 650 ms the fade would take by itself.
    const DWORD start = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return AlphaOf(hwnd) == 255; }, 2000));
    EXPECT_LT(GetTickCount() - start, 400u);
    EXPECT_EQ(TPopupCycle::TPhase::CountingDown, popup->Cycle().Phase());

    // The body label underlines while the pointer is on it.
    const HWND body = Control(TPopupWindow::idMessageBody);
    auto underlined = [&] {
        LOGFONTA font {};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(body, WM_GETFONT, 0, 0)), sizeof font, &font);
        return font.lfUnderline != 0;
    };
    RECT s {};
    GetWindowRect(Control(TPopupWindow::idSender), &s);
    SetCursorPos((s.left + s.right) / 2, (s.top + s.bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return !underlined(); }, 1000));
    RECT b {};
    GetWindowRect(body, &b);
    SetCursorPos((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    EXPECT_TRUE(PumpUntil(underlined, 1000));
    SetCursorPos(1, 1);
    EXPECT_TRUE(PumpUntil([&] { return !underlined(); }, 1000));
}

// Keeps a high-priority notification on screen for a screenshot (window-tests.sh):
// writes the file named by PELLUMO_SHOT once it is opaque, then holds
// it for a few seconds. Skipped unless that variable is set.
TEST(PopupScreenshot, HighPriority) {
    const char* marker = test::ScreenshotMarker();
    if (!marker) GTEST_SKIP() << "PELLUMO_SHOT not set, or no display to show windows on";
    TNotificationQueue queue;
    TPopupCycle::TInputs inputs;
    inputs.Settings = [] {
        TPopupSettings s;
        s.AutoHideHint = false;
        return s;
    };
    // As large as the fonts at the screen's DPI.
    const int32_t width = ScaledToScreen(300), height = ScaledToScreen(200);
    TPopupWindow popup(queue, inputs, TRect(620 - width, 380, 620, 380 + height));
    const HWND hwnd = static_cast<HWND>(popup.Handle());
    // Greek and Cyrillic, and a body longer than the popup shows.
    queue.Add(Mail("Входящие", "Νίκος Παπαδόπουλος", "Квартальный отчёт к пятнице",
                   "Здравствуйте, Борис!\r\n\r\nКвартальный отчёт во вложении. Посмотрите его, пожалуйста, до "
                   "встречи в пятницу: итоги на третьей странице ещё ждут вашей подписи. После этого отчёт уйдёт "
                   "в бухгалтерию, а копия останется в архиве отдела.\r\n\r\nСпасибо, Никос",
                   mpHigh));
    popup.ShowNextNotification();
    // Beside it, the same in high contrast, as a user who reads in it sees it.
    TNotificationQueue contrastQueue;
    TPopupCycle::TInputs contrast = inputs;
    contrast.System = [] {
        TSystemPreferences system;
        system.HighContrast = true;
        return system;
    };
    TPopupWindow contrastPopup(contrastQueue, contrast, TRect(660, 380, 660 + width, 380 + height));
    contrastQueue.Add(Mail("Inbox", "Alice Example", "Quarterly figures", "Hello Bob,\r\nthe figures are attached.",
                           mpHigh));
    contrastPopup.ShowNextNotification();
    const HWND contrastHwnd = static_cast<HWND>(contrastPopup.Handle());
    ASSERT_TRUE(PumpUntil([&] {
        return IsWindowVisible(hwnd) && AlphaOf(hwnd) == 255 && IsWindowVisible(contrastHwnd);
    }, 3000));
    Pump(300);
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    Pump(4000);
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

}  // namespace
}  // namespace pellumo
