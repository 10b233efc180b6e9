// The popup's window: a topmost, never-activated tool window whose client
// area is the gradient panel, with STATIC labels drawn transparently over it
// (real child windows, so screen readers can read what the popup says). The
// labels pass the mouse through to the window (statics without SS_NOTIFY hit
// test as transparent), so one window procedure sees every move and click.
#include "app/PopupWindow.h"

#include <windows.h>
#include <windowsx.h>
#include <mmsystem.h>

#include <algorithm>
#include <cwchar>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "app/NewMailSound.h"
#include "app/PopupAccessible_win.h"
#include "app/PopupMenu_win.h"
#include "controls/GradientPanel.h"
#include "controls/GradientPanelPaint.h"
#include "platform/Exception.h"
#include "platform/Log.h"
#include "texts/Language.h"
#include "platform/WideText_win.h"
#include "platform/Window_win.h"

namespace pellumo {

const char* const TPopupWindow::kClassName = "TfrmMornelle";

namespace {

const UINT_PTR kDisplayTimerId = 1;
const wchar_t kOutlookExpressClass[] = L"Outlook Express Browser Class";

// 8 point in "Microsoft Sans Serif", the TrueType twin of the designed
// "MS Sans Serif": the same letters, but where the bitmap face holds only the
// system's Western code page, this one holds Greek, Cyrillic, Hebrew, Arabic
// and Thai, and the system links it to its East Asian fonts.
const wchar_t kFontFace[] = L"Microsoft Sans Serif";

TRect ToRect(const RECT& r) { return TRect(r.left, r.top, r.right, r.bottom); }

// The client point of a mouse message (signed: captured moves go negative).
POINT PointOf(LPARAM lParam) {
    return POINT {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

class TPopupWindow::TImpl : public TWindow, public IPopupView {
public:
    TImpl(TNotificationQueue& queue, TPopupCycle::TInputs inputs, const TRect& bounds);
    ~TImpl() override;

    TPopupCycle& Cycle() { return cycle_; }
    bool TakeKeyboard();
    std::function<void(const TRuleChoice&)> RuleChosen;
    HICON Icon(int index) const { return index >= 0 && index < kProgramIconCount ? icons_[index].Get() : nullptr; }

    // IPopupView
    void SetAlpha(uint8_t alpha) override { SetLayeredWindowAttributes(Hwnd(), 0, alpha, LWA_ALPHA); }
    void ShowNoActivate() override {
        SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    void Hide() override {
        ShowWindow(Hwnd(), SW_HIDE);
        // The next showing starts with the pointer outside, so entering
        // again counts.
        SetHover(nullptr);
    }
    void SetTexts(const std::string& folderLine, const std::string& senderLine, const std::string& subjectLine,
                  const std::string& body, bool bodyIsList) override;
    void SetFolderLine(const std::string& folderLine) override;
    void SetPriorityIcon(int imageIndex) override;
    void SetSubjectBounds(int32_t left, int32_t width) override;
    void SetColors(const TPopupColors& colors) override;
    void Announce(const std::string& name, const std::string& description) override {
        accessible_.SetTexts(name, description);
        TPopupAccessible::RaiseAlert(Hwnd());
    }
    TPopupMetrics Metrics() override { return metrics_; }
    int32_t PanelWidth() override { return ClientSize().cx; }
    TRect Bounds() override;
    void SetBounds(const TRect& bounds) override;
    bool PointerInside() override;
    void StartTimer(int32_t interval) override { SetTimer(Hwnd(), kDisplayTimerId, interval, nullptr); }
    void StopTimer() override { KillTimer(Hwnd(), kDisplayTimerId); }
    bool FindOutlookExpress() override {
        outlookExpress_ = FindWindowW(kOutlookExpressClass, nullptr);
        return outlookExpress_ != nullptr;
    }
    void ForegroundOutlookExpress() override;
    void PlayNewMailSound(const std::string& folderSound) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    SIZE ClientSize() const;
    HWND Control(int id) const { return GetDlgItem(Hwnd(), id); }
    HWND MakeLabel(int id, DWORD style, HFONT font);
    void Layout();
    // The body label's text: the body, cut to what its label shows.
    void FitBody();
    void Redraw() { RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW); }
    // The window or the control under the pointer; null when outside.
    HWND ControlAtPointer() const;
    // The control at a client point, or the window itself.
    HWND ControlAt(POINT client) const;
    void PointerMoved(bool nonClient);
    void PointerLeft();
    void SetHover(HWND control);
    void Paint(HDC dc);
    void WindowPosChanging(WINDOWPOS& pos);
    // The context menu, at `where` (WM_CONTEXTMENU's: screen pixels, or -1 from the keyboard).
    void OpenRuleMenu(LPARAM where);

    TPopupCycle cycle_;
    TGradientPanel panel_;
    TPopupColors colors_;
    TPopupAccessible accessible_;
    TNewMailSounds sounds_;
    TFont normalFont_, boldFont_, underlineFont_;
    TPopupMetrics metrics_;
    TIcon icons_[kProgramIconCount];
    HWND outlookExpress_ = nullptr;
    HWND hover_ = nullptr;         // where the pointer was last seen, null outside
    bool bodyPressed_ = false;     // the left button went down on the body label
    bool subjectBold_ = false;
    bool live_ = false;            // false while being created and destroyed
    std::string folderLine_;
    std::string body_;
    bool bodyIsList_ = false;  // cut between lines, not words
    bool bodyFitted_ = false;  // the body label shows body_ fitted to bodyFitSize_
    SIZE bodyFitSize_ {0, 0};
    int32_t subjectLeft_ = 8;
    int32_t subjectRightMargin_ = 2;
};

TPopupWindow::TImpl::TImpl(TNotificationQueue& queue, TPopupCycle::TInputs inputs, const TRect& bounds)
    : cycle_(*this, queue, std::move(inputs)) {
    // As large as the system's own text at its DPI, and the icons with it.
    normalFont_ = CreatePointFont(kFontFace, 8);
    boldFont_ = CreatePointFont(kFontFace, 8, true);
    underlineFont_ = CreatePointFont(kFontFace, 8, false, true);
    metrics_.LineHeight = MeasureText(nullptr, normalFont_.Get(), "Ag", SIZE {0, metrics_.LineHeight}).cy;
    metrics_.IconSize = GetSystemMetrics(SM_CXSMICON);
    subjectLeft_ = metrics_.Scaled(8);
    subjectRightMargin_ = metrics_.Scaled(2);
    for (int i = 0; i < kProgramIconCount; ++i)
        icons_[i] = TIcon(static_cast<HICON>(DrawProgramIcon(i, false, metrics_.IconSize)));

    panel_.SetKind(pkGradient);
    panel_.SetGradientStyle(gsTopToBottom);
    panel_.SetBeginColor(clGradientActiveCaption);
    panel_.SetEndColor(clWhite);

    // A Unicode window: its labels show any script the font has.
    const std::wstring className = WideFromUtf8(kClassName);
    RegisterWindowClass(className.c_str(), TWindowKind::Plain, LoadCursor(nullptr, IDC_ARROW),
                        TText::CannotRegisterPopupClass);
    // Never activated: showing, clicking or dragging it leaves the focus
    // with the user's window. Layered from the start for the fades.
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_LAYERED;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    // Should a step below throw, the base's destructor takes the window.
    Create(className.c_str(), TWindowKind::Plain, exStyle, WideFromUtf8(Text(TText::PopupCaption)), style, bounds.Left, bounds.Top,
           bounds.Right - bounds.Left, bounds.Bottom - bounds.Top, nullptr, nullptr, TText::CannotCreatePopupWindow);
    // A layered window stays invisible until its attributes are set.
    SetAlpha(255);
    MakeLabel(idSender, SS_LEFTNOWORDWRAP | SS_NOPREFIX, boldFont_.Get());
    MakeLabel(idFolder, SS_RIGHT | SS_NOPREFIX, boldFont_.Get());
    MakeLabel(idSubject, SS_LEFTNOWORDWRAP | SS_NOPREFIX, normalFont_.Get());
    MakeLabel(idPriorityIcon, SS_ICON, nullptr);
    // Word-wrapped, and drawn as FitBody measures it: like an edit
    // control, a word wider than the label is broken and no line shows
    // in part.
    MakeLabel(idMessageBody, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, normalFont_.Get());
    ShowWindow(Control(idPriorityIcon), SW_HIDE);
    Layout();
    live_ = true;
}

TPopupWindow::TImpl::~TImpl() {
    live_ = false;
    if (Hwnd()) KillTimer(Hwnd(), kDisplayTimerId);
    // Gone before the fonts and icons its labels show.
    Destroy();
}

HWND TPopupWindow::TImpl::MakeLabel(int id, DWORD style, HFONT font) {
    HWND control = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, Hwnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!control) throw Exception(TText::CannotCreatePopupLabels);
    if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

SIZE TPopupWindow::TImpl::ClientSize() const {
    RECT r {};
    GetClientRect(Hwnd(), &r);
    return SIZE {r.right - r.left, r.bottom - r.top};
}

// The anchors: every label keeps its left and top; those anchored right keep
// their distance to the right edge, the body label also to the bottom.
void TPopupWindow::TImpl::Layout() {
    const SIZE client = ClientSize();
    auto place = [&](int id, const TRect& r) { MoveWindow(Control(id), r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top, FALSE); };
    // The folder label is as wide as its text, cut to the room the line has
    // for it (a summary may count many folders).
    auto width = [&](const std::string& text) {
        return text.empty() ? 0 : MeasureText(Hwnd(), boldFont_.Get(), text, SIZE {0, 0}).cx;
    };
    const int32_t room = FolderLineRoom(client.cx, metrics_);
    int32_t folderWidth = width(folderLine_);
    std::string folderShown = folderLine_;
    if (folderWidth > room) {
        folderShown = FitWithEllipsis(folderLine_, [&](const std::string& text) { return width(text) <= room; });
        folderWidth = width(folderShown);
    }
    SetWindowTextUtf8(Control(idFolder), folderShown);
    const TPopupLayout layout =
        LayoutPopup(client.cx, client.cy, metrics_, folderWidth, subjectLeft_, subjectRightMargin_);
    place(idFolder, layout.Folder);
    place(idSender, layout.Sender);
    place(idSubject, layout.Subject);
    place(idPriorityIcon, layout.Icon);
    place(idMessageBody, layout.Body);
    FitBody();
}

void TPopupWindow::TImpl::FitBody() {
    const HWND body = Control(idMessageBody);
    RECT area {};
    GetClientRect(body, &area);
    const SIZE size {area.right - area.left, area.bottom - area.top};
    if (bodyFitted_ && size.cx == bodyFitSize_.cx && size.cy == bodyFitSize_.cy) return;
    std::string shown = body_;
    const TWindowDC windowDc(body);
    if (const HDC dc = windowDc.Get()) {
        // The label's own font: the underline it gets under the pointer
        // changes no width, so the fit holds while it comes and goes.
        const TSelection font(dc, reinterpret_cast<HFONT>(SendMessageW(body, WM_GETFONT, 0, 0)));
        const auto fit = bodyIsList_ ? FitLinesWithEllipsis : FitWithEllipsis;
        shown = fit(body_, [&](const std::string& text) {
            const std::wstring wide = WideFromUtf8(text);
            RECT needed {0, 0, size.cx, 0};
            // The flags the label draws SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL with.
            DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &needed,
                      DT_CALCRECT | DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
            return needed.bottom - needed.top <= size.cy;
        });
    }
    SetWindowTextUtf8(body, shown);
    bodyFitted_ = true;
    bodyFitSize_ = size;
}

void TPopupWindow::TImpl::SetTexts(const std::string& folderLine, const std::string& senderLine,
                                   const std::string& subjectLine, const std::string& body, bool bodyIsList) {
    folderLine_ = folderLine;
    SetWindowTextUtf8(Control(idSender), senderLine);
    SetWindowTextUtf8(Control(idSubject), subjectLine);
    // Layout fits the body to its label.
    body_ = body;
    bodyIsList_ = bodyIsList;
    bodyFitted_ = false;
    if (!subjectBold_) {
        SendMessageW(Control(idSubject), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.Get()), FALSE);
        subjectBold_ = true;
    }
    Layout();
    // Transparent labels do not erase what they drew before; the panel
    // under them must be painted again.
    Redraw();
}

void TPopupWindow::TImpl::SetFolderLine(const std::string& folderLine) {
    folderLine_ = folderLine;
    // The label is as wide as its text; the panel under the old text is
    // painted again.
    Layout();
    Redraw();
}

void TPopupWindow::TImpl::SetPriorityIcon(int imageIndex) {
    const HWND image = Control(idPriorityIcon);
    const HICON icon = Icon(imageIndex);
    if (!icon) {
        ShowWindow(image, SW_HIDE);
        return;
    }
    SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    // STM_SETICON sizes the control to the icon; the layout's place it is.
    Layout();
    ShowWindow(image, SW_SHOWNA);
}

void TPopupWindow::TImpl::SetSubjectBounds(int32_t left, int32_t width) {
    subjectLeft_ = left;
    // Anchored right: the distance to the right edge is what resizing keeps.
    subjectRightMargin_ = ClientSize().cx - (left + width);
    Layout();
}

void TPopupWindow::TImpl::SetColors(const TPopupColors& colors) {
    const bool begin = panel_.SetBeginColor(colors.Begin);
    const bool end = panel_.SetEndColor(colors.End);
    const bool text = colors.Text != colors_.Text || colors.Subject != colors_.Subject;
    colors_ = colors;
    if (begin || end || text) Redraw();
}

TRect TPopupWindow::TImpl::Bounds() {
    RECT r {};
    GetWindowRect(Hwnd(), &r);
    return ToRect(r);
}

void TPopupWindow::TImpl::SetBounds(const TRect& bounds) {
    SetWindowPos(Hwnd(), nullptr, bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TPopupWindow::TImpl::PointerInside() {
    POINT p {};
    if (!GetCursorPos(&p)) return false;
    const TRect r = Bounds();
    return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom;
}

void TPopupWindow::TImpl::PlayNewMailSound(const std::string& folderSound) {
    const TSoundToPlay sound = sounds_.For(folderSound);
    switch (sound.Kind) {
        case TSoundToPlay::Silence: return;
        case TSoundToPlay::File:
            LogLine("New-mail sound: " + sound.Path);
            // The path is in the system's code page, as the registry keeps it.
            PlaySoundA(sound.Path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
            return;
        case TSoundToPlay::UserSound:
            // The user's "New Mail Notification" event; no default beep in its place.
            PlaySoundW(L"MailBeep", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
            return;
    }
}

void TPopupWindow::TImpl::ForegroundOutlookExpress() {
    if (!outlookExpress_ || !IsWindow(outlookExpress_)) return;
    if (IsIconic(outlookExpress_)) ShowWindow(outlookExpress_, SW_RESTORE);
    SetForegroundWindow(outlookExpress_);
}

HWND TPopupWindow::TImpl::ControlAtPointer() const {
    POINT p {};
    if (!GetCursorPos(&p)) return nullptr;
    RECT window {};
    GetWindowRect(Hwnd(), &window);
    if (!PtInRect(&window, p)) return nullptr;
    POINT client = p;
    ScreenToClient(Hwnd(), &client);
    return ControlAt(client);
}

HWND TPopupWindow::TImpl::ControlAt(POINT client) const {
    // By geometry: the labels hit test as transparent, yet entering one is
    // entering a control. The caption and frame count as the window.
    HWND child = ChildWindowFromPointEx(Hwnd(), client, CWP_SKIPINVISIBLE);
    return child ? child : Hwnd();
}

void TPopupWindow::TImpl::SetHover(HWND control) {
    const HWND body = Control(idMessageBody);
    const bool wasOnBody = hover_ && hover_ == body;
    hover_ = control;
    const bool onBody = control && control == body;
    if (wasOnBody == onBody || !body) return;
    // MessageBodyMouseEnter / MessageBodyMouseLeave: the underline.
    SendMessageW(body, WM_SETFONT, reinterpret_cast<WPARAM>(onBody ? underlineFont_.Get() : normalFont_.Get()), FALSE);
    const RECT r = ChildRect(body);
    RedrawWindow(Hwnd(), &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TPopupWindow::TImpl::PointerMoved(bool nonClient) {
    TRACKMOUSEEVENT track {};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE | (nonClient ? TME_NONCLIENT : 0);
    track.hwndTrack = Hwnd();
    TrackMouseEvent(&track);

    const HWND control = ControlAtPointer();
    if (!control || control == hover_) return;
    SetHover(control);
    // The pointer entered the window or one of its controls.
    cycle_.MouseEnter();
}

void TPopupWindow::TImpl::PointerLeft() {
    // Leaving the client area for the caption (or back) is no leaving.
    if (ControlAtPointer()) return;
    SetHover(nullptr);
    bodyPressed_ = false;
}

void TPopupWindow::TImpl::Paint(HDC dc) {
    RECT r {};
    GetClientRect(Hwnd(), &r);
    PaintGradient(dc, ToRect(r), panel_);
}

void TPopupWindow::TImpl::WindowPosChanging(WINDOWPOS& pos) {
    if (!cycle_.Moving()) return;
    // A move may come without a size and a size without a position; what is
    // left out is the window's current value, so the snap sees the real
    // rectangle.
    const TRect current = Bounds();
    TRect proposed = current;
    if (!(pos.flags & SWP_NOMOVE)) {
        proposed.Left = pos.x;
        proposed.Top = pos.y;
    }
    if (pos.flags & SWP_NOSIZE) {
        proposed.Right = proposed.Left + (current.Right - current.Left);
        proposed.Bottom = proposed.Top + (current.Bottom - current.Top);
    } else {
        proposed.Right = proposed.Left + pos.cx;
        proposed.Bottom = proposed.Top + pos.cy;
    }
    const TRect before = proposed;
    cycle_.WindowPosChanging(proposed);
    if (proposed == before) return;
    pos.x = proposed.Left;
    pos.y = proposed.Top;
    pos.cx = proposed.Right - proposed.Left;
    pos.cy = proposed.Bottom - proposed.Top;
    // A resize pulled onto an edge shifts the window, so it must move.
    if (proposed.Left != current.Left || proposed.Top != current.Top) pos.flags &= ~SWP_NOMOVE;
    if (proposed.Right - proposed.Left != current.Right - current.Left ||
        proposed.Bottom - proposed.Top != current.Bottom - current.Top)
        pos.flags &= ~SWP_NOSIZE;
}

bool TPopupWindow::TImpl::TakeKeyboard() {
    if (!cycle_.Visible()) return false;
    // Asked for with the user's key, so the popup may take what it never
    // takes by itself.
    SetForegroundWindow(Hwnd());
    SetFocus(Hwnd());
    return true;
}

void TPopupWindow::TImpl::OpenRuleMenu(LPARAM where) {
    const std::vector<TRuleChoice> choices = RuleChoicesFor(cycle_.ShownSenderAddress());
    if (choices.empty()) return;
    POINT at {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (where == -1) {
        // From the keyboard: under the sender's line.
        at = POINT {0, metrics_.LineHeight};
        ClientToScreen(Hwnd(), &at);
    }
    cycle_.MenuOpened();
    const std::optional<TRuleChoice> choice = TrackRuleMenu(Hwnd(), at, choices);
    // Closed first: a choice that fails to be kept leaves no popup held.
    cycle_.MenuClosed(choice && choice->List == TRuleList::Never);
    if (choice && RuleChosen) RuleChosen(*choice);
}

LRESULT TPopupWindow::TImpl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kDisplayTimerId) {
                cycle_.TimerTick();
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            Paint(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Hwnd(), &ps);
            if (dc && ps.fErase) Paint(dc);
            EndPaint(Hwnd(), &ps);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            // Transparent labels over the gradient.
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, TRANSPARENT);
            const bool subject = reinterpret_cast<HWND>(lParam) == Control(idSubject);
            SetTextColor(dc, ColorToRGB(subject ? colors_.Subject : colors_.Text, [](uint32_t index) {
                             return static_cast<uint32_t>(GetSysColor(static_cast<int>(index)));
                         }));
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        case WM_SIZE:
            Layout();
            // The gradient spans the new height.
            Redraw();
            return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.y = MinimumPopupHeight(metrics_);
            return 0;
        case WM_GETOBJECT: {
            LRESULT result = 0;
            if (accessible_.GetObject(Hwnd(), wParam, lParam, result)) return result;
            break;
        }
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            // High contrast switched on or off, say: the colours follow.
            if (live_) cycle_.SystemPreferencesChanged();
            Redraw();
            break;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_MOUSEMOVE:
            PointerMoved(false);
            return 0;
        case WM_NCMOUSEMOVE:
            PointerMoved(true);
            break;
        case WM_MOUSELEAVE:
        case WM_NCMOUSELEAVE:
            PointerLeft();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && ControlAtPointer() == Control(idMessageBody)) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN:
            bodyPressed_ = ControlAt(PointOf(lParam)) == Control(idMessageBody);
            if (bodyPressed_) SetCapture(Hwnd());
            return 0;
        case WM_LBUTTONUP: {
            const bool click = bodyPressed_ && ControlAt(PointOf(lParam)) == Control(idMessageBody);
            bodyPressed_ = false;
            if (GetCapture() == Hwnd()) ReleaseCapture();
            if (click) cycle_.MessageBodyClick();
            return 0;
        }
        case WM_CONTEXTMENU:
            // The caption keeps its window menu (move, size, close).
            if (lParam != -1 && Default(WM_NCHITTEST, 0, lParam) != HTCLIENT) break;
            OpenRuleMenu(lParam);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                cycle_.CloseRequested();
                return 0;
            }
            if (wParam == VK_RETURN) {
                cycle_.MessageBodyClick();
                return 0;
            }
            break;
        case WM_CLOSE:
            // The close button hides and discards; the window lives on.
            cycle_.CloseRequested();
            return 0;
        case WM_ENTERSIZEMOVE:
            cycle_.EnterSizeMove();
            break;
        case WM_EXITSIZEMOVE:
            cycle_.ExitSizeMove();
            break;
        case WM_WINDOWPOSCHANGING:
            WindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
            break;
        case WM_WINDOWPOSCHANGED: {
            const LRESULT result = Default(message, wParam, lParam);
            if (live_) cycle_.WindowPosChanged(Bounds());
            return result;
        }
    }
    return Default(message, wParam, lParam);
}

TPopupWindow::TPopupWindow(TNotificationQueue& queue, TPopupCycle::TInputs inputs, const TRect& bounds)
    : impl_(new TImpl(queue, std::move(inputs), bounds)) {}

TPopupWindow::~TPopupWindow() = default;

void TPopupWindow::ShowNextNotification() { impl_->Cycle().ShowNextNotification(); }
TPopupCycle& TPopupWindow::Cycle() { return impl_->Cycle(); }
bool TPopupWindow::TakeKeyboard() { return impl_->TakeKeyboard(); }
void TPopupWindow::OnRuleChosen(std::function<void(const TRuleChoice&)> ruleChosen) {
    impl_->RuleChosen = std::move(ruleChosen);
}
void* TPopupWindow::Handle() const { return impl_->Hwnd(); }
void* TPopupWindow::ProgramIcon(int index) const { return impl_->Icon(index); }

}  // namespace pellumo
