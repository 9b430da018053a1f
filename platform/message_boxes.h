#pragma once

#include <string>

namespace tq260 {

// The program's message boxes: a text and a caption in the interface's language, with OK or
// OK and Cancel.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual void tell(const std::u16string& text, const std::u16string& caption) = 0;
    // Something failed: told as tell() does, with the warning icon. Boxes that show no
    // icon tell it like any other text.
    virtual void warn(const std::u16string& text, const std::u16string& caption) {
        tell(text, caption);
    }
    // True when the user chose OK.
    virtual bool ask(const std::u16string& text, const std::u16string& caption) = 0;
};

}  // namespace tq260
