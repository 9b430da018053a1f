#include "macro/macro_file.h"

#include <algorithm>
#include <cstring>

#include "platform/atomic_file.h"

namespace tq260 {

void loadMacroBytes(std::span<const std::uint8_t> bytes, MacroTable& table) {
    std::memcpy(table.data(), bytes.data(), std::min(bytes.size(), sizeof(MacroTable)));
}

DataFileLoad loadMacroFile(const std::filesystem::path& file, MacroTable& table,
                           std::filesystem::path* keptAside) {
    if (const auto read = readFileInto(
            file, {std::span(reinterpret_cast<std::uint8_t*>(table.data()), sizeof(MacroTable))})) {
        if (*read == sizeof(MacroTable)) return DataFileLoad::Read;
        return keepDamagedAside(file, keptAside, [&] { return saveMacroFile(file, table); });
    }
    std::error_code error;
    if (std::filesystem::exists(file, error) || error) return DataFileLoad::Unreadable;
    saveMacroFile(file, table);
    return DataFileLoad::Created;
}

bool saveMacroFile(const std::filesystem::path& file, const MacroTable& table) {
    return writeFileAtomically(
        file, std::span(reinterpret_cast<const std::uint8_t*>(table.data()), sizeof(MacroTable)));
}

}  // namespace tq260
