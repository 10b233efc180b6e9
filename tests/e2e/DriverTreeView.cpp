#include "DriverTreeView.h"

#include <vector>

namespace {

// A block of the tree's process, freed when this goes.
class TRemoteBlock {
public:
    TRemoteBlock(HWND window, SIZE_T size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~TRemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    TRemoteBlock(const TRemoteBlock&) = delete;
    TRemoteBlock& operator=(const TRemoteBlock&) = delete;

    bool Valid() const { return address_ != nullptr; }
    char* At(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return WriteProcessMemory(process_, At(offset), data, size, nullptr) != FALSE;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return ReadProcessMemory(process_, At(offset), data, size, nullptr) != FALSE;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    SIZE_T size_;
};

// The item's text and state, through a TVITEMW in the tree's process.
bool ReadItem(HWND tree, HTREEITEM handle, std::wstring& text, UINT& state) {
    const int kChars = 260;
    TRemoteBlock block(tree, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
    if (!block.Valid()) return false;
    TVITEMW item {};
    item.mask = TVIF_TEXT | TVIF_STATE;
    item.hItem = handle;
    item.stateMask = TVIS_STATEIMAGEMASK;
    item.pszText = reinterpret_cast<wchar_t*>(block.At(sizeof(TVITEMW)));
    item.cchTextMax = kChars;
    if (!block.Write(0, &item, sizeof item)) return false;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.At(0)))) return false;
    wchar_t buffer[kChars] = {};
    if (!block.Read(0, &item, sizeof item) || !block.Read(sizeof(TVITEMW), buffer, sizeof buffer)) return false;
    buffer[kChars - 1] = 0;
    text = buffer;
    state = (item.state & TVIS_STATEIMAGEMASK) >> 12;
    return true;
}

HTREEITEM Next(HWND tree, UINT how, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

}  // namespace

HTREEITEM FindTreeItem(HWND tree, const std::string& text) {
    const std::wstring wanted(text.begin(), text.end());  // the folder names used are ASCII
    std::vector<HTREEITEM> pending {Next(tree, TVGN_ROOT, nullptr)};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        for (; item; item = Next(tree, TVGN_NEXT, item)) {
            std::wstring itemText;
            UINT state = 0;
            if (ReadItem(tree, item, itemText, state) && itemText == wanted) return item;
            if (const HTREEITEM child = Next(tree, TVGN_CHILD, item)) pending.push_back(child);
        }
    }
    return nullptr;
}

int TreeItemCheck(HWND tree, HTREEITEM item) {
    std::wstring text;
    UINT state = 0;
    return ReadItem(tree, item, text, state) ? static_cast<int>(state) : -1;
}
