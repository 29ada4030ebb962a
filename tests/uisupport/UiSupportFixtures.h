#pragma once
// The Qt application the tests share, a temporary settings folder, and a main form class named as
// the program's.

#include "platform/ui/Application.h"
#include "uisupport/Form.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace uisupporttest {

using namespace tessiv;

inline TQtApplication& App()
{
    static int argc = 1;
    static char name[] = "test_uisupport";
    static char* argv[] = {name, nullptr};
    static auto* app = [] {
        auto* a = new TQtApplication(argc, argv);
        // A message box nobody expected would wait for a click that never comes.
        Application().Presenter = [](const TMessageBoxRequest& r) {
            ADD_FAILURE() << "unexpected message box: " << r.Text.toStdString();
            return r.EscapeButton ? r.EscapeButton : IDOK;
        };
        return a;
    }();
    return *app;
}

inline QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

inline void Pump(int times = 3)
{
    for (int i = 0; i < times; ++i)
        QCoreApplication::processEvents();
}

class TfmAnexo : public TForm {
    TESSIV_CLASS(TfmAnexo, TForm)
public:
    explicit TfmAnexo(TComponent* owner) : TForm(owner) {}
};

class TfmDialogo : public TForm {
    TESSIV_CLASS(TfmDialogo, TForm)
public:
    explicit TfmDialogo(TComponent* owner) : TForm(owner) {}
};

} // namespace uisupporttest
