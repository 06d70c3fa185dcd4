#include "framework/MessageBox.h"

#include "framework/Modal.h"
#include "framework/Unicode.h"

#include <mutex>

namespace fw {
namespace {
std::mutex g_handlerLock;
MessageBoxHandler g_handler;
}  // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    const ModalScope modal;
    MessageBoxHandler handler;
    {
        std::lock_guard<std::mutex> lock(g_handlerLock);
        handler = g_handler;
    }
    if (handler) return handler(MessageBoxCall{owner, text, caption, type});
    return ::MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard<std::mutex> lock(g_handlerLock);
    g_handler = std::move(handler);
}

}  // namespace fw
