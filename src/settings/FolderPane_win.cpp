#include "settings/FolderPane_win.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/AsciiText.h"
#include "content/CharsetConverter.h"
#include "platform/Exception.h"
#include "platform/Log.h"
#include "platform/WideText_win.h"
#include "settings/SetupDialog.h"
#include "settings/SetupTexts.h"
#include "store/DbxFolderTree.h"

namespace pellumo {

namespace {

using Setup = TSetupDialog;

// The tree's state images: none (no check box), unticked, ticked.
const UINT kNoCheckBox = 0, kUnticked = 1, kTicked = 2;
// No mail client nests folders this deep; a damaged folder list may.
const size_t kDeepestLevelShown = 64;

HWND MakeChild(HWND dialog, HFONT font, const wchar_t* windowClass, const std::string& text, DWORD style,
               DWORD exStyle, const RECT& r, int id) {
    const HWND control = CreateWindowExW(exStyle, windowClass, WideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                         r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                         nullptr);
    if (!control) throw Exception(TText::CannotCreateSetupControls);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void SetStateImage(HWND tree, HTREEITEM item, UINT image) {
    TVITEMW change {};
    change.mask = TVIF_STATE;
    change.hItem = item;
    change.stateMask = TVIS_STATEIMAGEMASK;
    change.state = INDEXTOSTATEIMAGEMASK(image);
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

UINT StateImage(HWND tree, HTREEITEM item) {
    return static_cast<UINT>(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK)) >>
           12;
}

// Where the mail client shows a folder among its siblings: "Local Folders"
// before the accounts, the Inbox, Outbox, Sent Items, Deleted Items and
// Drafts in that order before the others, and the others by name.
std::pair<int, std::string> DisplayOrder(const TDbxFolderRecord& record) {
    const std::string name = asciitext::UpperCase(record.Name);
    if (record.StoreId == kLocalStoreId) return {0, name};
    if (record.Kind >= 1 && record.Kind <= 5) return {record.Kind, std::string()};
    return {6, name};
}

HTREEITEM Selected(HWND tree) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

// The folders below Node, at any depth.
size_t CountFolders(const TDbxFolderNode& node) {
    size_t count = 0;
    std::vector<const TDbxFolderNode*> pending {&node};
    while (!pending.empty()) {
        const TDbxFolderNode* at = pending.back();
        pending.pop_back();
        for (size_t i = 0; i < at->Count(); ++i) {
            const auto* folder = dynamic_cast<const TDbxFolderNode*>(at->Items(i));
            if (!folder || !folder->Record) continue;
            ++count;
            pending.push_back(folder);
        }
    }
    return count;
}

// A node's folders in the order the mail client shows them.
std::vector<const TDbxFolderNode*> ShownFolders(const TDbxFolderNode& node) {
    std::vector<const TDbxFolderNode*> folders;
    for (size_t i = 0; i < node.Count(); ++i) {
        const auto* folder = dynamic_cast<const TDbxFolderNode*>(node.Items(i));
        if (folder && folder->Record) folders.push_back(folder);
    }
    std::stable_sort(folders.begin(), folders.end(), [](const TDbxFolderNode* a, const TDbxFolderNode* b) {
        return DisplayOrder(*a->Record) < DisplayOrder(*b->Record);
    });
    return folders;
}

}  // namespace

TFolderPane::TFolderPane(HWND dialog, HFONT font, const TFolderPanePlaces& places, const TDbxFolderNode* tree,
                         const TFolderChoices& choices, TColor startColor)
    : dialog_(dialog), found_(choices) {
    const DWORD tab = WS_TABSTOP | WS_GROUP;
    tree_ = MakeChild(dialog, font, WC_TREEVIEWW, "",
                      TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | tab,
                      WS_EX_CLIENTEDGE, places.Tree, Setup::idFolderTree);
    // The check boxes are asked for once the tree exists and before it is
    // filled, as the control expects (on XP too).
    SetWindowLongPtrW(tree_, GWL_STYLE, GetWindowLongPtrW(tree_, GWL_STYLE) | TVS_CHECKBOXES);
    if (tree) AddItems(*tree);
    // Space on a folder that cannot be watched (an account) would give it a
    // check box: the key goes no further there.
    treeHook_ = std::make_unique<TControlHook>(tree_, [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        const bool space = (message == WM_KEYDOWN && wParam == VK_SPACE) || (message == WM_CHAR && wParam == L' ');
        if (!space) return false;
        const TRow* row = RowOf(Selected(tree_));
        result = 0;
        return !row || !row->Checkable;
    });

    // Made just before the combo box, so that its access key reaches it.
    MakeChild(dialog, font, L"STATIC", SetupText(Setup::idFolderColorLabel), SS_LEFT, 0, places.ColorLabel, Setup::idFolderColorLabel);
    const RECT& c = places.Color;
    color_.reset(new TColorCombo(dialog, Setup::idFolderColor, c.left, c.top, c.right - c.left, c.bottom - c.top, font));
    SetWindowLongPtrW(static_cast<HWND>(color_->Handle()), GWL_STYLE,
                      GetWindowLongPtrW(static_cast<HWND>(color_->Handle()), GWL_STYLE) | WS_GROUP);
    color_->SetDefaultEntry(startColor);
    color_->OnChange = [this] { ColorPicked(); };
    MakeChild(dialog, font, L"STATIC", SetupText(Setup::idFolderSoundLabel), SS_LEFT, 0, places.SoundLabel,
              Setup::idFolderSoundLabel);
    const RECT& s = places.Sound;
    // Drops down far enough for every entry.
    const RECT dropped {s.left, s.top, s.right, s.bottom + 5 * (s.bottom - s.top)};
    MakeChild(dialog, font, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0, dropped,
              Setup::idFolderSound);
    sound_ = std::make_unique<TFolderSoundField>(dialog, Setup::idFolderSound, Setup::idFolderSoundLabel);
    sound_->OnChange = [this](const std::string& sound) {
        if (shown_ >= 0 && rows_[shown_].Checkable) rows_[shown_].Choice.Sound = sound;
    };
    // Beneath the controls it frames, as the dialog's other groups.
    MakeChild(dialog, font, L"BUTTON", SetupText(Setup::idFoldersGroup), BS_GROUPBOX | WS_CLIPSIBLINGS, 0, places.Group,
              Setup::idFoldersGroup);

    // The first folder that can be watched, so its colour and sound are there to pick.
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!rows_[i].Checkable) continue;
        SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items_[i]));
        break;
    }
    ShowLooksOf(Selected(tree_));
}

TFolderPane::~TFolderPane() {
    if (color_) color_->OnChange = nullptr;
    if (sound_) sound_->OnChange = nullptr;
    treeHook_.reset();
}

void TFolderPane::AddItems(const TDbxFolderNode& root) {
    // Depth first with a stack of its own: a damaged folder list may nest
    // folders many thousands deep, which a recursion would not survive.
    struct TLevel {
        std::vector<const TDbxFolderNode*> Folders;
        size_t Next = 0;
        HTREEITEM Parent;
    };
    // The identity itself is no folder: its folders stand at the top.
    std::vector<TLevel> levels;
    levels.push_back({ShownFolders(root), 0, TVI_ROOT});
    size_t notShown = 0;
    while (!levels.empty()) {
        TLevel& level = levels.back();
        if (level.Next == level.Folders.size()) {
            // Expanded once its folders are in, as the control expects.
            if (level.Parent != TVI_ROOT)
                SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(level.Parent));
            levels.pop_back();
            continue;
        }
        const TDbxFolderNode& folder = *level.Folders[level.Next++];
        const HTREEITEM item = AddItem(*folder.Record, level.Parent);
        std::vector<const TDbxFolderNode*> below = ShownFolders(folder);
        if (below.empty()) continue;
        if (levels.size() >= kDeepestLevelShown) {
            notShown += CountFolders(folder);
            continue;
        }
        levels.push_back({std::move(below), 0, item});
    }
    if (notShown)
        LogLine(std::to_string(notShown) + " folders nested deeper than " + std::to_string(kDeepestLevelShown) +
                " levels are not listed in the setup dialog");
}

HTREEITEM TFolderPane::AddItem(const TDbxFolderRecord& record, HTREEITEM parent) {
    TRow row;
    row.Id = record.Id;
    row.Checkable = HasMessageFile(record);
    row.WatchedByDefault = IsWatched(WatchReason(record, TFolderChoices()));
    if (const TFolderChoice* choice = ChoiceFor(found_, record.Id)) row.Choice = *choice;
    const bool watched = IsWatched(WatchReason(record, found_));

    const std::wstring text = WideFromUtf8(SystemTextToUtf8(record.Name));
    TVINSERTSTRUCTW insert {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = static_cast<LPARAM>(rows_.size());
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) throw Exception(TText::CannotCreateSetupControls);
    rows_.push_back(row);
    items_.push_back(item);
    SetStateImage(tree_, item, !row.Checkable ? kNoCheckBox : watched ? kTicked : kUnticked);
    return item;
}

TFolderPane::TRow* TFolderPane::RowOf(HTREEITEM item) {
    return const_cast<TRow*>(static_cast<const TFolderPane*>(this)->RowOf(item));
}

const TFolderPane::TRow* TFolderPane::RowOf(HTREEITEM item) const {
    if (!item) return nullptr;
    TVITEMW query {};
    query.mask = TVIF_PARAM;
    query.hItem = item;
    if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return nullptr;
    const auto index = static_cast<size_t>(query.lParam);
    return index < rows_.size() ? &rows_[index] : nullptr;
}

void TFolderPane::ShowLooksOf(HTREEITEM item) {
    const TRow* row = RowOf(item);
    // Set before the combo changes, so its change lands on the right row.
    shown_ = row ? static_cast<int>(row - rows_.data()) : -1;
    color_->SetSelectedColor(row && row->Choice.Color ? *row->Choice.Color : kDefaultColor);
    const BOOL enabled = row && row->Checkable;
    EnableWindow(static_cast<HWND>(color_->Handle()), enabled);
    EnableWindow(GetDlgItem(dialog_, Setup::idFolderColorLabel), enabled);
    sound_->Show(row ? row->Choice.Sound : std::string(), enabled);
}

void TFolderPane::ColorPicked() {
    if (shown_ < 0 || !rows_[shown_].Checkable) return;
    const TColor picked = color_->SelectedColor();
    if (picked == kNoSelectedColor) return;
    rows_[shown_].Choice.Color = picked == kDefaultColor ? std::nullopt : std::optional<uint32_t>(picked);
}

TFolderChoices TFolderPane::Choices() const {
    TFolderChoices choices = found_;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const TRow& row = rows_[i];
        if (!row.Checkable) continue;
        TFolderChoice choice = row.Choice;
        const bool ticked = StateImage(tree_, items_[i]) == kTicked;
        const bool was = row.Choice.Watch ? *row.Choice.Watch : row.WatchedByDefault;
        if (ticked != was) choice.Watch = ticked;
        const std::string id = asciitext::UpperCase(row.Id);
        if (!choice.Empty())
            choices[id] = choice;
        else
            choices.erase(id);
    }
    return choices;
}

void TFolderPane::SetStartColor(TColor color) { color_->SetDefaultEntry(color); }

bool TFolderPane::ParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    intptr_t comboResult = 0;
    if (color_ && color_->ParentMessage(message, wParam, lParam, comboResult)) {
        result = comboResult;
        return true;
    }
    if (sound_ && sound_->ParentMessage(message, wParam, lParam)) {
        result = 0;
        return true;
    }
    if (message != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->hwndFrom != tree_ || header->code != TVN_SELCHANGEDW) return false;
    ShowLooksOf(reinterpret_cast<const NMTREEVIEWW*>(lParam)->itemNew.hItem);
    result = 0;
    return true;
}

}  // namespace pellumo
