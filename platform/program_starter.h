#pragma once

#include <string>

namespace tq260 {

// Starts programs outside this one (the firmware updaters, the web browser) without waiting
// for them.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // False when the program could not be started.
    virtual bool start(const std::u16string& program, const std::u16string& parameters) = 0;
    // Opens an address in the user's web browser.
    virtual bool openWebPage(const std::u16string& address) = 0;
};

}  // namespace tq260
