#pragma once
// The program's printer setup: which printer the jobs go to (every printer of
// the host, the "PDF" folder printer among them) and, for it, the paper,
// orientation, copies, the sides it prints, whether a print run is one job and
// whether its copies are collated. It opens on
// the current printer and its settings; only OK changes anything, through
// Apply. There is no "print to file": the PDF printer and the export do that.
#include <QDialog>

#include "platform/PrinterHost.h"

class QCheckBox;
class QComboBox;
class QRadioButton;
class QSpinBox;

namespace quillet {

class PrinterSetupDialog : public QDialog {
public:
    explicit PrinterSetupDialog(PrinterHost& host, QWidget* parent = nullptr);

    // Hands what the dialog shows to the host: the printer (kept when it is
    // the current one), its paper and orientation, and the job preferences.
    void Apply();

    // Sheets offered by Windows paper code, with their names.
    struct Sheet {
        int code;
        const char* name; // UTF-8
    };
    static const Sheet kSheets[7];

    QComboBox* PrinterBox = nullptr;
    QComboBox* PaperBox = nullptr;
    QRadioButton* Portrait = nullptr;
    QRadioButton* Landscape = nullptr;
    QSpinBox* Copies = nullptr;
    QComboBox* SidesBox = nullptr;
    QCheckBox* OneJob = nullptr;
    QCheckBox* Collate = nullptr;

private:
    // Offers the sides the printer prints, keeping wanted where it can.
    void ShowSidesOf(int printer, Sides wanted);

    PrinterHost& host_;
    PrinterSettings settings_; // the current printer's, as the dialog opened
    bool hasSettings_ = false;
};

} // namespace quillet
