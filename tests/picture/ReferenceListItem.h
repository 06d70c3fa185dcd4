// The drawing of one lyrics list item as the list made it before lines
// carried word timing: the reference that lines without word tags are still
// drawn exactly as, and that the sung and unsung parts of a lit line with
// word timing are each compared with.
#pragma once

#include <windows.h>

#include <string>

struct ReferenceItemLook {
    HFONT font = nullptr;
    COLORREF bar = 0;   // the item's background: the highlight bar or the list's own
    COLORREF text = 0;
    bool centered = true;
};

// Draws `text` into `item` of `hdc` as that list's DrawItem did for an item
// drawn whole.
void DrawReferenceItem(HDC hdc, const RECT& item, const std::string& text, const ReferenceItemLook& look);
