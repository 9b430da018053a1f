#include "platform/windows_hot_plug_watcher.h"

// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <string>

#include "platform/usb_ids.h"

namespace tq260 {

namespace {

// The HID device interface class: every keyboard channel is one of these.
constexpr GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr wchar_t kWindowClass[] = L"TQ260HotPlugWatcher";

// Device paths are ASCII; anything else cannot be part of the ids.
std::string asciiOf(const wchar_t* text) {
    std::string bytes;
    for (; *text != L'\0'; ++text) bytes += *text < 0x80 ? static_cast<char>(*text) : '?';
    return bytes;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM event, LPARAM data) {
    if (message != WM_DEVICECHANGE ||
        (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE)) {
        return DefWindowProcW(window, message, event, data);
    }
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    const auto* listener =
        reinterpret_cast<const HotPlugWatcher::Listener*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (header == nullptr || listener == nullptr ||
        header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) {
        return TRUE;
    }
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    if (const auto ids = usbIdsOfDevicePath(asciiOf(device->dbcc_name))) {
        (*listener)(DeviceChange{
            event == DBT_DEVICEARRIVAL ? DeviceChange::Kind::Arrival : DeviceChange::Kind::Removal,
            ids->vendorId, ids->productId});
    }
    return TRUE;
}

}  // namespace

WindowsHotPlugWatcher::~WindowsHotPlugWatcher() {
    stop();
}

bool WindowsHotPlugWatcher::start(Listener listener) {
    return thread_.start(
        [listener = std::move(listener)]() -> std::optional<WindowsMessageThread::Cleanup> {
            const HINSTANCE module = GetModuleHandleW(nullptr);
            WNDCLASSEXW type{};
            type.cbSize = sizeof type;
            type.lpfnWndProc = windowProcedure;
            type.hInstance = module;
            type.lpszClassName = kWindowClass;
            RegisterClassExW(&type);  // Fails harmlessly when a previous start registered it.
            HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, module, nullptr);
            if (window == nullptr) return std::nullopt;
            // The set-up function lives as long as the thread, so the window may point at its copy.
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&listener));
            DEV_BROADCAST_DEVICEINTERFACE_W filter{};
            filter.dbcc_size = sizeof filter;
            filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
            filter.dbcc_classguid = kHidInterfaceClass;
            HDEVNOTIFY notices =
                RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
            if (notices == nullptr) {
                DestroyWindow(window);
                return std::nullopt;
            }
            return [window, notices] {
                UnregisterDeviceNotification(notices);
                DestroyWindow(window);
            };
        });
}

void WindowsHotPlugWatcher::stop() {
    thread_.stop();
}

}  // namespace tq260
