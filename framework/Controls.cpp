#include "framework/Controls.h"

#include "framework/Unicode.h"

#include <vector>

namespace fw {

int CListBox::AddString(const std::string& text) const {
    const std::wstring wide = Widen(text);
    return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int CListBox::InsertString(int index, const std::string& text) const {
    const std::wstring wide = Widen(text);
    return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str())));
}

std::string CListBox::GetText(int index) const {
    int len = GetTextLen(index);
    if (len == LB_ERR || len < 0) return std::string();
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 1, L'\0');
    SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()));
    return Narrow(buf.data());
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
