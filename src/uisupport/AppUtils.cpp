#include "uisupport/AppUtils.h"

#include "platform/controls/Controls.h"
#include "platform/graphics/GraphicsObjects.h"
#include "uisupport/Form.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>

#include <cmath>

namespace tessiv {

namespace {

const TForm* FormOfControl(const TControl* control)
{
    const TControl* top = control;
    while (top->Parent())
        top = top->Parent();
    for (const TComponent* c = top; c; c = c->Owner())
        if (const auto* form = dynamic_cast<const TForm*>(c))
            return form;
    return nullptr;
}

const QSet<QChar>& PositionDelims()
{
    static const QSet<QChar> delims{QLatin1Char(' '), QLatin1Char(',')};
    return delims;
}

// The N-th word of a stored position as a number; Default when it is not one.
int PositionWord(const QString& value, int n, int defaultValue)
{
    bool ok = false;
    const int v = ExtractWord(n, value, PositionDelims()).toInt(&ok);
    return ok ? v : defaultValue;
}

} // namespace

QString ComponentIniSection(const TComponent* component)
{
    if (!component)
        return QString();
    if (dynamic_cast<const TForm*>(component))
        return component->ClassName();
    if (const auto* control = dynamic_cast<const TControl*>(component)) {
        if (const TForm* form = FormOfControl(control))
            return form->ClassName() + control->Name();
        return (control->Parent() ? control->Parent()->Name() : QString()) + control->Name();
    }
    if (component->Owner() && dynamic_cast<const TForm*>(component->Owner()))
        return QStringLiteral("%1.%2").arg(component->Owner()->ClassName(), component->Name());
    return component->Name();
}

QString DefaultIniFileName()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Tessiv/Tessiv.INI"));
}

QString IniReadString(TIniFile* ini, const QString& section, const QString& ident, const QString& defaultValue)
{
    return ini ? ini->ReadString(section, ident, defaultValue) : defaultValue;
}

int IniReadInteger(TIniFile* ini, const QString& section, const QString& ident, int defaultValue)
{
    return ini ? ini->ReadInteger(section, ident, defaultValue) : defaultValue;
}

bool IniReadBool(TIniFile* ini, const QString& section, const QString& ident, bool defaultValue)
{
    return ini ? ini->ReadBool(section, ident, defaultValue) : defaultValue;
}

void IniWriteString(TIniFile* ini, const QString& section, const QString& ident, const QString& value)
{
    if (!ini)
        return;
    QString s = value;
    if (!s.isEmpty() && (s.front() == QLatin1Char('\'') || s.front() == QLatin1Char('"')) && s.back() == s.front())
        s = QLatin1Char('"') + s + QLatin1Char('"');
    ini->WriteString(section, ident, s);
}

void IniWriteInteger(TIniFile* ini, const QString& section, const QString& ident, int value)
{
    if (ini)
        ini->WriteInteger(section, ident, value);
}

void IniWriteBool(TIniFile* ini, const QString& section, const QString& ident, bool value)
{
    if (ini)
        ini->WriteBool(section, ident, value);
}

void IniEraseSection(TIniFile* ini, const QString& section)
{
    if (ini)
        ini->EraseSection(section);
}

void IniDeleteKey(TIniFile* ini, const QString& section, const QString& ident)
{
    if (ini)
        ini->DeleteKey(section, ident);
}

QString ScreenResolutionSuffix()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : QSize(0, 0);
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

int ScreenPixelsPerInchNow()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : ScreenPixelsPerInch();
}

QString ReadPosStr(TIniFile* ini, const QString& section, const QString& ident)
{
    const QString s = IniReadString(ini, section, ident + ScreenResolutionSuffix(), QString());
    return s.isEmpty() ? IniReadString(ini, section, ident, QString()) : s;
}

void WritePosStr(TIniFile* ini, const QString& section, const QString& ident, const QString& value)
{
    IniWriteString(ini, section, ident + ScreenResolutionSuffix(), value);
    IniWriteString(ini, section, ident, value);
}

void SaveWindowPlacement(TForm* form, TIniFile* ini, const QString& section)
{
    if (!form || !form->Window() || !ini)
        return;
    TWindowPlacement p = form->GetWindowPlacement();
    if (form == TForm::MainForm() && TForm::ApplicationMinimized())
        p.ShowCmd = SW_SHOWMINIMIZED;
    if (form->FormStyle() == fsMDIChild && form->WindowState() == wsMinimized)
        p.Flags |= WPF_SETMINPOSITION;
    IniWriteInteger(ini, section, QStringLiteral("Flags"), static_cast<int>(p.Flags));
    IniWriteInteger(ini, section, QStringLiteral("ShowCmd"), p.ShowCmd);
    IniWriteInteger(ini, section, QStringLiteral("PixelsPerInch"), ScreenPixelsPerInchNow());
    WritePosStr(ini, section, QStringLiteral("MinMaxPos"),
                QStringLiteral("%1,%2,%3,%4")
                    .arg(p.MinPosition.X)
                    .arg(p.MinPosition.Y)
                    .arg(p.MaxPosition.X)
                    .arg(p.MaxPosition.Y));
    const TRect& r = p.NormalPosition;
    WritePosStr(ini, section, QStringLiteral("NormPos"),
                QStringLiteral("%1,%2,%3,%4").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom));
}

void LoadWindowPlacement(TForm* form, TIniFile* ini, const QString& section, bool loadState, bool loadPosition)
{
    if ((!loadState && !loadPosition) || !form || !form->Window())
        return;
    TWindowPlacement p = form->GetWindowPlacement();
    if (!form->Visible())
        p.ShowCmd = SW_HIDE;
    if (loadPosition) {
        bool present = false;
        p.Flags = static_cast<unsigned>(IniReadInteger(ini, section, QStringLiteral("Flags"), static_cast<int>(p.Flags)));
        QString s = ReadPosStr(ini, section, QStringLiteral("MinMaxPos"));
        if (!s.isEmpty()) {
            present = true;
            p.MinPosition = TPoint{PositionWord(s, 1, 0), PositionWord(s, 2, 0)};
            p.MaxPosition = TPoint{PositionWord(s, 3, 0), PositionWord(s, 4, 0)};
        }
        s = ReadPosStr(ini, section, QStringLiteral("NormPos"));
        if (!s.isEmpty()) {
            present = true;
            const TRect now = form->BoundsRect();
            p.NormalPosition = Rect(PositionWord(s, 1, now.Left), PositionWord(s, 2, now.Top),
                                    PositionWord(s, 3, now.Left + now.Width()),
                                    PositionWord(s, 4, now.Top + now.Height()));
        }
        const int ppi = IniReadInteger(ini, section, QStringLiteral("PixelsPerInch"), ScreenPixelsPerInchNow());
        if (present && ppi == ScreenPixelsPerInchNow()) {
            TRect& r = p.NormalPosition;
            if (form->BorderStyle() != TFormBorderStyle::bsSizeable &&
                form->BorderStyle() != TFormBorderStyle::bsSizeToolWin) {
                r.Right = r.Left + form->Width();
                r.Bottom = r.Top + form->Height();
            }
            if (r.Right > r.Left) {
                // Centring would undo the stored position.
                if (form->Position() == poScreenCenter || form->Position() == poDesktopCenter)
                    form->SetPosition(poDesigned);
                form->SetWindowPlacement(p);
            }
        }
    }
    if (loadState) {
        TWindowState state = wsNormal;
        TForm* mainForm = TForm::MainForm();
        const bool isMain = !mainForm || mainForm == form;
        if (isMain && (form->FormStyle() == fsMDIForm ||
                       (form->FormStyle() == fsNormal && form->Position() == poDefault)))
            state = wsMaximized;
        switch (IniReadInteger(ini, section, QStringLiteral("ShowCmd"), 0)) {
        case SW_SHOWNORMAL:
        case SW_SHOW:
        case SW_RESTORE:
            state = wsNormal;
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            state = wsMinimized;
            break;
        case SW_SHOWMAXIMIZED:
            state = wsMaximized;
            break;
        default:
            break;
        }
        if (state == wsMinimized && isMain) {
            // The application goes to an icon once the window is up, not the window on its own
            // while it is being shown.
            form->SetWindowState(wsNormal);
            QPointer<QWidget> window = form->Window();
            if (QCoreApplication::instance())
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [window] {
                        if (window)
                            window->showMinimized();
                    },
                    Qt::QueuedConnection);
            return;
        }
        form->SetWindowState(state);
    }
    if (form->Visible())
        form->Window()->update();
}

int WordPosition(int n, const QString& s, const QSet<QChar>& delims)
{
    int count = 0;
    qsizetype i = 0;
    const qsizetype len = s.size();
    while (i < len) {
        while (i < len && delims.contains(s[i]))
            ++i;
        if (i >= len)
            break;
        if (++count == n)
            return static_cast<int>(i) + 1;
        while (i < len && !delims.contains(s[i]))
            ++i;
    }
    return 0;
}

QString ExtractWord(int n, const QString& s, const QSet<QChar>& delims)
{
    const int start = WordPosition(n, s, delims);
    if (start == 0)
        return QString();
    qsizetype end = start - 1;
    while (end < s.size() && !delims.contains(s[end]))
        ++end;
    return s.mid(start - 1, end - (start - 1));
}

} // namespace tessiv
