#pragma once
// TFrmPrintReview: the preview window. It shows one page of the report in a
// grey scroll area under centimetre rulers, with page tabs, page-turning
// buttons, a menu bar, tool bars and a status bar, and keeps them in step with
// the page buffer. It creates the program's shared objects when it is built
// and hands itself to the start-up sequence.
#include <QCursor>
#include <QList>
#include <QPointF>
#include <QSize>
#include <QMainWindow>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/PageRun.h"
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
#include "preview/LayoutHistory.h"
#include "preview/PageJumps.h"
#include "preview/ViewSettings.h"
#include "preview/WheelSteps.h"

class QAction;
class QActionGroup;
class QDockWidget;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QWheelEvent;
class QMenu;
class QMenuBar;
class QScrollArea;
class QStyle;
class QTimer;
class QToolBar;

namespace quillet {

class QtBitmap;
class THelpWindow;
class TZtRuler;
class TImageReview;
class TTabSet;
class TSearchBar;
class TThumbnailPanel;

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
    // Where "保存打印格式" writes; and the saved layout beside a read-only
    // program, in use while the user has none of their own (else empty).
    // File-system bytes: the format file's base name may be in any encoding.
    std::string SavedFormatPath;
    std::string SavedFormatFallback;
    // The format file named on the command line and the layout loaded (that
    // file or a saved layout), as file-system paths: with the data file, what
    // no file the window writes may replace.
    std::string FormatArgument;
    std::string LoadedLayout;
    // The data file, FormatArgument and LoadedLayout.
    std::vector<std::string> FilesInUse() const;
    bool OnlyView = false;
    // Where the window's settings are kept between runs (empty: not kept);
    // read when the window is first shown, written when it closes.
    std::string SettingsFile;
    ViewSettings CurrentViewSettings() const;
    // Zoom, fit, thumbnail panel and search options as the settings say;
    // the page and the state shown stay as they are.
    void ApplyViewSettings(const ViewSettings& settings);

    // Start-up asks the program to end instead of showing the window.
    void RequestEnd(int exitCode);
    bool EndRequested() const { return endRequested_; }
    int ExitCode() const { return exitCode_; }

    // Plain message box captioned with the program's title / a "提示" box.
    void ShowPlainMessage(const QString& text);
    void ShowHintMessage(const QString& text);

    void RefreshStatus();
    // Paginate again after a change of the layout, keep the current page
    // within the new page count, draw it and bring the status bar in step.
    void RepaginateAndShow();
    void EnablePrintCommands();
    void SetWorkState(bool review);
    void SetHorPlace(std::uint8_t value);
    void SetVerPlace(std::uint8_t value);
    // Ticks the placement commands as the record places the table.
    void SyncPlaceChecks();

    // The layout's changes for "撤销" and "重做", for the whole run.
    std::unique_ptr<LayoutHistory> History;
    // Runs an engine operation; an error it raises is shown and the page stays as drawn.
    bool RunEngine(const std::function<void()>& operation);

    // TMyPaperHost
    int TopStripWidth() const override;
    int LeftStripHeight() const override;
    void SetTopRuler(int left, int width, int startNumber, int lengthNumber) override;
    void SetLeftRuler(int top, int height, int startNumber, int lengthNumber) override;
    void SetRulerPaper(const RulerPaper& top, const RulerPaper& left) override;
    int TopRulerStartWhere() const override;
    int LeftRulerStartWhere() const override;
    void PlacePreviewImage(int left, int top, int width, int height) override;
    Bitmap& PreviewPicture() override;
    void PreviewPictureChanged() override;
    void ScrollToOrigin() override;

    // Commands (shared by menu bar, tool bars and short-cuts), made from the
    // command table.
    QAction* ActionSaveFormat = nullptr;
    QAction* ActionDeleteFormat = nullptr;
    QAction* ActionSavePicture = nullptr;
    QAction* ActionExportPdf = nullptr;
    QAction* ActionExportXlsx = nullptr;
    QAction* ActionExportCsv = nullptr;
    QAction* ActionExportJson = nullptr;
    QAction* ActionClose = nullptr;
    QAction* ActionPriorPage = nullptr;
    QAction* ActionNextPage = nullptr;
    QAction* ActionFirstPage = nullptr;
    QAction* ActionLastPage = nullptr;
    QAction* ActionSelPage = nullptr;
    QAction* ActionBack = nullptr;
    QAction* ActionForward = nullptr;
    QAction* ActionEditTitle = nullptr;
    QAction* ActionEditCompany = nullptr;
    QAction* ActionEditRowCount = nullptr;
    QAction* ActionEditPageHead = nullptr;
    QAction* ActionEditPageFoot = nullptr;
    QAction* ActionEditAllRowHeight = nullptr;
    QAction* ActionEditColWidth = nullptr;
    QAction* ActionEditRowHeight = nullptr;
    QAction* ActionWhereHorLeft = nullptr;
    QAction* ActionWhereHorCenter = nullptr;
    QAction* ActionWhereHorRight = nullptr;
    QAction* ActionWhereVerTop = nullptr;
    QAction* ActionWhereVerCenter = nullptr;
    QAction* ActionWhereVerBottom = nullptr;
    QAction* ActionSetPage = nullptr;
    QAction* ActionSetFont = nullptr;
    QAction* ActionUndo = nullptr;
    QAction* ActionRedo = nullptr;
    QAction* ActionViewRate50 = nullptr;
    QAction* ActionViewRate100 = nullptr;
    QAction* ActionPrintRate50 = nullptr;
    QAction* ActionPrintRate100 = nullptr;
    QAction* ActionRefurbish = nullptr;
    QAction* ActionZoomIn = nullptr;
    QAction* ActionZoomOut = nullptr;
    QAction* ActionFitWidth = nullptr;
    QAction* ActionFitPage = nullptr;
    QAction* ActionFind = nullptr;
    QAction* ActionThumbnails = nullptr;
    QAction* ActionSetPrint = nullptr;
    QAction* ActionSetPrinter = nullptr;
    QAction* ActionStartPrint = nullptr;
    QAction* ActionHelp = nullptr;
    QAction* ActionMail = nullptr;
    QAction* ActionHomePage = nullptr;
    QAction* ActionAbout = nullptr;
    QAction* ActionStateReview = nullptr;
    QAction* ActionStateDesign = nullptr;
    QAction* ActionIFStand = nullptr;
    QAction* ActionIFXp = nullptr;
    // The actions in the order of the command table.
    QList<QAction*> Actions;

    // Questions the window puts to the person, replaceable so that tests and
    // unattended runs can answer them.
    struct Hooks {
        // The printer setup dialog; true when confirmed.
        std::function<bool()> printerSetup;
        // The save-picture dialog given the proposed file name; returns the
        // chosen path (empty on cancel) and sets the chosen filter.
        std::function<QString(const QString& proposed, QString& filter)> pictureFile;
        // The export file dialog given the proposed file name; returns the
        // chosen path, empty on cancel.
        std::function<QString(const QString& proposed)> pdfFile;
        std::function<QString(const QString& proposed)> xlsxFile; // the same for "导出Excel..."
        std::function<QString(const QString& proposed)> csvFile; // the same for "导出CSV..."
        std::function<QString(const QString& proposed)> jsonFile; // the same for "导出格式为JSON..."
        // Called before each page of an export or print run with its
        // progress box.
        ProgressHook progress;
    } Hook;

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
    // The page-number field of the page tool bar and the page count beside it.
    QLineEdit* PageNumberField = nullptr;
    QLabel* PageCountLabel = nullptr;
    // The highlight around the page area, shown while the area has the focus.
    QWidget* PageFocusFrame = nullptr;
    QLabel* StatusPanels[5] = {};
    // The zoom in percent, at the status bar's right end.
    QLabel* StatusZoom = nullptr;
    // Offered by a click on StatusZoom: the zooms of the ladder and the fit commands.
    QMenu* ZoomPanelMenu = nullptr;
    // The manual's window of the program's own, made the first time the
    // desktop cannot show the manual.
    THelpWindow* HelpWindow = nullptr;

    // Command handlers, one per command.
    void ActionSaveFormatExecute();
    void ActionDeleteFormatExecute();
    void ActionSavePictureExecute();
    void ActionExportPdfExecute();
    void ActionExportXlsxExecute();
    void ActionExportCsvExecute();
    void ActionExportJsonExecute();
    void ActionCloseExecute();
    void ActionFirstPageExecute();
    void ActionPriorPageExecute();
    void ActionNextPageExecute();
    void ActionLastPageExecute();
    void ActionSelPageExecute();
    void TabSetPageClick(int index);
    void ActionBackExecute();
    void ActionForwardExecute();
    // Turns to the page typed in the page field; false, after saying why,
    // when the text names none of the report's pages.
    bool PageNumberFieldEntered();
    // Turns to page as a jump "后退" can return from.
    void JumpToPage(int page);
    PageJumps Jumps;
    // Reads on by `by` pixels down (direction 1) or up (-1), turning to the
    // next page's top or the previous page's bottom at an end of the page;
    // false at the report's own end.
    bool ReadOn(int direction, int by);
    void ActionEditTitleExecute();
    void ActionEditCompanyExecute();
    void ActionEditRowCountExecute();
    void ActionEditPageHeadExecute();
    void ActionEditPageFootExecute();
    void ActionEditAllRowHeightExecute();
    void ActionEditColWidthExecute();
    void ActionEditRowHeightExecute();
    void ActionWhereHorLeftExecute() { PlaceCommand(true, 1, ActionWhereHorLeft); }
    void ActionWhereHorCenterExecute() { PlaceCommand(true, 2, ActionWhereHorCenter); }
    void ActionWhereHorRightExecute() { PlaceCommand(true, 3, ActionWhereHorRight); }
    void ActionWhereVerTopExecute() { PlaceCommand(false, 1, ActionWhereVerTop); }
    void ActionWhereVerCenterExecute() { PlaceCommand(false, 2, ActionWhereVerCenter); }
    void ActionWhereVerBottomExecute() { PlaceCommand(false, 3, ActionWhereVerBottom); }
    void ActionSetPageExecute();
    void ActionSetFontExecute();
    void ActionUndoExecute();
    void ActionRedoExecute();
    void ActionViewRate50Execute();
    void ActionViewRate100Execute();
    void ActionPrintRate50Execute();
    void ActionPrintRate100Execute();
    void ActionRefurbishExecute();
    void ActionZoomInExecute();
    void ActionZoomOutExecute();
    void ActionFitWidthExecute();
    void ActionFitPageExecute();
    void ActionFindExecute();
    void ActionThumbnailsExecute();
    // The thumbnail panel at the left of the page area, in a dock whose edge
    // the user drags to widen it.
    TThumbnailPanel* Thumbnails = nullptr;
    QDockWidget* ThumbnailDock = nullptr;
    void SetThumbnailsShown(bool shown);
    // The search bar over the page area.
    TSearchBar* SearchBar = nullptr;

    // The preview zoom in percent (the page buffer's ViewRate).
    static constexpr double kMinZoom = 10.0;
    static constexpr double kMaxZoom = 800.0;
    double Zoom() const;
    // Shows the page at percent (kept within kMinZoom..kMaxZoom). The point
    // of the page under the anchor (a point of the scroll area's viewport;
    // without one the middle of the view) stays there.
    void SetZoom(double percent, const QPoint* anchor = nullptr);
    // The next zoom of the ladder above or below the current one.
    static double ZoomStep(double percent, bool in);
    // Zoom to the pointer: a wheel turn with Ctrl held at a viewport point.
    void WheelZoom(int angleDelta, const QPoint& at);
    // Whether the zoom follows the window's size, and how.
    enum class FitMode { None, Width, Page };
    FitMode Fit() const { return fit_; }
    // The zoom at which the sheet fills the scroll area's width, or fits it whole.
    double FitZoom(FitMode mode) const;
    // A fitted zoom follows the paper and the window: fits again.
    void ApplyFit();
    void ActionSetPrintExecute();
    void ActionSetPrinterExecute();
    void ActionStartPrintExecute();
    void ActionHelpExecute();
    void ActionMailExecute();
    void ActionHomePageExecute();
    void ActionAboutExecute();
    void ActionStateReviewExecute() { SetWorkState(true); }
    void ActionStateDesignExecute() { SetWorkState(false); }
    void ActionIFStandExecute();
    void ActionIFXpExecute();

    // Saves the page image to path: PNG for a ".png" name, else a Windows
    // bitmap. False (after a message) when the file could not be written.
    bool SavePictureTo(const QString& path);
    // The picture file name proposed for the current page: title(n).
    QString ProposedPictureName() const;
    // Writes every page as the window lays it out into one PDF at path, with
    // the progress box for a long report. True when the file was written;
    // a failure is reported, a cancel leaves no file.
    bool ExportPdfTo(const QString& path);
    // The whole report as an Excel workbook at path; true when written.
    bool ExportXlsxTo(const QString& path);
    // The data rows of the report as a CSV file at path; true when written.
    bool ExportCsvTo(const QString& path);
    // The workbook, or with csv the CSV file, with the progress box; a
    // failure is reported. True when written.
    bool ExportSheetsTo(const QString& path, bool csv);
    // Writes the layout in use, with the printer's paper as a save would
    // stamp it, as JSON to path; false after a message when it is not written.
    bool ExportJsonTo(const QString& path);
    // The PDF file name proposed for the report: its title.
    QString ProposedPdfName() const;
    // True while an export or a print run works through its pages.
    bool PageRunActive() const { return runBox_ != nullptr; }

    // Design-state mouse editing of the page image (X, Y in its pixels).
    void Image_ReviewMouseMove(int x, int y);
    void Image_ReviewMouseDown(Qt::MouseButton button, int x, int y);
    void Image_ReviewMouseUp(Qt::MouseButton button, int x, int y);
    // How far the view scrolls for a dragged border at a viewport point:
    // the distance past the edge of a view of that size, at most kEdgeStep.
    static constexpr int kEdgeStep = 40;
    static QPoint EdgeScrollDelta(const QPoint& at, const QSize& view);
    // One step of the scrolling while a border is held past the view's edge
    // (a timer repeats it while the mouse stays still there).
    void EdgeScrollTick();
    // Keeps the held border's point and scrolls on when it is past the view.
    void FollowSizeDrag(int x, int y);

    // True while the standard style is on the bars (false: the XP style).
    bool StandardStyle() const { return standardStyle_; }
    QStyle* BarStyle() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Closing during a page run cancels the run first; the window closes
    // once it has stopped.
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Holds the window still while a run works through its pages.
    class PageRunScope;

    void BuildControls();
    void BuildCommands();
    void BuildMenus();
    // Keeps "撤销" and "重做" named after their steps and enabled when there is one.
    void BuildHistory();
    // A placement command: places the table and records the step, named as the command.
    void PlaceCommand(bool horizontal, std::uint8_t value, const QAction* command);
    void BuildPageKeys();
    void BuildZoomMenu();
    void BuildNavigation();
    // The page field, the page count and back/forward brought in step.
    void ShowPageNumber();
    bool PageNumberFieldKey(QEvent& event);
    // A wheel turn in the page area: true when it turned the page.
    bool PageAreaWheel(const QWheelEvent& wheel);
    // Dragging the page with the middle button; true when it took the event.
    bool PanEvent(QEvent& event);
    // A key pressed in the page area; true when it scrolled or turned the page.
    bool PageAreaKey(const QKeyEvent& key);
    // The body rectangle of the first table block of the page, in page-image
    // pixels, no lower than its drawn frame.
    QRect TableBodyRect() const;
    // Row heights of the page's first block as drawn, in mm (index 1..rows).
    std::vector<int> DrawnRowHeights() const;
    // The image pixels (first..last) that find column or row border index.
    struct Zone {
        int first = 0;
        int last = -1;
    };
    Zone BorderZone(bool column, int index) const;
    void SearchBorder(int x, int y);
    void FinishSizeDrag();
    void FormCreate();
    void FormShow();
    void ShowPageAndStatus();
    void SyncRulersToScroll();
    void SetViewRateChecked(QAction* chosen, double rate);
    void ShowZoom();
    // The page pixel (at 96 dpi) under a point of the viewport, and the
    // scroll position that puts it under that point again.
    QPointF PagePointAt(const QPoint& at) const;
    void ScrollPagePointTo(const QPointF& onPage, const QPoint& at);
    QPoint ViewCentre() const;
    // The rulers' strips, which decide where the sheet lies.
    QSize StripSizes() const;
    // The page area changed size: lay the sheet out again, the middle of the
    // view kept on the same spot of the page.
    void ViewResized(const QSize& oldSize);
    // Where the page's 96-dpi pixels lie on the page image at the current zoom.
    void UpdatePageView();
    // A page pixel as the page image's pixel at the current zoom.
    int ToImageX(double pagePixels) const;
    int ToImageY(double pagePixels) const;
    void SetPrintRateChecked(QAction* chosen, double rate);
    void ApplyBarStyle(QStyle* style);

    StartupSequence startup_;
    // Image_Review's picture; shown when the factory makes Qt pictures.
    std::unique_ptr<Bitmap> previewPicture_;
    // The engine's picture at any other zoom than 100 % and 50 %: one pixel,
    // since the screen draws the page itself and a picture of the zoomed
    // sheet would be far too large to keep.
    std::unique_ptr<Bitmap> parkedPicture_;
    bool LegacyZoom() const;
    FitMode fit_ = FitMode::None;
    bool relayoutPending_ = false;
    QSize laidOutFor_;
    WheelSteps zoomWheel_;
    WheelSteps pageWheel_;
    bool panning_ = false;
    // The thumbnail panel as last shown, kept for the settings.
    bool thumbnailsShown_ = false;
    int thumbnailWidth_ = ViewSettings {}.thumbnailWidth;
    // The held border's mouse point on the page image, and the timer that
    // scrolls on while it stays past the view's edge.
    QPoint sizeDragAt_;
    QTimer* edgeTimer_ = nullptr;
    bool pressedInView_ = false;
    QPoint panFrom_;
    QPoint panScroll_;
    QCursor panCursor_;
    std::unique_ptr<QStyle> standardStyle;
    std::unique_ptr<QStyle> xpStyle;
    QList<QMenu*> menus_;
    bool standardStyle_ = false;
    bool shown_ = false;
    bool tabsBuilt_ = false;
    bool endRequested_ = false;
    int exitCode_ = 0;
    TPageProgress* runBox_ = nullptr;
    bool closeAfterRun_ = false;
};

} // namespace quillet
