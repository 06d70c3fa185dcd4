// The folder chooser: a tree of the machine's drives and the network
// neighbourhood, each branch filled when it is first opened. OK is enabled
// only for drives, folders and shares; the chosen path ends with a backslash.
#pragma once

#include "framework/FrameWnd.h"

#include <windows.h>
#include <commctrl.h>
#include <winnetwk.h>

#include <map>
#include <memory>
#include <string>

// An owned copy of a network-resource record: its strings live as long as
// the copy (a null string stays null).
class NetResourceCopy {
public:
    explicit NetResourceCopy(const NETRESOURCEW& source);
    NetResourceCopy(const NetResourceCopy&) = delete;
    NetResourceCopy& operator=(const NetResourceCopy&) = delete;
    const NETRESOURCEW& Get() const { return m_res; }
    NETRESOURCEW* GetMutable() { return &m_res; }

private:
    static wchar_t* MakeObjectDynamic(const wchar_t* text, std::unique_ptr<std::wstring>& holder);
    NETRESOURCEW m_res;
    std::unique_ptr<std::wstring> m_local, m_remote, m_comment, m_provider;
};

class CDlgGetPath : public fw::CDialog {
public:
    explicit CDlgGetPath(HWND parent);
    ~CDlgGetPath() override;

    // The starting path on entry; after OK, the chosen path.
    std::string m_strPath;

    static std::string NormaliseItemText(const std::string& text);

protected:
    BOOL OnInitDialog() override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HTREEITEM InsertItem(HTREEITEM parent, std::unique_ptr<NetResourceCopy> datum, const std::string& text,
                         int image, int selectedImage);
    void PopulateTree(const std::string& path, HTREEITEM item);
    std::string GetItemPath(HTREEITEM item);
    LRESULT OnItemexpandingTree(const NMTREEVIEWW& nm);
    LRESULT OnSelchangedTree(const NMTREEVIEWW& nm);
    bool EnumNetwork(HTREEITEM item);
    // The closing step: records the selected path, then frees the tree.
    void OnDestroyDialog();

    void OpenAlongPath(const std::string& path);
    // What expanding an item does: the first time, fill it and select it.
    void FillAndSelect(HTREEITEM item);
    void InsertNetworkEntry(HTREEITEM parent, const NETRESOURCEW& entry);
    NetResourceCopy* DatumOf(HTREEITEM item) const;
    std::string ItemText(HTREEITEM item) const;
    HTREEITEM ChildNamed(HTREEITEM parent, const std::string& name) const;

    HWND m_tree = nullptr;
    HIMAGELIST m_images = nullptr;
    HTREEITEM m_networkRoot = nullptr;
    // The records the items point to, by item.
    std::map<HTREEITEM, std::unique_ptr<NetResourceCopy>> m_data;
};
