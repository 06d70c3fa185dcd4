// The system controls the plugin builds on: list box, button and static.
#pragma once

#include "framework/Wnd.h"

#include <string>

namespace fw {

class CListBox : public CWnd {
public:
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, "LISTBOX", "", style, rect, parent, id);
    }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
    int SetTopIndex(int index) const { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(index))); }
    // Items are UTF-8 here and UTF-16 in the control.
    int AddString(const std::string& text) const;
    int InsertString(int index, const std::string& text) const;
    int DeleteString(int index) const { return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(index))); }
    int GetTextLen(int index) const { return static_cast<int>(SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index))); }
    // The whole item text ("" for an index out of range).
    std::string GetText(int index) const;
    // Replaces the item at index, keeping the selection where it was.
    void ReplaceString(int index, const std::string& text) const;
    // Index of the item nearest to a client point.
    int ItemFromPoint(POINT pt) const;
    // An item's rectangle in client coordinates; false for an index out of range.
    bool GetItemRect(int index, RECT& rect) const {
        return SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) != LB_ERR;
    }
    void SetHorizontalExtent(int extent) const { SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent)); }
    virtual void ResetContent() { SendMessage(LB_RESETCONTENT); }
};

class CButton : public CWnd {
public:
    bool Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, "BUTTON", text, style, rect, parent, id);
    }
};

class CStatic : public CWnd {
public:
    bool Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
        return CreateEx(0, "STATIC", text, style, rect, parent, id);
    }
};

}  // namespace fw
