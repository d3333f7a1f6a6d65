#pragma once
// TFrmPrintReview: the preview window. It shows one page of the report in a
// grey scroll area under centimetre rulers, with page tabs, page-turning
// buttons, a menu bar, tool bars and a status bar, and keeps them in step with
// the page buffer. It creates the program's shared objects when it is built
// and hands itself to the start-up sequence.
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

#include "engine/BuffPaper.h"
#include "geometry/PrnPaper.h"
#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "platform/Bitmap.h"
#include "platform/Display.h"
#include "platform/MessageService.h"
#include "platform/PrinterHost.h"
#include "platform/Shell.h"

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QScrollArea;
class QStyle;
class QToolBar;

namespace quillet {

class QtBitmap;
class TZtRuler;
class TImageReview;
class TTabSet;

// What the window needs of the platform; the program and the tests provide it.
struct PlatformServices {
    MessageService& messages;
    PrinterHost& printers;
    const Display& display;
    BitmapFactory& bitmaps;
    Shell& shell;
};

class TFrmPrintReview : public QMainWindow, public TMyPaperHost {
    Q_OBJECT
public:
    // Runs while the window is created, after the shared objects exist.
    using StartupSequence = std::function<void(TFrmPrintReview&)>;

    TFrmPrintReview(PlatformServices services, StartupSequence startup, QWidget* parent = nullptr);
    ~TFrmPrintReview() override;

    // The shared objects, in the order they are created.
    std::unique_ptr<TMyPrintFormat> PrintFormat;
    std::unique_ptr<TMyPrintData> PrintData;
    std::unique_ptr<TMyScreen> Screen;
    std::unique_ptr<TMyPaper> Paper;
    std::unique_ptr<TMyBuffPaper> BuffPaper;
    std::unique_ptr<TMyPrinter> Printer;

    PlatformServices Services;

    // Fields shared with start-up and mouse editing.
    bool MouseIsDown = false;
    int DownX = 0;
    int DownY = 0;
    int HitIndex = 0;
    QString ExePath;
    QString SavedFormatPath;
    bool OnlyView = false;

    // Start-up asks the program to end instead of showing the window.
    void RequestEnd(int exitCode);
    bool EndRequested() const { return endRequested_; }
    int ExitCode() const { return exitCode_; }

    // Plain message box captioned with the program's title / a "提示" box.
    void ShowPlainMessage(const QString& text);
    void ShowHintMessage(const QString& text);

    void RefreshStatus();
    void EnablePrintCommands();
    void SetWorkState(bool review);
    void SetHorPlace(std::uint8_t value);
    void SetVerPlace(std::uint8_t value);
    // Runs an engine operation; an error it raises is shown and the page stays as drawn.
    bool RunEngine(const std::function<void()>& operation);

    // TMyPaperHost
    int TopStripWidth() const override;
    int LeftStripHeight() const override;
    void SetTopRuler(int left, int width, int startNumber, int lengthNumber) override;
    void SetLeftRuler(int top, int height, int startNumber, int lengthNumber) override;
    int TopRulerStartWhere() const override;
    int LeftRulerStartWhere() const override;
    void PlacePreviewImage(int left, int top, int width, int height) override;
    Bitmap& PreviewPicture() override;
    void PreviewPictureChanged() override;
    void ScrollToOrigin() override;

    // Commands (shared by menu bar, tool bars and short-cuts).
    QAction* ActionClose = nullptr;
    QAction* ActionPriorPage = nullptr;
    QAction* ActionNextPage = nullptr;
    QAction* ActionFirstPage = nullptr;
    QAction* ActionLastPage = nullptr;
    QAction* ActionWhereHorLeft = nullptr;
    QAction* ActionWhereHorCenter = nullptr;
    QAction* ActionWhereHorRight = nullptr;
    QAction* ActionWhereVerTop = nullptr;
    QAction* ActionWhereVerCenter = nullptr;
    QAction* ActionWhereVerBottom = nullptr;
    QAction* ActionViewRate50 = nullptr;
    QAction* ActionViewRate100 = nullptr;
    QAction* ActionPrintRate50 = nullptr;
    QAction* ActionPrintRate100 = nullptr;
    QAction* ActionRefurbish = nullptr;
    QAction* ActionSetPrinter = nullptr;
    QAction* ActionStartPrint = nullptr;
    QAction* ActionStateReview = nullptr;
    QAction* ActionStateDesign = nullptr;
    QAction* ActionIFStand = nullptr;
    QAction* ActionIFXp = nullptr;

    // Controls, named as in the window's layout.
    QWidget* CoolBar1 = nullptr;
    QMenuBar* ActionMainMenuBarMain = nullptr;
    QToolBar* ActionToolBarMain = nullptr;
    QFrame* BevelLine = nullptr;
    QLabel* PanelBar = nullptr;
    QWidget* ScrollBox_Top = nullptr;
    QWidget* ScrollBox_Left = nullptr;
    TZtRuler* ZtRuler_Top = nullptr;
    TZtRuler* ZtRuler_Left = nullptr;
    QScrollArea* ScrollBox_Main = nullptr;
    QWidget* ScrollContent = nullptr;
    TImageReview* Image_Review = nullptr;
    QLabel* Label_PaperSize = nullptr;
    QWidget* ChangeSizePanel = nullptr;
    QToolBar* ToolBarPage = nullptr;
    TTabSet* TabSetPage = nullptr;
    QLabel* StatusPanels[5] = {};

    // Command handlers.
    void ActionFirstPageExecute();
    void ActionPriorPageExecute();
    void ActionNextPageExecute();
    void ActionLastPageExecute();
    void TabSetPageClick(int index);
    void ActionViewRate50Execute();
    void ActionViewRate100Execute();
    void ActionPrintRate50Execute();
    void ActionPrintRate100Execute();
    void ActionRefurbishExecute();
    void ActionStartPrintExecute();
    void ActionSetPrinterExecute();
    void ActionIFStandExecute();
    void ActionIFXpExecute();
    void ActionCloseExecute();

    // True while the standard style is on the bars (false: the XP style).
    bool StandardStyle() const { return standardStyle_; }
    QStyle* BarStyle() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildControls();
    void BuildCommands();
    void BuildMenus();
    void FormCreate();
    void FormShow();
    void ShowPageAndStatus();
    void SyncRulersToScroll();
    void SetViewRateChecked(QAction* chosen, double rate);
    void SetPrintRateChecked(QAction* chosen, double rate);
    void ApplyBarStyle(QStyle* style);

    StartupSequence startup_;
    // Image_Review's picture; shown when the factory makes Qt pictures.
    std::unique_ptr<Bitmap> previewPicture_;
    std::unique_ptr<QStyle> standardStyle;
    std::unique_ptr<QStyle> xpStyle;
    QList<QMenu*> menus_;
    bool standardStyle_ = false;
    bool shown_ = false;
    bool tabsBuilt_ = false;
    bool endRequested_ = false;
    int exitCode_ = 0;
};

} // namespace quillet
