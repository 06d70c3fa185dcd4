#include "search/BuiltinSites.h"

#include "res/resource.h"

#include <windows.h>

namespace {

constexpr WORD kHtmlResource = 23;  // RT_HTML

// The module holding this function: the DLL inside the host, the program in
// a test build. Its reference count is not changed.
HMODULE OwnModule() {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!::GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&OwnModule), &module)) return nullptr;
    return module;
}

}  // namespace

std::string BuiltinSitesText() {
    const HMODULE module = OwnModule();
    if (module == nullptr) return std::string();
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(IDR_SITES_TABLE), MAKEINTRESOURCEW(kHtmlResource));
    if (found == nullptr) return std::string();
    // A loaded resource belongs to the module image: nothing to free.
    const HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    const DWORD size = ::SizeofResource(module, found);
    if (bytes == nullptr || size == 0) return std::string();
    return std::string(static_cast<const char*>(bytes), size);
}
