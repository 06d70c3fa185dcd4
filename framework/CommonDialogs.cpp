#include "framework/CommonDialogs.h"

#include "framework/Modal.h"

#include <commdlg.h>

namespace fw {

bool ChooseColour(HWND owner, COLORREF& colour, DWORD flags) {
    COLORREF custom[16] = {};
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = colour;
    cc.lpCustColors = custom;
    cc.Flags = flags;
    const ModalScope modal;
    if (!::ChooseColorW(&cc)) return false;
    colour = cc.rgbResult;
    return true;
}

bool ChooseFontFrom(HWND owner, LOGFONTW& font, DWORD flags, int& pointSizeTenths) {
    LOGFONTW chosen = font;
    CHOOSEFONTW cf = {};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = owner;
    cf.lpLogFont = &chosen;
    cf.Flags = flags;
    cf.rgbColors = RGB(0, 0, 0);
    const ModalScope modal;
    if (!::ChooseFontW(&cf)) return false;
    font = chosen;
    pointSizeTenths = cf.iPointSize;
    return true;
}

}  // namespace fw
