#include "platform/linux/LinuxShell.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace platform::linux_ {

std::intptr_t LinuxShell::ShellExecute(Handle /*owner*/, const char* /*operation*/, const char* file,
                                       const char* /*parameters*/, const char* /*directory*/, int /*showCommand*/) {
    // The handler runs on its own, detached; the Windows working directory means nothing here.
    constexpr std::intptr_t kStarted = 42;   // above 32: success, as the shell reports it
    constexpr std::intptr_t kNoHandler = 31;  // no association
    if (file == nullptr || *file == '\0') return kNoHandler;
    return QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{QString::fromUtf8(file)}) ? kStarted
                                                                                                      : kNoHandler;
}

}  // namespace platform::linux_
