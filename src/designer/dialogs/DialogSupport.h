#pragma once
// What the small setup dialogs of the designer share: their controls live on a client widget of
// a fixed size, Enter presses the default button and Escape the cancel one wherever the focus is,
// and the dialog's corner is kept in a section of the settings file under "Top" and "Left" (both
// -1, or missing, centre it on the screen).

#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QWidget;

namespace tessiv {

class TForm;
class TIniFile;

// Puts a client widget of at least the given size into the form's window and returns it; the
// dialog lays its controls out on it and then calls FitDialogToContents.
QWidget* MakeDialogClient(TForm& form, int width, int height);
// Sizes the window to what its controls ask for, whatever the screen's size (a window sized by
// Qt's own rule would be cut to two thirds of the screen, and the controls squeezed).
void FitDialogToContents(TForm& form);

// A group box with the caption holding a radio button for each item, numbered from 0 in the
// items' order, the first checked; the box comes back in box (its layout is a column, for more).
QButtonGroup* MakeRadioGroup(QWidget* parent, const QString& caption, const QStringList& items, QGroupBox*& box);
// Checks the group's button of that number; a number it has no button for changes nothing.
void CheckRadio(QButtonGroup* group, int index);
// The two-group dialogs (alignment, size): the two boxes side by side over the Ok and Cancel
// buttons at the right; the window is sized to it and Enter and Escape go to the two buttons.
void LayOutTwoGroupDialog(TForm& form, QWidget* client, QWidget* left, QWidget* right, QPushButton* ok,
                          QPushButton* cancel);

// Watches the form's window for Enter and Escape that no control took: Enter presses the focused
// button, or else the default one; Escape the cancel one.
class TDialogKeys : public QObject {
public:
    TDialogKeys(TForm& form, QPushButton* defaultButton, QPushButton* cancelButton);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QPushButton> FDefault;
    QPointer<QPushButton> FCancel;
};

// Reads "Top" and "Left" of the section and puts the form there, or centres it on the screen
// ((screen size - form size) div 2) when both are -1. Nothing without settings.
void RestoreDialogPosition(TForm& form, const TIniFile* settings, const QString& section);
// Writes the form's "Top" and "Left".
void SaveDialogPosition(const TForm& form, TIniFile* settings, const QString& section);

} // namespace tessiv
