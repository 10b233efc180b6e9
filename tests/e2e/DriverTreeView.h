#pragma once
// The program's tree view, read and worked from the driver's process: item
// texts and check boxes live in the program's memory, so each question goes
// through a buffer the driver places there.
#include <windows.h>
#include <commctrl.h>

#include <string>

// The item whose text is Text, depth first; null when there is none.
HTREEITEM FindTreeItem(HWND tree, const std::string& text);
// The item's state image: 0 no check box, 1 unticked, 2 ticked; -1 when it
// cannot be read.
int TreeItemCheck(HWND tree, HTREEITEM item);
