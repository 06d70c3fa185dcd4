#include "framework/Controls.h"

#include <vector>

namespace fw {

std::string CListBox::GetText(int index) const {
    int len = GetTextLen(index);
    if (len == LB_ERR || len < 0) return std::string();
    std::vector<char> buf(static_cast<size_t>(len) + 1, '\0');
    SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()));
    return std::string(buf.data());
}

void CListBox::ReplaceString(int index, const std::string& text) const {
    int sel = GetCurSel();
    DeleteString(index);
    InsertString(index, text);
    if (sel != LB_ERR) SetCurSel(sel);
}

int CListBox::ItemFromPoint(POINT pt) const {
    // The nearest item, also for a point below the last item.
    LRESULT r = SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y));
    return static_cast<int>(LOWORD(r));
}

}  // namespace fw
