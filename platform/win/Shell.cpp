#include "platform/win/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace win {

bool ShellOpen(const QString &target)
{
    const QUrl url = QUrl::fromUserInput(target);
    return url.isValid() && !url.isEmpty() && QDesktopServices::openUrl(url);
}

} // namespace win
