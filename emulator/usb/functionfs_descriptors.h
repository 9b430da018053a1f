#pragma once

#include <cstdint>
#include <vector>

namespace tq260 {

// The endpoint files FunctionFS makes for the keyboard's function, in the order the endpoints
// appear in its descriptors ("ep1" is the first).
enum class KeyboardEndpoint : int {
    BootKeyboardIn = 1,
    MediaAndEventsIn = 2,
    MouseIn = 3,
    CommandIn = 4,
    CommandOut = 5,
};
inline constexpr int kKeyboardEndpointCount = 5;

// What is written to the function's ep0 first: the four HID interfaces with their class
// descriptors and interrupt endpoints, for full and high speed (FunctionFS's v2 layout).
std::vector<std::uint8_t> keyboardFunctionDescriptors();
// What is written next: no strings.
std::vector<std::uint8_t> keyboardFunctionStrings();

}  // namespace tq260
