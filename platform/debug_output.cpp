#include "platform/debug_output.h"

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tq260 {

void DebugOutput::debugText(std::string_view text) {
#ifdef _WIN32
    OutputDebugStringA(std::string(text).c_str());
#else
    std::fwrite(text.data(), 1, text.size(), stderr);
#endif
}

}  // namespace tq260
