#include "wmp_plugin/win32/PropertiesDialog.h"

#include "wmp_plugin/PluginSettings.h"
#include "wmp_plugin/win32/Module.h"
#include "wmp_plugin/win32/resource.h"

#include <algorithm>
#include <new>
#include <vector>

namespace wmp_plugin {

namespace {

struct TBox {
    int Id;
    std::u16string TPluginSettings::*Field;
    std::size_t FieldSize;
};
const TBox kBoxes[] = {
    {IDC_TITLE, &TPluginSettings::Title, kTextFieldSize}, {IDC_PATH, &TPluginSettings::Path, kPathFieldSize},
    {IDC_SIGN, &TPluginSettings::Sign, kTextFieldSize},   {IDC_STOP, &TPluginSettings::Stop, kTextFieldSize},
    {IDC_EXIT, &TPluginSettings::Exit, kTextFieldSize},
};

// Centres the dialog over its owner, or over the work area when the owner is missing or hidden, and keeps
// it inside the work area.
void CentreOverOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    const bool ownerShown = owner && IsWindowVisible(owner) && !IsIconic(owner);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(ownerShown ? owner : dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT area = monitor.rcWork;

    RECT over = area;
    if (ownerShown)
        GetWindowRect(owner, &over);
    RECT self;
    GetWindowRect(dialog, &self);
    const LONG width = self.right - self.left;
    const LONG height = self.bottom - self.top;
    LONG x = over.left + (over.right - over.left - width) / 2;
    LONG y = over.top + (over.bottom - over.top - height) / 2;
    x = std::max(area.left, std::min(x, area.right - width));
    y = std::max(area.top, std::min(y, area.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FillBoxes(HWND dialog, const TPluginSettings& settings) {
    for (const auto& box : kBoxes) {
        SetDlgItemTextW(dialog, box.Id, reinterpret_cast<const wchar_t*>((settings.*box.Field).c_str()));
    }
}

// Copies every box into its field, cut to the field's size.
void TakeBoxes(HWND dialog, TPluginSettings& settings) {
    for (const auto& box : kBoxes) {
        std::vector<wchar_t> text(box.FieldSize, L'\0');
        const UINT length = GetDlgItemTextW(dialog, box.Id, text.data(), int(text.size()));
        settings.*box.Field = std::u16string(reinterpret_cast<const char16_t*>(text.data()),
                                             std::min<std::size_t>(length, box.FieldSize - 1));
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        CentreOverOwner(dialog);
        FillBoxes(dialog, *reinterpret_cast<TPluginSettings*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            try {
                TakeBoxes(dialog, *reinterpret_cast<TPluginSettings*>(GetWindowLongPtrW(dialog, DWLP_USER)));
                EndDialog(dialog, IDOK);
            } catch (const std::bad_alloc&) {
                EndDialog(dialog, IDCANCEL); // out of memory: the settings keep what they had
            }
            return TRUE;
        case IDCANCEL: // the Cancel button, Escape and the close box
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

bool RunPropertiesDialog(HWND owner, TPluginSettings& settings) {
    try {
        // Edited on a copy so that a failure half-way through taking the boxes leaves the settings whole.
        TPluginSettings edited = settings;
        const INT_PTR result = DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(IDD_PROPERTIES), owner,
                                               DialogProc, reinterpret_cast<LPARAM>(&edited));
        if (result != IDOK)
            return false;
        settings = std::move(edited);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace wmp_plugin
