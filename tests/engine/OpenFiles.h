#pragma once
// A file that this process holds open after its name was removed: the path under /proc/self/fd
// that still reads it, empty when no descriptor of the process refers to it.

#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

namespace openfiles {

inline QString OpenButRemoved(const QString& name)
{
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString link = fds.filePath(fd);
        char target[4096];
        const ssize_t n = ::readlink(QFile::encodeName(link).constData(), target, sizeof target);
        if (n > 0 && QString::fromLocal8Bit(target, n) == name + QStringLiteral(" (deleted)"))
            return link;
    }
    return QString();
}

} // namespace openfiles
