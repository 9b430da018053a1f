#pragma once

#include <cstdint>

namespace tq260 {

inline constexpr const char* kRegistrationFailedText =
    "Cannot register for Wdm2 class device notification";
inline constexpr const char* kDeviceRemovedDebugText = "DBT_DEVICEREMOVECOMPLETE\n";

// What the device link tells the main window. Every call arrives on the main side; the
// worker that caused it waits until it has been handled.
class DeviceEvents {
  public:
    virtual ~DeviceEvents() = default;
    // The keyboard was opened, so no other program can change it (or the files kept beside
    // it) until it is closed; its read starts after this returns. Called on the main thread.
    virtual void keyboardHeld() {}
    // A full read has filled the record; the shadow is taken after this returns.
    virtual void settingsLoaded() = 0;
    // A full read was abandoned because the keyboard stopped answering; the record is as it
    // was.
    virtual void keyboardNotAnswering() = 0;
    // The user changed the lighting with the keyboard's own keys; the record holds it.
    virtual void lightingChanged(std::uint8_t effect) = 0;
    // The keyboard was unplugged (a read it was giving ends with it): the user is told,
    // and the window shows that no keyboard is there until one is read again.
    virtual void keyboardRemoved() = 0;
    // The keyboard cannot be used: the window goes to the notification area.
    virtual void hideWindow() = 0;
    // Hot-plug notifications are unavailable; show kRegistrationFailedText.
    virtual void registrationFailed() = 0;
};

}  // namespace tq260
