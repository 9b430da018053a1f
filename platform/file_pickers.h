#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tq260 {

// The system's file and folder choosers.
class FilePickers {
  public:
    virtual ~FilePickers() = default;
    struct Request {
        std::u16string title;
        std::u16string folder;         // where it starts
        std::u16string filterName;     // for example "bin Files(*.bin)"
        std::u16string filterPattern;  // for example "*.bin"
        bool mustExist = true;
        std::u16string defaultSuffix;  // added to a name typed without one (save only)
        // Files never offered (the program's own data files, which a save must not replace).
        std::vector<std::u16string> hidden;
    };
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::u16string> openFile(const Request& request) = 0;
    virtual std::optional<std::u16string> saveFile(const Request& request) = 0;
    virtual std::optional<std::u16string> folder(const Request& request) = 0;
};

}  // namespace tq260
