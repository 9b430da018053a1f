#include "platform/windows_command_line.h"

#include <windows.h>
// clang-format off
#include <shellapi.h>
// clang-format on

namespace tq260 {

std::vector<std::u16string> windowsCommandLine() {
    std::vector<std::u16string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; wide != nullptr && i < count; ++i) {
        const std::wstring_view argument(wide[i]);
        arguments.emplace_back(argument.begin(), argument.end());
    }
    LocalFree(wide);
    return arguments;
}

}  // namespace tq260
