// The desktop shell's "open": a web address, a mail address or a file,
// handed to whatever the desktop opens it with.
#pragma once

#include <QString>

namespace win {

// Text as a user types it ("www.example.com", "/tmp/a.txt", "mailto:x@y");
// false when it is empty, not understood or no handler takes it. Main thread
// only (it needs the GUI application).
bool ShellOpen(const QString &target);

} // namespace win
