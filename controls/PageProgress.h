#pragma once
// The progress box of a long run over pages (printing, export): "第n页，共m页"
// with a bar and a cancel button. The run asks it before each page; it
// appears only once a run is longer than a few pages, keeps the program
// answering while it is up, and holds every other window still meanwhile.
// Cancel, Esc and closing the box all stop the run before its next page.
#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

namespace quillet {

class TLumButton;

class TPageProgress : public QDialog {
    Q_OBJECT
public:
    // pattern: the line shown, %1 the page being worked on, %2 the total
    // ("正在打印第%1页，共%2页").
    TPageProgress(const QString& caption, const QString& pattern, QWidget* parent = nullptr);
    ~TPageProgress() override;

    static constexpr int kClientWidth = 300;
    static constexpr int kClientHeight = 96;
    // Runs of more pages than this show the box.
    static constexpr int kFewPages = 3;

    // Before page done + 1 of total: shows where the run is, lets the window
    // system catch up while the box is up, and tells whether to go on.
    bool Step(int done, int total);
    // Stops the run before its next page.
    void Cancel();
    bool Cancelled() const { return cancelled_; }

    QLabel* Label = nullptr;
    QProgressBar* Bar = nullptr;
    TLumButton* CancelButton = nullptr;

    // Esc and the window's close button cancel; the run closes the box.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void DropHourglass();

    QString pattern_;
    bool cancelled_ = false;
    bool hourglass_ = false;
};

} // namespace quillet
