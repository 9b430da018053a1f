#pragma once

#ifndef _WIN32
#include <unistd.h>
#endif

namespace tq260::testing {

// Whether POSIX permissions stop this process as they stop a normal user: root reads files
// of mode 000 and writes into read-only folders, and Windows keeps only a read-only flag. The
// test script runs every "AsANormalUser" case again as a normal user.
inline bool permissionsStopThisProcess() {
#ifdef _WIN32
    return false;
#else
    return geteuid() != 0;
#endif
}

}  // namespace tq260::testing
