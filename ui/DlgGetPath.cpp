#include "ui/DlgGetPath.h"

#include "framework/DebugTrace.h"
#include "framework/Handles.h"
#include "framework/TextUtil.h"
#include "framework/Unicode.h"
#include "res/resource.h"

#include <cstring>

namespace {

constexpr int kTreeId = 1501;
constexpr int kPathText = 1516;
constexpr int kNetworkImage = 7;
constexpr DWORD kEnumBufferSize = 16384;

struct GlobalMemoryTraits {
    static HGLOBAL Invalid() { return nullptr; }
    static void Close(HGLOBAL h) { ::GlobalFree(h); }
};
using UniqueGlobal = fw::UniqueHandle<HGLOBAL, GlobalMemoryTraits>;

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
using UniqueFind = fw::UniqueHandle<HANDLE, FindTraits>;

struct NetworkEnumTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::WNetCloseEnum(h); }
};
using UniqueNetworkEnum = fw::UniqueHandle<HANDLE, NetworkEnumTraits>;

bool HasLowerAscii(const std::string& text) {
    for (char c : text)
        if (c >= 'a' && c <= 'z') return true;
    return false;
}

// The n-th piece of a path between backslashes; false when the path has
// fewer than n backslashes.
bool PathComponent(const std::string& path, size_t n, std::string& piece) {
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
        const size_t slash = path.find('\\', start);
        if (slash == std::string::npos) return false;
        start = slash + 1;
    }
    const size_t end = path.find('\\', start);
    piece = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return true;
}

// An entry's name: its remote name (or its comment), without the leading
// backslashes of a server name.
std::string EntryName(const NETRESOURCEW& entry) {
    std::string name = fw::Narrow((entry.lpRemoteName && *entry.lpRemoteName) ? entry.lpRemoteName
                                  : entry.lpComment                          ? entry.lpComment
                                                                             : L"");
    for (int i = 0; i < 2 && !name.empty() && name[0] == '\\'; ++i) name.erase(0, 1);
    return name;
}

}  // namespace

// --- NetResourceCopy ------------------------------------------------------

NetResourceCopy::NetResourceCopy(const NETRESOURCEW& source) : m_res(source) {
    m_res.lpLocalName = MakeObjectDynamic(source.lpLocalName, m_local);
    m_res.lpRemoteName = MakeObjectDynamic(source.lpRemoteName, m_remote);
    m_res.lpComment = MakeObjectDynamic(source.lpComment, m_comment);
    m_res.lpProvider = MakeObjectDynamic(source.lpProvider, m_provider);
}

wchar_t* NetResourceCopy::MakeObjectDynamic(const wchar_t* text, std::unique_ptr<std::wstring>& holder) {
    fw::DebugTrace("MakeObjectDynamic( %s )\n", text ? fw::Narrow(text).c_str() : "(null)");
    if (!text) return nullptr;
    holder = std::make_unique<std::wstring>(text);
    return &(*holder)[0];
}

// --- CDlgGetPath ------------------------------------------------------------

CDlgGetPath::CDlgGetPath(HWND parent) : fw::CDialog(IDD_FOLDER_CHOOSER, parent) {
    fw::DebugTrace("CDlgGetPath::CDlgGetPath(%p)\n", static_cast<void*>(parent));
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
}

CDlgGetPath::~CDlgGetPath() {
    if (m_images) ::ImageList_Destroy(m_images);
}

std::string CDlgGetPath::NormaliseItemText(const std::string& text) {
    if (HasLowerAscii(text)) return text;
    std::string normal = fw::LowerAscii(text);
    if (!normal.empty()) normal[0] = fw::UpperAscii(normal[0]);
    return normal;
}

BOOL CDlgGetPath::OnInitDialog() {
    fw::DebugTrace("CDlgGetPath::OnInitDialog()\n");
    m_tree = GetDlgItem(kTreeId);
    m_images = ::ImageList_LoadImageW(fw::ResourceInstance(), MAKEINTRESOURCEW(IDB_FOLDER_IMAGES), 17, 1,
                                      RGB(255, 255, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (m_images) ::SendMessageW(m_tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_images));
    else fw::DebugTrace("Image list creation fault\n");

    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
        const UINT type = ::GetDriveTypeW(root);
        if (type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK) {
            const int image = static_cast<int>(type);
            InsertItem(TVI_ROOT, nullptr, std::string{letter, ':'}, image, image);
        }
    }
    m_networkRoot = InsertItem(TVI_ROOT, nullptr, "Network Neighborhood", kNetworkImage, kNetworkImage);
    OpenAlongPath(m_strPath);
    return TRUE;
}

void CDlgGetPath::OpenAlongPath(const std::string& path) {
    HTREEITEM current = TVI_ROOT;
    std::string piece;
    for (size_t n = 0; PathComponent(path, n, piece); ++n) {
        HTREEITEM found = (n == 0 && piece.empty()) ? m_networkRoot : ChildNamed(current, piece);
        if (!found) continue;
        current = found;
        FillAndSelect(current);
        ::SendMessageW(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(current));
    }
}

HTREEITEM CDlgGetPath::ChildNamed(HTREEITEM parent, const std::string& name) const {
    auto next = [&](HTREEITEM item, UINT how) {
        return reinterpret_cast<HTREEITEM>(::SendMessageW(m_tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };
    HTREEITEM child = parent == TVI_ROOT ? next(nullptr, TVGN_ROOT) : next(parent, TVGN_CHILD);
    for (; child; child = next(child, TVGN_NEXT))
        if (fw::EqualsIgnoringAsciiCase(ItemText(child), name)) return child;
    return nullptr;
}

HTREEITEM CDlgGetPath::InsertItem(HTREEITEM parent, std::unique_ptr<NetResourceCopy> datum, const std::string& text,
                                  int image, int selectedImage) {
    fw::DebugTrace("CDlgGetPath::InsertItem(%p,%p,%s +++ )\n", static_cast<void*>(parent),
                   static_cast<void*>(datum.get()), text.c_str());
    std::wstring shown = fw::Widen(NormaliseItemText(text));
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = &shown[0];
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage == -1 ? image : selectedImage;
    insert.item.cChildren = 1;  // an expand button until the item is found empty
    insert.item.lParam = reinterpret_cast<LPARAM>(datum.get());
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item && datum) m_data[item] = std::move(datum);
    return item;
}

NetResourceCopy* CDlgGetPath::DatumOf(HTREEITEM item) const {
    auto it = m_data.find(item);
    return it == m_data.end() ? nullptr : it->second.get();
}

std::string CDlgGetPath::ItemText(HTREEITEM item) const {
    wchar_t text[MAX_PATH + 1] = L"";
    TVITEMW tvi = {};
    tvi.mask = TVIF_TEXT;
    tvi.hItem = item;
    tvi.pszText = text;
    tvi.cchTextMax = MAX_PATH + 1;
    ::SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
    text[MAX_PATH] = L'\0';
    return fw::Narrow(text);
}

std::string CDlgGetPath::GetItemPath(HTREEITEM item) {
    fw::DebugTrace("CDlgGetPath::GetItemPath(%p)\n", static_cast<void*>(item));
    std::string path;
    while (item) {
        if (const NetResourceCopy* datum = DatumOf(item)) {
            path = fw::Narrow(datum->Get().lpRemoteName) + "\\" + path;
            break;
        }
        path = ItemText(item) + "\\" + path;
        item = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    }
    return path;
}

void CDlgGetPath::FillAndSelect(HTREEITEM item) {
    const std::string path = GetItemPath(item);
    const HTREEITEM child = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    if (child) return;  // filled before
    PopulateTree(path, item);
    const HTREEITEM selected = reinterpret_cast<HTREEITEM>(::SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (selected != item) ::SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void CDlgGetPath::PopulateTree(const std::string& path, HTREEITEM item) {
    fw::DebugTrace("CDlgGetPath::PopulateTree( %s )\n", path.c_str());
    bool added = false;
    if (item == m_networkRoot || DatumOf(item)) {
        added = EnumNetwork(item);
    } else {
        WIN32_FIND_DATAW found = {};
        UniqueFind find(::FindFirstFileW(fw::Widen(path + "*.*").c_str(), &found));
        if (find) {
            do {
                const std::string name = fw::Narrow(found.cFileName);
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..") continue;
                InsertItem(item, nullptr, name, 1, 0);
                added = true;
            } while (::FindNextFileW(find.get(), &found));
        }
    }
    if (!added) {
        TVITEMW tvi = {};
        tvi.mask = TVIF_CHILDREN;
        tvi.hItem = item;
        tvi.cChildren = 0;
        ::SendMessageW(m_tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
    }
}

bool CDlgGetPath::EnumNetwork(HTREEITEM item) {
    fw::DebugTrace("CDlgGetPath::EnumNetwork( %p )\n", static_cast<void*>(item));
    NetResourceCopy* datum = DatumOf(item);
    HANDLE opened = nullptr;
    const DWORD rc = ::WNetOpenEnumW(datum ? RESOURCE_GLOBALNET : RESOURCE_CONTEXT, RESOURCETYPE_ANY, 0,
                                     datum ? datum->GetMutable() : nullptr, &opened);
    if (rc != NO_ERROR) {
        fw::DebugTrace("*** ERROR %d - Cannot enumerate network drives.\n", static_cast<int>(rc));
        return false;
    }
    UniqueNetworkEnum enumeration(opened);
    bool added = false;
    for (;;) {
        UniqueGlobal buffer(::GlobalAlloc(GPTR, kEnumBufferSize));
        if (!buffer) break;
        DWORD count = 0xFFFFFFFF;  // as many as fit
        DWORD size = kEnumBufferSize;
        const DWORD result = ::WNetEnumResourceW(enumeration.get(), &count, buffer.get(), &size);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != NO_ERROR) {
            fw::DebugTrace("*** ERROR %d - Cannot complete network drive enumeration\n", static_cast<int>(result));
            break;
        }
        const auto* entries = static_cast<const NETRESOURCEW*>(buffer.get());
        for (DWORD i = 0; i < count; ++i) {
            InsertNetworkEntry(item, entries[i]);
            added = true;
        }
    }
    return added;
}

void CDlgGetPath::InsertNetworkEntry(HTREEITEM parent, const NETRESOURCEW& entry) {
    std::string name = EntryName(entry);
    if (entry.dwDisplayType == RESOURCEDISPLAYTYPE_SHARE) {
        const size_t slash = name.find('\\');
        if (slash != std::string::npos) name.erase(0, slash + 1);
        InsertItem(parent, nullptr, name, 1, 0);
        return;
    }
    const int image = kNetworkImage + static_cast<int>(entry.dwDisplayType);
    InsertItem(parent, std::make_unique<NetResourceCopy>(entry), name, image, image);
}

LRESULT CDlgGetPath::OnItemexpandingTree(const NMTREEVIEWW& nm) {
    fw::DebugTrace("CDlgGetPath::OnItemexpandingTree(%p)\n", static_cast<void*>(nm.itemNew.hItem));
    const HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
    if (nm.action & TVE_EXPAND) FillAndSelect(nm.itemNew.hItem);
    ::SetCursor(previous);
    return FALSE;  // always allowed
}

LRESULT CDlgGetPath::OnSelchangedTree(const NMTREEVIEWW& nm) {
    fw::DebugTrace("CDlgGetPath::OnSelchangedTree(%p)\n", static_cast<void*>(nm.itemNew.hItem));
    const HTREEITEM item = nm.itemNew.hItem;
    const bool fileSystem = item && item != m_networkRoot && !DatumOf(item);
    ::EnableWindow(GetDlgItem(IDOK), fileSystem);
    ::SetDlgItemTextW(m_hWnd, kPathText, fileSystem ? fw::Widen(GetItemPath(item)).c_str() : L"");
    return 0;
}

void CDlgGetPath::OnDestroyDialog() {
    fw::DebugTrace("CDlgGetPath::DestroyWindow()\n");
    const HTREEITEM selected = reinterpret_cast<HTREEITEM>(::SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    m_strPath = selected ? GetItemPath(selected) : std::string();
    ::SendMessageW(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    m_data.clear();
}

INT_PTR CDlgGetPath::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY && static_cast<int>(wParam) == kTreeId) {
        // A dialog of ours is a Unicode window: its tree notifies in UTF-16.
        const auto& nm = *reinterpret_cast<const NMTREEVIEWW*>(lParam);
        LRESULT result = 0;
        switch (nm.hdr.code) {
        case TVN_ITEMEXPANDINGW: result = OnItemexpandingTree(nm); break;
        case TVN_SELCHANGEDW: result = OnSelchangedTree(nm); break;
        default: return FALSE;
        }
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (msg == WM_DESTROY) {
        OnDestroyDialog();
        return FALSE;
    }
    return fw::CDialog::DialogProc(msg, wParam, lParam);
}
