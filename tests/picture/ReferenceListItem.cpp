#include "tests/picture/ReferenceListItem.h"

#include "framework/Gdi.h"
#include "framework/Handles.h"

void DrawReferenceItem(HDC hdc, const RECT& r, const std::string& line, const ReferenceItemLook& look) {
    std::string text = line;
    fw::UniqueBrush brush(::CreateSolidBrush(look.bar));
    ::FillRect(hdc, &r, brush.get());
    ::SetBkMode(hdc, TRANSPARENT);
    fw::SelectGuard select(hdc, look.font);
    ::SetTextColor(hdc, look.text);
    const int lineHeight = fw::TextExtent(hdc, "Mj").cy;
    if (look.centered) {
        SIZE ext = fw::TextExtent(hdc, text);
        int x = (r.right - r.left) / 2 - ext.cx / 2;
        int y = r.top + (r.bottom - r.top) / 2 - ext.cy / 2;
        fw::DrawTextAt(hdc, x, y, text);
    } else {
        text.insert(text.begin(), ' ');
        int y = r.top + (r.bottom - r.top) / 2 - lineHeight / 2;
        fw::DrawTextAt(hdc, r.left, y, text);
    }
}
