// The setup dialog's "Rules" page: the rules that keep mail from being
// announced and those that always announce it, each list edited through
// the rule field above them (Add puts the field's text in, Change puts it in
// place of the selected rule, Remove takes that rule out; selecting a rule
// puts it into the field; Enter there adds to the list whose rule was
// selected last, at first the Never list). The lists keep their stored
// order, which the log's rule numbers follow.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/WideText_win.h"
#include "settings/SetupDialog.h"
#include "settings/SetupPages_win.h"

namespace pellumo {

namespace {

using Setup = TSetupDialog;

struct TRuleListIds {
    int List, Add, Change, Remove;
};
const TRuleListIds kNever {Setup::idNeverList, Setup::idNeverAdd, Setup::idNeverChange, Setup::idNeverRemove};
const TRuleListIds kAlways {Setup::idAlwaysList, Setup::idAlwaysAdd, Setup::idAlwaysChange, Setup::idAlwaysRemove};

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

class TRulesPage : public TSetupPage {
public:
    explicit TRulesPage(const TSetupControls& controls);

    void Fill(const TNotifierSettings& settings) override;
    void Read(TUserSettings& values) const override;
    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    HWND List(const TRuleListIds& ids) const { return controls_.Control(ids.List); }
    std::wstring Field() const;
    void SetLines(const TRuleListIds& ids, const std::vector<std::string>& lines) const;
    std::vector<std::string> Lines(const TRuleListIds& ids) const;
    std::wstring Line(HWND list, LRESULT index) const;
    // The list's position of `text`, LB_ERR when it is not there.
    LRESULT Find(HWND list, const std::wstring& text) const;
    void Add(const TRuleListIds& ids) const;
    void Change(const TRuleListIds& ids) const;
    void Remove(const TRuleListIds& ids) const;
    void Selected(const TRuleListIds& ids);

    const TSetupControls& controls_;
    // The list whose Add is the default button while the rule field has the focus.
    const TRuleListIds* fieldList_ = &kNever;
};

TRulesPage::TRulesPage(const TSetupControls& controls) : controls_(controls) {
    // Creation order is the tab order; a label's access key reaches the
    // control made after it.
    const DWORD tab = WS_TABSTOP | WS_GROUP;
    controls.Make(L"STATIC", SS_LEFT, Setup::idRuleLabel);
    controls.Make(L"EDIT", "", ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE, Setup::idRuleEdit);
    controls.Make(L"STATIC", SS_LEFT | SS_NOPREFIX, Setup::idRuleHint);
    for (const auto& [label, ids] : {std::make_pair(int(Setup::idNeverLabel), kNever),
                                     std::make_pair(int(Setup::idAlwaysLabel), kAlways)}) {
        controls.Make(L"STATIC", SS_LEFT, label);
        controls.Make(L"LISTBOX", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | tab, WS_EX_CLIENTEDGE,
                      ids.List);
        for (int id : {ids.Add, ids.Change, ids.Remove}) controls.Make(L"BUTTON", BS_PUSHBUTTON | tab, id);
    }
    controls.GroupBox(Setup::idRulesGroup);
}

std::wstring TRulesPage::Field() const {
    const HWND edit = controls_.Control(Setup::idRuleEdit);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
    return Trimmed(text);
}

std::wstring TRulesPage::Line(HWND list, LRESULT index) const {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

LRESULT TRulesPage::Find(HWND list, const std::wstring& text) const {
    // LB_FINDSTRINGEXACT ignores letter case, as the rules themselves do;
    // a rule differing only in case would be the same rule again.
    return SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
}

void TRulesPage::SetLines(const TRuleListIds& ids, const std::vector<std::string>& lines) const {
    const HWND list = List(ids);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(line).c_str()));
}

std::vector<std::string> TRulesPage::Lines(const TRuleListIds& ids) const {
    const HWND list = List(ids);
    std::vector<std::string> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) lines.push_back(Utf8FromWide(Line(list, i)));
    return lines;
}

void TRulesPage::Fill(const TNotifierSettings& settings) {
    SetLines(kNever, settings.NeverAnnounce);
    SetLines(kAlways, settings.AlwaysAnnounce);
}

void TRulesPage::Read(TUserSettings& values) const {
    values.NeverAnnounce = Lines(kNever);
    values.AlwaysAnnounce = Lines(kAlways);
}

void TRulesPage::Add(const TRuleListIds& ids) const {
    const HWND list = List(ids);
    const std::wstring rule = Field();
    if (rule.empty()) {
        MessageBeep(MB_OK);
        return;
    }
    LRESULT at = Find(list, rule);
    if (at == LB_ERR) at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rule.c_str()));
    SendMessageW(list, LB_SETCURSEL, at, 0);
}

void TRulesPage::Change(const TRuleListIds& ids) const {
    const HWND list = List(ids);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    const std::wstring rule = Field();
    const LRESULT same = rule.empty() ? LB_ERR : Find(list, rule);
    if (selected == LB_ERR || rule.empty() || (same != LB_ERR && same != selected)) {
        // Nothing to change, or the rule is in the list already.
        MessageBeep(MB_OK);
        return;
    }
    SendMessageW(list, LB_DELETESTRING, selected, 0);
    SendMessageW(list, LB_INSERTSTRING, selected, reinterpret_cast<LPARAM>(rule.c_str()));
    SendMessageW(list, LB_SETCURSEL, selected, 0);
}

void TRulesPage::Remove(const TRuleListIds& ids) const {
    const HWND list = List(ids);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        MessageBeep(MB_OK);
        return;
    }
    const LRESULT left = SendMessageW(list, LB_DELETESTRING, selected, 0);
    // The rule after it, or the last, is selected next, so Remove can go on.
    if (left > 0) SendMessageW(list, LB_SETCURSEL, selected < left ? selected : left - 1, 0);
}

void TRulesPage::Selected(const TRuleListIds& ids) {
    fieldList_ = &ids;
    const HWND list = List(ids);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR) SetWindowTextW(controls_.Control(Setup::idRuleEdit), Line(list, selected).c_str());
}

bool TRulesPage::Message(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND) return false;
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    result = 0;
    if (id == Setup::idRuleEdit && (code == EN_SETFOCUS || code == EN_KILLFOCUS)) {
        // Enter on a rule being typed adds it; it would be lost to OK.
        SendMessageW(controls_.Dialog(), DM_SETDEFID, code == EN_SETFOCUS ? fieldList_->Add : IDOK, 0);
        return true;
    }
    // By address: the field remembers which list it serves.
    for (const TRuleListIds* ids : {&kNever, &kAlways}) {
        if (id == ids->List && code == LBN_SELCHANGE) {
            Selected(*ids);
            return true;
        }
        if (code != BN_CLICKED) continue;
        if (id == ids->Add) {
            Add(*ids);
            return true;
        }
        if (id == ids->Change) {
            Change(*ids);
            return true;
        }
        if (id == ids->Remove) {
            Remove(*ids);
            return true;
        }
    }
    return false;
}

}  // namespace

std::unique_ptr<TSetupPage> MakeRulesPage(const TSetupControls& controls) {
    return std::make_unique<TRulesPage>(controls);
}

}  // namespace pellumo
