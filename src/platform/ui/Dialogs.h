#pragma once
// The common dialogs: open and save with the class library's filter strings ("Desc|*.ext|..."),
// colour with sixteen custom colours, font and folder. Each shows a Qt dialog unless a presenter
// is installed (tests answer for the user there).

#include "platform/core/Component.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsObjects.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

namespace tessiv {

class TCommonDialog;

// Shows the dialog in place of Qt and answers whether the user accepted it.
using TDialogPresenter = std::function<bool(TCommonDialog& dialog)>;
void SetDialogPresenter(TDialogPresenter presenter);

class TCommonDialog : public TComponent {
    TESSIV_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* owner) : TComponent(owner) {}
    // True when the user accepted. The dialog stays above the parent, by default the window it is
    // opened from (DialogOwnerWindow).
    bool Execute(QWidget* parent = nullptr);
    int HelpContext = 0;
    QString Title;

protected:
    virtual bool ExecuteQt(QWidget* parent) = 0;
};

enum TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofAllowMultiSelect,
                   ofPathMustExist, ofFileMustExist, ofNoValidate };
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TCommonDialog {
    TESSIV_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* owner);
    QString Filter;      // "Relatórios|*.KVR|Todos|*.*"
    int FilterIndex = 1; // from 1
    QString FileName;
    QStringList Files;
    QString InitialDir;
    QString DefaultExt; // without the dot; added to a typed name that has no extension
    TOpenOptions Options{ofHideReadOnly};

    // The filter as Qt's name filters, each pattern in both cases ("*.KVR *.kvr").
    static QStringList QtFilters(const QString& filter);
    // The name with DefaultExt added when it has no extension.
    QString WithDefaultExt(const QString& name) const;

protected:
    bool ExecuteQt(QWidget* parent) override;
    virtual bool Saving() const { return false; }
};

class TSaveDialog : public TOpenDialog {
    TESSIV_CLASS(TSaveDialog, TOpenDialog)
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

protected:
    bool Saving() const override { return true; }
};

class TColorDialog : public TCommonDialog {
    TESSIV_CLASS(TColorDialog, TCommonDialog)
public:
    explicit TColorDialog(TComponent* owner);
    ~TColorDialog() override;
    TColor Color = clBlack;
    // "ColorA=808022" ... "ColorP=...": sixteen custom colours as hexadecimal BGR values.
    TStringList* CustomColors() const { return FCustomColors.get(); }

protected:
    bool ExecuteQt(QWidget* parent) override;

private:
    std::unique_ptr<TStringList> FCustomColors;
};

class TFontDialog : public TCommonDialog {
    TESSIV_CLASS(TFontDialog, TCommonDialog)
public:
    explicit TFontDialog(TComponent* owner);
    ~TFontDialog() override;
    TFont* Font() const { return FFont.get(); }

protected:
    bool ExecuteQt(QWidget* parent) override;

private:
    std::unique_ptr<TFont> FFont;
};

// Asks for a folder; Directory holds the start and, when accepted, the choice.
bool SelectDirectory(const QString& caption, const QString& root, QString& directory, QWidget* parent = nullptr);

} // namespace tessiv
