#include "emulator/keyboard_faults.h"

#include <charconv>

namespace tq260 {

namespace {

inline constexpr int kLargestNumber = 1000000;

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "..." + std::string(...).
std::string quoted(std::string_view before, std::string_view text, std::string_view after) {
    std::string result(before);
    result.append(1, '"').append(text).append(1, '"').append(after);
    return result;
}

std::optional<int> number(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || at != end || value < 0 || value > kLargestNumber) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<KeyboardFaults> parseKeyboardFaults(std::string_view text, std::string& error) {
    KeyboardFaults faults;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);

        const std::size_t equals = item.find('=');
        const std::string_view name = item.substr(0, equals);
        if (equals == std::string_view::npos) {
            if (name != "silent") {
                error = quoted("unknown keyboard fault ", item, "");
                return std::nullopt;
            }
            faults.silent = true;
            continue;
        }
        const std::optional<int> value = number(item.substr(equals + 1));
        int* field = name == "silent-after"   ? &faults.silentAfterCommands
                     : name == "late"         ? &faults.lateAnswerMs
                     : name == "lose"         ? &faults.lostReports
                     : name == "unplug-after" ? &faults.unplugAfterReports
                                              : nullptr;
        if (field == nullptr) {
            error = quoted("unknown keyboard fault ", name, "");
            return std::nullopt;
        }
        if (!value) {
            error = quoted("", item, " needs a whole number from 0 to 1000000");
            return std::nullopt;
        }
        *field = *value;
    }
    return faults;
}

void applyKeyboardFaults(const KeyboardFaults& faults, VirtualKeyboard& keyboard) {
    keyboard.setSilent(faults.silent);
    keyboard.fallSilentAfterCommands(faults.silentAfterCommands);
    keyboard.setLateAnswerMs(faults.lateAnswerMs);
    keyboard.loseInputReports(faults.lostReports);
    keyboard.unplugAfterReports(faults.unplugAfterReports);
}

}  // namespace tq260
