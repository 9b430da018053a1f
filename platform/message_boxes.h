#pragma once

#include <cstddef>
#include <string>
#include <vector>

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
    // A question with answers of its own, in order: the index of the one chosen. The last
    // answer changes nothing; closing the box chooses it, and so do boxes that cannot ask.
    virtual std::size_t choose(const std::u16string&, const std::u16string&,
                               const std::vector<std::u16string>& answers) {
        return answers.empty() ? 0 : answers.size() - 1;
    }
};

}  // namespace tq260
