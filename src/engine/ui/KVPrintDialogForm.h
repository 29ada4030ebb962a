#pragma once
// The window of the print dialog: the printer to use, among "PDF" and the machine's queues, with
// the PDF printer's file (a field and a button that browses for it); the page range; the copies
// and their collation; the orientation. It shows a print-dialog record and gives the user's
// choice back into one; the print dialog component (TKVPrintDialog) runs it.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace tessiv {

struct TKVPrintDlgRecord;

class TKVPrintDialogForm : public QDialog {
public:
    // Shows the record: its printers with its device chosen, the PDF printer's file, the range
    // its flags allow, its copies and its device mode's orientation.
    explicit TKVPrintDialogForm(const TKVPrintDlgRecord& record, QWidget* parent = nullptr);

    // The user's choice into the record: device, range, pages, collation, copies, orientation,
    // and the PDF printer's file when "PDF" is chosen (print to file). A printer other than the
    // record's starts from its own device mode: only the orientation and the copies go to it.
    void ReadChoice(TKVPrintDlgRecord& record) const;

    QComboBox* PrinterBox() const { return FPrinter; }
    QLineEdit* FileEdit() const { return FFile; }
    QToolButton* BrowseButton() const { return FBrowse; }
    QRadioButton* AllPages() const { return FAll; }
    QRadioButton* Selection() const { return FSelection; }
    QRadioButton* PageRange() const { return FPages; }
    QSpinBox* FromPage() const { return FFrom; }
    QSpinBox* ToPage() const { return FTo; }
    QSpinBox* Copies() const { return FCopies; }
    QCheckBox* Collate() const { return FCollate; }
    QRadioButton* Portrait() const { return FPortrait; }
    QRadioButton* Landscape() const { return FLandscape; }

    // The browse button: a save dialog for the PDF printer's file.
    void BrowseClick();

private:
    // The file belongs to the PDF printer: it can be edited while "PDF" is chosen.
    void PrinterChanged();

    QComboBox* FPrinter;
    QLineEdit* FFile;
    QToolButton* FBrowse;
    QRadioButton* FAll;
    QRadioButton* FSelection;
    QRadioButton* FPages;
    QSpinBox* FFrom;
    QSpinBox* FTo;
    QSpinBox* FCopies;
    QCheckBox* FCollate;
    QRadioButton* FPortrait;
    QRadioButton* FLandscape;
};

} // namespace tessiv
