#include "designer/dialogs/DialogSupport.h"

#include "platform/core/IniFiles.h"
#include "uisupport/Form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace tessiv {

QWidget* MakeDialogClient(TForm& form, int width, int height)
{
    auto* client = new QWidget(form.Window());
    // At least the designed size; the fonts of the system may ask for more.
    client->setMinimumSize(width, height);
    form.Window()->setCentralWidget(client);
    return client;
}

void FitDialogToContents(TForm& form)
{
    QWidget* window = form.Window();
    window->ensurePolished();
    window->resize(window->sizeHint().expandedTo(window->minimumSizeHint()));
}

QButtonGroup* MakeRadioGroup(QWidget* parent, const QString& caption, const QStringList& items, QGroupBox*& box)
{
    box = new QGroupBox(caption, parent);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    group->button(0)->setChecked(true);
    return group;
}

void CheckRadio(QButtonGroup* group, int index)
{
    if (QAbstractButton* b = group->button(index))
        b->setChecked(true);
}

void LayOutTwoGroupDialog(TForm& form, QWidget* client, QWidget* left, QWidget* right, QPushButton* ok,
                          QPushButton* cancel)
{
    auto* groups = new QHBoxLayout;
    groups->addWidget(left);
    groups->addWidget(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(client);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    FitDialogToContents(form);

    new TDialogKeys(form, ok, cancel);
}

TDialogKeys::TDialogKeys(TForm& form, QPushButton* defaultButton, QPushButton* cancelButton)
    : QObject(form.Window()), FDefault(defaultButton), FCancel(cancelButton)
{
    form.Window()->installEventFilter(this);
}

bool TDialogKeys::eventFilter(QObject* watched, QEvent* event)
{
    // Key presses that a control did not take travel up to the window and arrive here.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            // Enter on a button presses that button; anywhere else the default one.
            auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            QPushButton* button = focused && focused->window() == watched ? focused : FDefault.data();
            if (button && button->isEnabled()) {
                button->click();
                return true;
            }
        }
        if (plain && key->key() == Qt::Key_Escape && FCancel && FCancel->isEnabled()) {
            FCancel->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void RestoreDialogPosition(TForm& form, const TIniFile* settings, const QString& section)
{
    if (!settings)
        return;
    const int top = settings->ReadInteger(section, QStringLiteral("Top"), -1);
    const int left = settings->ReadInteger(section, QStringLiteral("Left"), -1);
    const int width = form.Width();
    const int height = form.Height();
    if (top == -1 && left == -1) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        // Centred; a dialog larger than the screen (large fonts, a small screen) keeps its
        // top-left corner on it, where showing it would bring it anyway.
        const QRect area = screen->geometry();
        form.SetBounds(area.x() + std::max(0, (area.width() - width) / 2),
                       area.y() + std::max(0, (area.height() - height) / 2), width, height);
        return;
    }
    // A corner kept from a larger screen is brought back onto this one as the form shows.
    form.SetBounds(left, top, width, height);
}

void SaveDialogPosition(const TForm& form, TIniFile* settings, const QString& section)
{
    if (!settings)
        return;
    settings->WriteInteger(section, QStringLiteral("Top"), form.Top());
    settings->WriteInteger(section, QStringLiteral("Left"), form.Left());
}

} // namespace tessiv
