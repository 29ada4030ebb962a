#include "platform/ui/Dialogs.h"

#include "platform/ui/Application.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QRegularExpression>

namespace tessiv {

namespace {
TDialogPresenter& Presenter()
{
    static TDialogPresenter presenter;
    return presenter;
}

QColor ToQColor(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor FromQColor(const QColor& q)
{
    return static_cast<TColor>(q.red() | (q.green() << 8) | (q.blue() << 16));
}
} // namespace

void SetDialogPresenter(TDialogPresenter presenter)
{
    Presenter() = std::move(presenter);
}

TESSIV_IMPLEMENT_CLASS(TCommonDialog, TComponent)

bool TCommonDialog::Execute(QWidget* parent)
{
    if (Presenter())
        return Presenter()(*this);
    return ExecuteQt(parent ? parent : DialogOwnerWindow());
}

// ---- open and save ----

TESSIV_IMPLEMENT_CLASS(TOpenDialog, TCommonDialog)
TESSIV_IMPLEMENT_CLASS(TSaveDialog, TOpenDialog)

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner) {}

QStringList TOpenDialog::QtFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // Descriptions often show their patterns already: Qt reads the last parenthesis as the
        // patterns, so ours replace them.
        description.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)\\s*$")));
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            for (const QString& variant : {pattern, pattern.toUpper(), pattern.toLower()})
                if (!patterns.contains(variant))
                    patterns << variant;
        }
        result << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return result;
}

QString TOpenDialog::WithDefaultExt(const QString& name) const
{
    if (name.isEmpty() || DefaultExt.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + QLatin1Char('.') + DefaultExt;
}

bool TOpenDialog::ExecuteQt(QWidget* parent)
{
    QFileDialog dialog(parent, Title, InitialDir);
    const QStringList filters = QtFilters(Filter);
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    if (Saving()) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !Options.Contains(ofOverwritePrompt));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(Options.Contains(ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                                                                : QFileDialog::ExistingFile);
    }
    if (!DefaultExt.isEmpty())
        dialog.setDefaultSuffix(DefaultExt);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Files = dialog.selectedFiles();
    FileName = Files.isEmpty() ? QString() : WithDefaultExt(Files.front());
    FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return !FileName.isEmpty();
}

// ---- colour ----

TESSIV_IMPLEMENT_CLASS(TColorDialog, TCommonDialog)

TColorDialog::TColorDialog(TComponent* owner) : TCommonDialog(owner), FCustomColors(std::make_unique<TStringList>())
{
}

TColorDialog::~TColorDialog() = default;

bool TColorDialog::ExecuteQt(QWidget* parent)
{
    // The values are colour references: the byte above blue is not part of the colour, so an
    // entry never set ("FFFFFFFF") is white.
    QColor before[16];
    for (int i = 0; i < 16; ++i) {
        const QString value = FCustomColors->Values(QStringLiteral("Color") + QChar(u'A' + i));
        bool ok = false;
        const uint bgr = value.toUInt(&ok, 16);
        before[i] = ok ? ToQColor(static_cast<TColor>(bgr & 0xFFFFFFu)) : QColor(Qt::white);
        QColorDialog::setCustomColor(i, before[i]);
    }
    const QColor chosen = QColorDialog::getColor(ToQColor(Color), parent, Title);
    // The custom colours the user set come back whether or not a colour was chosen; an entry the
    // user left alone keeps its text.
    for (int i = 0; i < 16; ++i) {
        const QColor after = QColorDialog::customColor(i);
        if (after == before[i])
            continue;
        const TColor c = FromQColor(after);
        FCustomColors->SetValue(QStringLiteral("Color") + QChar(u'A' + i),
                                QStringLiteral("%1").arg(static_cast<uint>(c), 6, 16, QLatin1Char('0')).toUpper());
    }
    if (!chosen.isValid())
        return false;
    Color = FromQColor(chosen);
    return true;
}

// ---- font ----

TESSIV_IMPLEMENT_CLASS(TFontDialog, TCommonDialog)

TFontDialog::TFontDialog(TComponent* owner) : TCommonDialog(owner), FFont(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

bool TFontDialog::ExecuteQt(QWidget* parent)
{
    QFont initial(FFont->Name());
    initial.setPointSize(std::max(1, FFont->Size()));
    initial.setBold(FFont->Style().Contains(fsBold));
    initial.setItalic(FFont->Style().Contains(fsItalic));
    initial.setUnderline(FFont->Style().Contains(fsUnderline));
    initial.setStrikeOut(FFont->Style().Contains(fsStrikeOut));
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent, Title);
    if (!ok)
        return false;
    FFont->SetName(chosen.family());
    FFont->SetSize(chosen.pointSize() > 0 ? chosen.pointSize() : FFont->Size());
    TFontStyles style;
    if (chosen.bold())
        style += fsBold;
    if (chosen.italic())
        style += fsItalic;
    if (chosen.underline())
        style += fsUnderline;
    if (chosen.strikeOut())
        style += fsStrikeOut;
    FFont->SetStyle(style);
    return true;
}

bool SelectDirectory(const QString& caption, const QString& root, QString& directory, QWidget* parent)
{
    const QString start = directory.isEmpty() ? root : directory;
    const QString chosen = QFileDialog::getExistingDirectory(parent, caption, start);
    if (chosen.isEmpty())
        return false;
    directory = chosen;
    return true;
}

} // namespace tessiv
