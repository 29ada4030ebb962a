#pragma once
// The hourglass while the designer works (a command, a table or query opening): the previous
// cursor comes back when it goes out of scope, however the work ends. Without a GUI application
// (tests, batch printing) it does nothing.

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace tessiv {

class TWaitCursor {
public:
    TWaitCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            FSet = true;
        }
    }
    ~TWaitCursor()
    {
        if (FSet)
            QGuiApplication::restoreOverrideCursor();
    }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool FSet = false;
};

} // namespace tessiv
