#include "platform/win/OsVersion.h"

namespace win {

bool GetVersionExA(OSVERSIONINFOA &info)
{
    // A Linux kernel release is no Windows version: reporting it as one
    // would show a misleading "Windows NT" text.
    (void)info;
    return false;
}

} // namespace win
