#pragma once

#include <cstdint>
#include <optional>

namespace tq260 {

// A key of the keyboard going down, repeating or up, by its virtual-key code.
struct KeyInput {
    enum class Kind { Up, Down, Repeat };
    std::uint8_t virtualKey = 0;
    Kind kind = Kind::Down;
    friend bool operator==(const KeyInput&, const KeyInput&) = default;
};

// The keystrokes of the keyboard itself, as its own input device reports them (on Linux, its
// evdev nodes, read without taking them from the desktop).
class KeyInputSource {
  public:
    enum class Opened { Reading, NoKeyboard, NoPermission };

    virtual ~KeyInputSource() = default;
    // Finds the keyboard's input nodes and opens them for reading.
    virtual Opened open() = 0;
    // Blocks until the next key input; nothing once the nodes have gone (the keyboard was
    // unplugged) or stop() was called.
    virtual std::optional<KeyInput> next() = 0;
    // Callable from any thread: makes next() return nothing from now on.
    virtual void stop() = 0;
};

}  // namespace tq260
