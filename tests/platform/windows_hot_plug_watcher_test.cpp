#include "platform/windows_hot_plug_watcher.h"

// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/device_claim.h"
#include "support/temporary_folder.h"

namespace tq260 {
namespace {

// The system's notice as it reaches the watcher's window: a device interface broadcast with
// the device's path after the fixed part.
std::vector<std::byte> interfaceNotice(const std::wstring& path) {
    std::vector<std::byte> bytes(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) +
                                 path.size() * sizeof(wchar_t));
    auto* notice = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    notice->dbcc_size = static_cast<DWORD>(bytes.size());
    notice->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::memcpy(notice->dbcc_name, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    return bytes;
}

TEST(WindowsHotPlugWatcher, ReportsTheIdsOfHidArrivalsAndRemovalsUntilStopped) {
    std::mutex mutex;
    std::vector<DeviceChange> changes;
    WindowsHotPlugWatcher watcher;
    ASSERT_TRUE(watcher.start([&](const DeviceChange& change) {
        const std::lock_guard lock(mutex);
        changes.push_back(change);
    }));
    HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"TQ260HotPlugWatcher", nullptr);
    ASSERT_NE(window, nullptr);
    auto keyboard = interfaceNotice(L"\\\\?\\HID#VID_04D9&PID_A12F&MI_01#7&1&0&0000#{x}");
    auto other = interfaceNotice(L"\\\\?\\HID#VID_046D&PID_C52B&MI_00#8&2&0&0000#{x}");
    auto nameless = interfaceNotice(L"\\\\?\\HID#ROOT#0000");
    // Sent, not posted: each is handled by the watcher's thread before the call returns.
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                 reinterpret_cast<LPARAM>(keyboard.data()));
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                 reinterpret_cast<LPARAM>(other.data()));
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                 reinterpret_cast<LPARAM>(nameless.data()));
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE,
                 reinterpret_cast<LPARAM>(keyboard.data()));
    watcher.stop();
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"TQ260HotPlugWatcher", nullptr), nullptr);
    const std::lock_guard lock(mutex);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].kind, DeviceChange::Kind::Arrival);
    EXPECT_EQ(changes[0].vendorId, 0x04D9);
    EXPECT_EQ(changes[0].productId, 0xA12F);
    EXPECT_EQ(changes[1].kind, DeviceChange::Kind::Removal);
    EXPECT_EQ(changes[1].vendorId, 0x046D);
    EXPECT_EQ(changes[1].productId, 0xC52B);
}

// Windows has no record locks: the lock file is held by opening it unshared. Its path comes
// as UTF-8, whatever the code page.
TEST(WindowsDeviceClaim, ALockFileIsHeldUntilItsClaimGoes) {
    const testing::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / u8"键盘 VirtualKeyboard.lock";
    const std::u8string utf8 = file.u8string();
    const std::string lock(utf8.begin(), utf8.end());
    std::unique_ptr<DeviceClaim> first;
    std::unique_ptr<DeviceClaim> second;
    ASSERT_EQ(DeviceClaim::takeLockFile(lock, first), DeviceClaim::Outcome::Claimed);
    EXPECT_EQ(DeviceClaim::takeLockFile(lock, second), DeviceClaim::Outcome::HeldElsewhere);
    EXPECT_EQ(second, nullptr);
    first.reset();
    EXPECT_EQ(DeviceClaim::takeLockFile(lock, second), DeviceClaim::Outcome::Claimed);
    EXPECT_TRUE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace tq260
