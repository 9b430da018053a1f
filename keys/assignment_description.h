#pragma once

#include <string>

#include "keys/key_assignment.h"
#include "keys/key_name_table.h"
#include "keys/language.h"
#include "macro/macro_record.h"

namespace tq260 {

// What a key does now, in a few words of the interface's language, for a screen reader:
// "sends B", "sends Ctrl+ C", "plays the macro Macro_001", "Play/Pause", "opens song.mp3",
// "disabled". An unassigned key sends its own printed key.
std::u16string describeAssignment(std::size_t keyIndex, const KeyAssignment& record, bool disabled,
                                  const KeyNameTable& names, const MacroTable& macros,
                                  Language language);

}  // namespace tq260
