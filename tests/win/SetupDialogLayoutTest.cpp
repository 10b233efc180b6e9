// The setup dialog's layout as the user sees it: in the font of the
// screen's DPI nothing overlaps or is clipped (also at 120 and 144 DPI, each
// in a copy of this program), the logo drawn over the panel, and the dialog
// held open for a screenshot.
// Needs a display (under Wine: Xvfb, see window-tests.sh); skipped without one.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/GradientPanel.h"
#include "platform/Window_win.h"
#include "settings/Logo.h"
#include "settings/NotifierSettings.h"
#include "platform/WideText_win.h"
#include "settings/SetupDialog.h"
#include "texts/Language.h"
#include "unit/RegistryFixture.h"
#include "win/Display.h"
#include "win/MessagePump.h"
#include "win/SetupDialogDriver.h"
#include "win/TestWindows.h"

namespace pellumo {
namespace test {
namespace {

// A control's text as it draws it, in its own font: one line, "&" marking
// an access key.
SIZE DrawnTextSize(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r {0, 0, 0, 0};
    DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE {r.right, r.bottom};
}

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The whole dialog in whatever font the screen's DPI gives, in every
// language and on every page: its texts are the language's, no two controls
// shown together overlap (but a group box or the tab control and what it
// frames), each label's, check box's, button's and group's text fits its
// control, everything lies inside the dialog, and the dialog fits the
// screens of its day: 800 x 600 at 96 DPI, 1024 x 768 at 120 DPI, 1280 x
// 1024 at 144, each less a taskbar.
TEST_F(SetupDialogTest, LaysOutWithoutOverlapOrClipping) {
    Settings().FolderTree = SampleFolderTree();
    struct TSpeakEnglishAfter {
        ~TSpeakEnglishAfter() { SetUserLanguage("en"); }
    } after;
    for (const TLanguage& language : Languages()) {
        SCOPED_TRACE(language.Tag());
        SetUserLanguage(language.Tag());
        driver.Run(Settings(), {[&language](HWND dialog) {
            EXPECT_EQ(language.Text(TText::SetupCaption), WindowTextUtf8(dialog));
            EXPECT_EQ(language.Text(TText::SetupHoldWhileAway), WindowTextUtf8(Ctl(dialog, Setup::idHoldWhileAway)));
            const HDC screen = GetDC(nullptr);
            const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
            if (const char* expected = std::getenv("PELLUMO_EXPECT_DPI")) {
                EXPECT_EQ(std::atoi(expected), dpi) << "the screen's DPI as the table set it";
            }
            // The message font, grown with the DPI: 8 point or more.
            LOGFONTA font {};
            GetObjectA(reinterpret_cast<HFONT>(SendMessageA(Ctl(dialog, IDOK), WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_GE(std::abs(font.lfHeight), MulDiv(11, dpi, 96) - 1) << font.lfFaceName;

            RECT window {};
            GetWindowRect(dialog, &window);
            const LONG width = window.right - window.left, height = window.bottom - window.top;
            std::cout << "outer size " << dpi << " dpi " << language.Tag() << ": " << width
                      << " x " << height << std::endl;
            const struct {
                int Dpi;
                LONG Width, Height;
            } limits[] = {{96, 800, 570}, {120, 1024, 738}, {144, 1280, 994}};
            for (const auto& limit : limits)
                if (limit.Dpi == dpi) {
                    EXPECT_LE(width, limit.Width);
                    EXPECT_LE(height, limit.Height);
                }

            std::vector<HWND> children;
            EnumChildWindows(dialog, &CollectChild, reinterpret_cast<LPARAM>(&children));
            RECT client {};
            GetClientRect(dialog, &client);
            const int box = GetSystemMetrics(SM_CXMENUCHECK);
            auto isGroup = [](HWND w) {
                char name[32] = {};
                GetClassNameA(w, name, sizeof name);
                return (lstrcmpiA(name, "Button") == 0 &&
                        (GetWindowLongPtrA(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) ||
                       lstrcmpiA(name, WC_TABCONTROLA) == 0;
            };
            for (int page = 0; page < Setup::kPageCount; ++page) {
                SCOPED_TRACE(page);
                ShowPage(dialog, page);
                for (HWND child : children) {
                    // A combo box's own field; a control of another page.
                    if (GetParent(child) != dialog || !IsWindowVisible(child)) continue;
                    const int id = GetDlgCtrlID(child);
                    const RECT r = ChildRect(child);
                    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << id;
                    char name[32] = {};
                    GetClassNameA(child, name, sizeof name);
                    const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
                    const SIZE text = DrawnTextSize(child);
                    const int width = r.right - r.left, height = r.bottom - r.top;
                    if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_LEFT) {
                        EXPECT_LE(text.cx, width) << WindowTextUtf8(child);
                        EXPECT_LE(text.cy, height) << WindowTextUtf8(child);
                    } else if (lstrcmpiA(name, "Button") == 0) {
                        const LONG_PTR type = style & BS_TYPEMASK;
                        const int decoration = type == BS_AUTOCHECKBOX ? box + 3 : type == BS_GROUPBOX ? 2 * box : 6;
                        EXPECT_LE(text.cx + decoration, width) << WindowTextUtf8(child);
                        EXPECT_LE(text.cy, height) << WindowTextUtf8(child);
                    }
                    for (HWND other : children) {
                        if (other <= child || GetParent(other) != dialog || !IsWindowVisible(other)) continue;
                        const RECT o = ChildRect(other);
                        RECT both {};
                        if (!IntersectRect(&both, &r, &o)) continue;
                        // Only a group box and a control wholly inside it may meet.
                        const bool framed = (isGroup(child) && !isGroup(other) && EqualRect(&both, &o)) ||
                                            (isGroup(other) && !isGroup(child) && EqualRect(&both, &r));
                        // A group box on its page lies wholly in the tab control.
                        const bool nested = isGroup(child) && isGroup(other) &&
                                            (EqualRect(&both, &o) || EqualRect(&both, &r)) &&
                                            (id == Setup::idPages || GetDlgCtrlID(other) == Setup::idPages);
                        EXPECT_TRUE(framed || nested) << id << " and " << GetDlgCtrlID(other) << " overlap";
                    }
                }
            }
            Click(dialog, IDCANCEL);
        }});
    }
}

// The same at 96, 120 and 144 DPI: each in a copy of this program started
// with the screen's LogPixels set, which a process reads as it starts.
TEST(SetupDialogAtEachDpi, LaysOutWithoutOverlapOrClipping) {
    if (!DisplayUsable()) GTEST_SKIP() << "no display to show windows on";
    const char* desktop = "Control Panel\\Desktop";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, desktop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                             nullptr));
    // Set back however the test ends.
    struct TRestore {
        HKEY Key;
        DWORD Before = 0;
        bool Had = false;
        ~TRestore() {
            if (Had)
                RegSetValueExA(Key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&Before), sizeof Before);
            else
                RegDeleteValueA(Key, "LogPixels");
            RegCloseKey(Key);
            SetEnvironmentVariableA("PELLUMO_EXPECT_DPI", nullptr);
        }
    } restore {key};
    DWORD size = sizeof restore.Before;
    restore.Had = RegQueryValueExA(key, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&restore.Before),
                                   &size) == ERROR_SUCCESS;
    char exe[MAX_PATH] = {}, folder[MAX_PATH] = {}, output[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "dpi", 0, output);
    for (DWORD dpi : {96u, 120u, 144u}) {
        SCOPED_TRACE(dpi);
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        SetEnvironmentVariableA("PELLUMO_EXPECT_DPI", std::to_string(dpi).c_str());
        SECURITY_ATTRIBUTES inherit {sizeof inherit, nullptr, TRUE};
        const HANDLE log = CreateFileA(output, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, log);
        STARTUPINFOA start {};
        start.cb = sizeof start;
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdOutput = start.hStdError = log;
        std::string command =
            std::string("\"") + exe +
            "\" --gtest_filter=SetupDialogTest.LaysOutWithoutOverlapOrClipping:SetupDialogTest.ShowsTheLogoBlendedOverThePanel";
        PROCESS_INFORMATION child {};
        const BOOL started =
            CreateProcessA(exe, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &child);
        CloseHandle(log);
        ASSERT_TRUE(started);
        DWORD code = 1;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.hProcess, 60000));
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        std::ifstream in(output);
        const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(0u, code) << said;
        EXPECT_NE(std::string::npos, said.find("[  PASSED  ] 2 tests")) << said;
        // The sizes measured, for the record.
        std::istringstream lines(said);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("outer size", 0) == 0) std::cout << line << "\n";
    }
    DeleteFileA(output);
}

// The logo as the dialog draws it: where the layout put it, 192 x 56 at 96
// DPI and grown with the screen's DPI from the large drawing, its opaque
// pixels as drawn, its see-through ones showing the panel, the soft edges
// blended over the panel's colour.
TEST_F(SetupDialogTest, ShowsTheLogoBlendedOverThePanel) {
    auto decode = [](WORD id) {
        const HMODULE module = GetModuleHandleA(nullptr);
        const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
        EXPECT_TRUE(resource) << "the test program carries the logo resource " << id;
        const auto* data = resource ? static_cast<const uint8_t*>(LockResource(LoadResource(module, resource))) : nullptr;
        return DecodeLogo(data, resource ? SizeofResource(module, resource) : 0);
    };
    const std::optional<TLogoPicture> small = decode(777), large = decode(778);
    ASSERT_TRUE(small.has_value() && large.has_value());
    ASSERT_EQ(192, small->Width);
    ASSERT_EQ(56, small->Height);
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int w = dpi == 96 ? 192 : 192 * dpi / 96, h = dpi == 96 ? 56 : 56 * dpi / 96;
    const std::optional<TLogoPicture> logo = dpi == 96 ? small : std::optional<TLogoPicture>(ShrinkLogo(*large, w, h));
    ASSERT_EQ(w, logo->Width) << dpi;

    driver.Run(Settings(), {[&](HWND dialog) {
        const HWND image = Ctl(dialog, Setup::idLogo);
        ASSERT_TRUE(image);
        EXPECT_TRUE(IsWindowVisible(image));
        const RECT r = ChildRect(image);
        EXPECT_EQ(w, r.right - r.left);
        EXPECT_EQ(h, r.bottom - r.top);
        RECT client {};
        GetClientRect(dialog, &client);
        const int width = client.right, x0 = r.left, y0 = r.top;

        // The panel and the logo drawn into bitmaps of our own.
        // As the DIB holds them: 0x00RRGGBB.
        auto capture = [](HWND window, int width, int height) {
            test::TCanvas canvas(width, height);
            SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
            std::vector<uint32_t> pixels;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) pixels.push_back(canvas.RawPixel(x, y));
            return pixels;
        };
        const std::vector<uint32_t> panel = capture(dialog, width, client.bottom);
        const std::vector<uint32_t> drawn = capture(image, w, h);
        const uint32_t background = panel[size_t(y0 + h / 2) * width + x0 + w / 2];  // 0xRRGGBB
        const uint32_t backgroundRGB =
            ((background >> 16) & 0xFF) | (background & 0xFF00) | ((background & 0xFF) << 16);  // 0xBBGGRR
        const std::vector<uint32_t> blended = BlendLogo(*logo, backgroundRGB);
        const uint32_t transparent = blended[size_t(h - 1) * w] & 0xFFFFFF;

        int opaque = 0, clear = 0, soft = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const size_t i = size_t(y) * w + x;
                const uint32_t want = blended[i] & 0xFFFFFF;
                const uint32_t under = panel[size_t(y + y0) * width + x + x0];
                const uint8_t alpha = logo->Rgba[i * 4 + 3];
                if (want == transparent) {
                    ASSERT_EQ(under, drawn[i]) << "see-through at " << x << "," << y;
                    ++clear;
                } else {
                    ASSERT_EQ(want, drawn[i]) << "logo at " << x << "," << y;
                    alpha == 255 ? ++opaque : ++soft;
                }
            }
        }
        // The picture has all three kinds of pixel, so each rule was seen.
        EXPECT_GT(opaque, 100);
        EXPECT_GT(clear, 100);
        EXPECT_GT(soft, 100);
        Click(dialog, IDCANCEL);
    }});
}

// Holds the dialog open for the screenshot (window-tests.sh): writes the marker file
// named by PELLUMO_SHOT once the dialog is up, then waits.
TEST(SetupScreenshot, DialogWithLogo) {
    const char* marker = ScreenshotMarker();
    if (!marker) GTEST_SKIP() << "PELLUMO_SHOT not set, or no display to show windows on";
    auto clean = [] {
        CurrentUserRegistry().DeleteKey("Software\\Ostrivane");
        CurrentUserRegistry().DeleteKey("Identities");
    };
    clean();
    std::unique_ptr<TNotifierSettings> settings(new TNotifierSettings);
    // A custom start colour, so the combo shows the Custom entry's swatch.
    settings->BeginColor = kUnnamed;
    settings->HintTime = 5;
    settings->FolderTree = SampleFolderTree();
    // The page photographed: PELLUMO_SHOT_PAGE, else the first.
    if (const char* page = std::getenv("PELLUMO_SHOT_PAGE")) settings->SetupPage = std::atoi(page);
    TDialogDriver driver;
    driver.Holder.ShowSample = [](const TUserSettings&) {};
    std::vector<TDialogDriver::TStep> steps;
    steps.push_back([marker](HWND dialog) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    });
    // About four seconds at 20 ms a tick.
    for (int i = 0; i < 200; ++i) steps.push_back([](HWND) {});
    steps.push_back([](HWND dialog) { Click(dialog, IDCANCEL); });
    driver.Run(*settings, steps, 20000);
    settings.reset();
    clean();
}

}  // namespace
}  // namespace test
}  // namespace pellumo
