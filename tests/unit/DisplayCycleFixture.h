#pragma once
// The popup's display cycle against a fake window that remembers what it was
// told, and notifications as the scan makes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/DisplayCycle.h"

namespace pellumo {

inline void PrintTo(const TRect& r, std::ostream* os) { *os << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}"; }

namespace test {

using TPhase = TPopupCycle::TPhase;

// A window that remembers what it was told; its panel is the window less an
// 8-pixel frame, and moving it reports back as WM_WINDOWPOSCHANGED does.
struct TFakeView : IPopupView {
    TPopupCycle* cycle = nullptr;
    std::vector<std::string> log;
    bool visible = false, pointerInside = false, oeFound = true, bodyIsList = false;
    std::string folder, sender, subject, body;
    int32_t interval = 0;
    int sounds = 0;
    std::string sound;  // the folder sound last played
    int icon = -2;
    int32_t subjectLeft = -1, subjectWidth = -1;
    uint32_t begin = 0, end = 0;
    TPopupColors colors;
    std::vector<std::string> alerts;  // what a screen reader was told, in order
    TRect bounds{100, 100, 400, 300};

    void SetAlpha(uint8_t) override {}
    void ShowNoActivate() override { visible = true, log.push_back("show"); }
    void Hide() override { visible = false, log.push_back("hide"); }
    void SetTexts(const std::string& f, const std::string& s, const std::string& j, const std::string& b,
                  bool list) override {
        folder = f, sender = s, subject = j, body = b, bodyIsList = list;
    }
    void SetFolderLine(const std::string& f) override { folder = f; }
    void SetPriorityIcon(int i) override { icon = i; }
    void SetSubjectBounds(int32_t l, int32_t w) override { subjectLeft = l, subjectWidth = w; }
    void SetColors(const TPopupColors& c) override { begin = c.Begin, end = c.End, colors = c; }
    void Announce(const std::string& name, const std::string& description) override {
        alerts.push_back(name + " | " + description);
    }
    int32_t PanelWidth() override { return bounds.Right - bounds.Left - 8; }
    TRect Bounds() override { return bounds; }
    void SetBounds(const TRect& r) override {
        bounds = r, log.push_back("move");
        cycle->WindowPosChanged(r);
    }
    bool PointerInside() override { return pointerInside; }
    void StartTimer(int32_t ms) override { interval = ms, log.push_back("start"); }
    void StopTimer() override { log.push_back("stop"); }
    bool FindOutlookExpress() override { return oeFound; }
    void ForegroundOutlookExpress() override { log.push_back("oe"); }
    void PlayNewMailSound(const std::string& folderSound) override { ++sounds, sound = folderSound; }
};

// A notification as the scan makes it.
inline std::unique_ptr<TNotification> Note(const std::string& folder, const std::string& sender, const std::string& subject,
                                    const std::string& body = "", TMailPriority priority = mpNormal,
                                    const std::string& folderId = "", std::optional<uint32_t> color = std::nullopt) {
    std::unique_ptr<TNotification> note(new TNotification);
    note->Folder = folder, note->Sender = sender, note->Subject = subject, note->Body = body;
    note->Priority = priority, note->FolderId = folderId, note->Color = color;
    return note;
}

template <typename... TNotes>
inline std::vector<std::unique_ptr<TNotification>> Items(TNotes... notes) {
    std::vector<std::unique_ptr<TNotification>> items;
    (items.push_back(std::move(notes)), ...);
    return items;
}

class DisplayCycle : public ::testing::Test {
protected:
    TPopupCycle& Cycle() {
        if (!cycle_) {
            TPopupCycle::TInputs in;
            in.Settings = [this] { return settings; };
            in.StoreWindowRect = [this](const TRect& r) { stored = r; };
            in.OutlookExpressActive = [this] { return oeActive; };
            in.WorkAreas = [this] { return areas; };
            in.DefaultRect = [] { return TRect{980, 794, 1280, 994}; };
            in.Snap = [](const TRect& r) { return TRect{0, r.Top, r.Right - r.Left, r.Bottom}; };
            in.FullScreenInFront = [this] { return ++fullScreenLooks, fullScreen; };
            in.ShowEachOnItsOwn = eachOnItsOwn;
            in.Paused = [this] { return paused; };
            in.SetupOpen = [this] { return setupOpen; };
            in.System = [this] { return system; };
            in.Presence = [this] { return presence; };
            cycle_.reset(new TPopupCycle(view, queue, in));
            view.cycle = cycle_.get();
        }
        return *cycle_;
    }
    void Mail(const std::string& subject, TMailPriority priority = mpNormal) {
        auto note = Note("Inbox", "Ann", subject, "Body of " + subject, priority);
        note->Sound = inboxSound;
        queue.Add(std::move(note));
        Cycle().ShowNextNotification();
    }
    // Mail an AlwaysAnnounce rule matched.
    void AlwaysMail(const std::string& subject) {
        auto note = Note("Inbox", "Boss", subject, "Body of " + subject);
        note->Always = true;
        queue.Add(std::move(note));
        Cycle().ShowNextNotification();
    }
    // The subject of the next notification to appear, ticking until one does
    // (at most a minute); "" when none does.
    std::string NextShown() {
        const long shown = std::count(view.log.begin(), view.log.end(), "show");
        for (int i = 0; i < 1200; ++i) {
            Cycle().TimerTick();
            if (std::count(view.log.begin(), view.log.end(), "show") > shown) return view.subject;
        }
        return "";
    }
    // The alpha after each of n ticks.
    std::vector<int> Alphas(int n) {
        std::vector<int> a;
        for (int i = 0; i < n; ++i) Cycle().TimerTick(), a.push_back(Cycle().Alpha());
        return a;
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) Cycle().TimerTick();
    }
    long Moves() const { return std::count(view.log.begin(), view.log.end(), "move"); }
    static std::vector<int> Steps(int from, int step, int count) {
        std::vector<int> v;
        for (int i = 0; i < count; ++i) v.push_back(from + i * step);
        return v;
    }

    TFakeView view;
    TNotificationQueue queue;
    TPopupSettings settings;
    TRect stored;
    bool oeActive = false;
    bool fullScreen = false, eachOnItsOwn = false, paused = false, setupOpen = false;
    std::string inboxSound;  // the Sound of the Inbox's mail
    TSystemPreferences system;
    TPresence presence;
    int fullScreenLooks = 0;
    std::vector<TRect> areas{{0, 0, 1280, 994}, {1280, 0, 2304, 738}};
    std::unique_ptr<TPopupCycle> cycle_;
};

}  // namespace test
}  // namespace pellumo
