#include "preview/PrintReview.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <exception>

#include "controls/PageProgress.h"
#include "dialogs/DialogFrame.h"
#include "platform/qt/Language.h"
#include "platform/qt/QtBitmap.h"
#include "preview/AccessibleWindow.h"
#include "preview/ImageReview.h"
#include <QCheckBox>
#include "preview/SearchBar.h"
#include "preview/ThumbnailPanel.h"
#include "preview/KeyboardReturn.h"
#include "preview/TabSet.h"
#include "preview/ZtRuler.h"

namespace quillet {
namespace {


QFont PixelFont(const QString& family, int pixels)
{
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

QString Num(int n)
{
    return QString::number(n);
}

// The count and number of pages as the status bar shows them.
QString PageCountText(const QString& count)
{
    return QTr("PrintReview", "共%1页").arg(count);
}
QString PageNumberText(const QString& number)
{
    return QTr("PrintReview", "第%1页").arg(number);
}

// A picture that stays one pixel whatever size it is given.
class ParkedPicture : public Bitmap {
public:
    explicit ParkedPicture(std::unique_ptr<Bitmap> inner)
        : inner_(std::move(inner))
    {
        inner_->SetSize(1, 1);
    }
    void SetSize(int, int) override { }
    int Width() const override { return inner_->Width(); }
    int Height() const override { return inner_->Height(); }
    Canvas& GetCanvas() override { return inner_->GetCanvas(); }

private:
    std::unique_ptr<Bitmap> inner_;
};

} // namespace

TFrmPrintReview::TFrmPrintReview(PlatformServices services, StartupSequence startup, QWidget* parent)
    : QMainWindow(parent)
    , Services(services)
    , startup_(std::move(startup))
{
    BuildControls();
    BuildCommands();
    BuildMenus();
    BuildHistory();
    BuildPageKeys();
    BuildNavigation();
    // After every dialog, progress box and message the keys come back here.
    new KeyboardReturn(*this);
    MakeWindowAccessible(*this);
    FormCreate();
}

TFrmPrintReview::~TFrmPrintReview()
{
    // The bars must drop their styles before the styles go.
    ApplyBarStyle(nullptr);
}

void TFrmPrintReview::BuildControls()
{
    setWindowTitle(QTr("PrintReview", "打印预览"));
    setFont(PixelFont(QStringLiteral("宋体"), 12));
    resize(750, 529);

    // Top area: menu bar and tool bar, then the bevel line.
    auto* top = new QWidget(this);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    CoolBar1 = new QWidget(top);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    auto* coolLayout = new QVBoxLayout(CoolBar1);
    coolLayout->setContentsMargins(0, 0, 0, 0);
    coolLayout->setSpacing(0);
    ActionMainMenuBarMain = new QMenuBar(CoolBar1);
    ActionMainMenuBarMain->setNativeMenuBar(false);
    ActionMainMenuBarMain->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    ActionToolBarMain = new QToolBar(QTr("PrintReview", "工具条"), CoolBar1);
    ActionToolBarMain->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ActionToolBarMain->setMovable(false);
    ActionToolBarMain->setFloatable(false);
    coolLayout->addWidget(ActionMainMenuBarMain);
    coolLayout->addWidget(ActionToolBarMain);
    BevelLine = new QFrame(top);
    BevelLine->setFrameShape(QFrame::HLine);
    BevelLine->setFrameShadow(QFrame::Sunken);
    BevelLine->setFixedHeight(2);
    topLayout->addWidget(CoolBar1);
    topLayout->addWidget(BevelLine);
    setMenuWidget(top);

    auto* central = new QWidget(this);
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);

    // Rulers and the page area.
    auto* panelMain = new QWidget(central);
    auto* grid = new QGridLayout(panelMain);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    PanelBar = new QLabel(QStringLiteral("□"), panelMain);
    PanelBar->setFixedSize(25, 25);
    PanelBar->setAlignment(Qt::AlignCenter);
    PanelBar->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    PanelBar->setStyleSheet(QStringLiteral("color: rgb(128,128,128);"));
    ScrollBox_Top = new QWidget(panelMain);
    ScrollBox_Top->setFixedHeight(25);
    ZtRuler_Top = new TZtRuler(ScrollBox_Top);
    ZtRuler_Top->setObjectName(QStringLiteral("ZtRuler_Top"));
    ZtRuler_Top->SetOrientation(TMyOrientation::trHorizontal);
    ZtRuler_Top->SetStartNumber(0);
    ZtRuler_Top->SetLengthNumber(10);
    ZtRuler_Top->setGeometry(0, -3, 569, 29);
    ZtRuler_Top->setStatusTip(QTr("PrintReview", "上标尺"));
    ScrollBox_Left = new QWidget(panelMain);
    ScrollBox_Left->setFixedWidth(24);
    ZtRuler_Left = new TZtRuler(ScrollBox_Left);
    ZtRuler_Left->setObjectName(QStringLiteral("ZtRuler_Left"));
    ZtRuler_Left->SetOrientation(TMyOrientation::trVertical);
    ZtRuler_Left->SetStartNumber(0);
    ZtRuler_Left->SetLengthNumber(5);
    ZtRuler_Left->setGeometry(-1, -16, 25, 401);
    ZtRuler_Left->setStatusTip(QTr("PrintReview", "左标尺"));

    ScrollBox_Main = new QScrollArea(panelMain);
    ScrollBox_Main->setFrameShape(QFrame::NoFrame);
    ScrollBox_Main->setWidgetResizable(false);
    QPalette grey = ScrollBox_Main->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    ScrollBox_Main->setPalette(grey);
    ScrollBox_Main->viewport()->setAutoFillBackground(true);
    ScrollContent = new QWidget;
    ScrollContent->setPalette(grey);
    ScrollContent->setAutoFillBackground(true);
    const int dpiX = Services.display.LogicalDpiX();
    const int dpiY = Services.display.LogicalDpiY();
    Image_Review = new TImageReview(
        dpiX, dpiY,
        [this](Canvas& canvas) {
            if (BuffPaper)
                BuffPaper->RenderPage(canvas, false);
        },
        ScrollContent);
    Image_Review->setObjectName(QStringLiteral("Image_Review"));
    Image_Review->SetPagePicture([this] {
        // The engine's own drawing of the page: straight into the preview
        // picture at 100 %, into its page picture at any other zoom.
        if (!BuffPaper)
            return QImage();
        auto* picture = dynamic_cast<QtBitmap*>(
            BuffPaper->ViewRate == 100.0 ? previewPicture_.get() : &BuffPaper->PageImage());
        return picture ? picture->Image() : QImage();
    });
    // Border search runs on every move, with or without a button held.
    Image_Review->setMouseTracking(true);
    Image_Review->installEventFilter(this);
    Label_PaperSize = new QLabel(QTr("PrintReview", "纸张 %1*%2(毫米)").arg(Num(210), Num(290)), ScrollContent);
    Label_PaperSize->setFont(PixelFont(QStringLiteral("宋体"), 12));
    Label_PaperSize->setStyleSheet(QStringLiteral("color: rgb(192,192,192);"));
    Label_PaperSize->move(16, 8);
    Label_PaperSize->adjustSize();
    auto* dragLine = new QFrame(ScrollContent);
    dragLine->setFrameStyle(QFrame::Panel | QFrame::Raised);
    dragLine->setLineWidth(1);
    dragLine->setBackgroundRole(QPalette::Button);
    dragLine->setAutoFillBackground(true);
    // The line never takes the mouse from the page image under it.
    dragLine->setAttribute(Qt::WA_TransparentForMouseEvents);
    ChangeSizePanel = dragLine;
    ChangeSizePanel->setObjectName(QStringLiteral("ChangeSizePanel"));
    ChangeSizePanel->resize(25, 25);
    ChangeSizePanel->hide();
    ChangeSizePanel->raise();
    ScrollBox_Main->setWidget(ScrollContent);
    ScrollBox_Main->viewport()->installEventFilter(this);
    connect(ScrollBox_Main->horizontalScrollBar(), &QScrollBar::valueChanged, this,
        [this] { SyncRulersToScroll(); });
    connect(ScrollBox_Main->verticalScrollBar(), &QScrollBar::valueChanged, this,
        [this] { SyncRulersToScroll(); });

    grid->addWidget(PanelBar, 0, 0);
    grid->addWidget(ScrollBox_Top, 0, 1);
    grid->addWidget(ScrollBox_Left, 1, 0);
    grid->addWidget(ScrollBox_Main, 1, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    centralLayout->addWidget(panelMain, 1);

    // Page tool bar and the page tabs.
    auto* panelBottom = new QWidget(central);
    panelBottom->setFixedHeight(23);
    auto* bottomLayout = new QHBoxLayout(panelBottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setSpacing(0);
    ToolBarPage = new QToolBar(QTr("PrintReview", "翻页工具条"), panelBottom);
    ToolBarPage->setIconSize(QSize(16, 16));
    ToolBarPage->setMovable(false);
    TabSetPage = new TTabSet(panelBottom);
    TabSetPage->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    TabSetPage->SetTabs({ PageNumberText(Num(1)), PageNumberText(Num(2)), PageNumberText(Num(3)),
        PageNumberText(Num(4)) });
    TabSetPage->setCurrentIndex(1);
    connect(TabSetPage, &TTabSet::tabBarClicked, this, [this](int index) {
        if (index >= 0)
            TabSetPageClick(index);
    });
    bottomLayout->addWidget(ToolBarPage);
    bottomLayout->addWidget(TabSetPage, 1);
    centralLayout->addWidget(panelBottom);
    setCentralWidget(central);

    // Status bar with five fixed panels; panel 0 shows the hint under the mouse.
    QStatusBar* bar = statusBar();
    bar->setFixedHeight(20);
    bar->setSizeGripEnabled(false);
    bar->setStatusTip(QTr("PrintReview", "提示信息栏"));
    const QString texts[5] = { QTr("PrintReview", "提示信息"), QTr("PrintReview", "预览"),
        PageCountText(Num(999)), PageNumberText(Num(999)), QTr("PrintReview", "打印机") };
    const int widths[5] = { 350, 40, 50, 50, 150 };
    const Qt::Alignment aligns[5]
        = { Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignLeft };
    for (int i = 0; i < 5; ++i) {
        StatusPanels[i] = new QLabel(texts[i], bar);
        int width = widths[i];
        // The page panels hold nine-digit page numbers whole.
        if (i == 2 || i == 3)
            width = std::max(width,
                StatusPanels[i]->fontMetrics().horizontalAdvance(PageCountText(Num(999999999))) + 10);
        // The state panel holds either state's name; the English ones are longer.
        if (i == 1 && LanguageInUse() == Language::English)
            for (const QString& state : { QTr("PrintReview", "预览"), QTr("PrintReview", "设计") })
                width = std::max(width, StatusPanels[i]->fontMetrics().horizontalAdvance(state) + 10);
        StatusPanels[i]->setFixedWidth(width);
        StatusPanels[i]->setAlignment(aligns[i] | Qt::AlignVCenter);
        StatusPanels[i]->setFrameShape(QFrame::Panel);
        StatusPanels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(StatusPanels[i]);
    }
    StatusZoom = new QLabel(QStringLiteral("100%"), bar);
    StatusZoom->setObjectName(QStringLiteral("StatusZoom"));
    StatusZoom->setAlignment(Qt::AlignCenter);
    StatusZoom->setFrameShape(QFrame::Panel);
    StatusZoom->setFrameShadow(QFrame::Sunken);
    StatusZoom->setMinimumWidth(90);
    StatusZoom->setStatusTip(QTr("PrintReview", "预览缩放比率"));
    bar->addPermanentWidget(StatusZoom);
}

void TFrmPrintReview::FormCreate()
{
    MouseIsDown = false;
    OnlyView = false;
    // The shared objects, in the order the rest of the program relies on.
    PrintFormat = std::make_unique<TMyPrintFormat>();
    PrintData = std::make_unique<TMyPrintData>(*PrintFormat);
    Screen = std::make_unique<TMyScreen>(Services.display);
    previewPicture_
        = Services.bitmaps.CreateBitmap(static_cast<int>(Screen->DpiX), static_cast<int>(Screen->DpiY));
    parkedPicture_ = std::make_unique<ParkedPicture>(
        Services.bitmaps.CreateBitmap(static_cast<int>(Screen->DpiX), static_cast<int>(Screen->DpiY)));
    Paper = std::make_unique<TMyPaper>(*this, *Screen);
    Printer = std::make_unique<TMyPrinter>(Services.printers);
    BuffPaper = std::make_unique<TMyBuffPaper>(
        *PrintFormat, *PrintData, *Screen, *Printer, *Paper, Services.bitmaps);
    if (startup_)
        startup_(*this);
    EnablePrintCommands();
}

void TFrmPrintReview::RequestEnd(int exitCode)
{
    endRequested_ = true;
    exitCode_ = exitCode;
}

void TFrmPrintReview::ShowPlainMessage(const QString& text)
{
    quillet::ShowPlainMessage(Services.messages, text);
}

void TFrmPrintReview::ShowHintMessage(const QString& text)
{
    quillet::ShowHintMessage(Services.messages, text);
}

bool TFrmPrintReview::RunEngine(const std::function<void()>& operation)
{
    try {
        operation();
        return true;
    } catch (const std::exception& error) {
        ShowPlainMessage(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowPlainMessage(QTr("PrintReview", "发生了未知的错误"));
    }
    return false;
}

void TFrmPrintReview::RefreshStatus()
{
    const auto printers = Services.printers.Printers();
    const int index = Services.printers.CurrentIndex();
    if (!printers.empty() && index >= 0 && index < static_cast<int>(printers.size()))
        StatusPanels[4]->setText(QTr("PrintReview", "打印机:%1").arg(QString::fromStdString(printers[index])));
    else
        StatusPanels[4]->setText(QTr("PrintReview", "没有安装打印机"));
    StatusPanels[2]->setText(PageCountText(Num(BuffPaper->PageCount)));
    StatusPanels[3]->setText(PageNumberText(Num(BuffPaper->CurrentPage)));
    QString paperText
        = QTr("PrintReview", "纸张 %1*%2(毫米)").arg(Num(BuffPaper->PageWidth), Num(BuffPaper->PageHeight));
    // A paper of nothing or of many metres is shown at a size a picture can
    // hold; the label says so.
    if (Paper->SheetFitted())
        paperText += QTr("PrintReview", " 无法照原样显示,显示为 %1*%2(厘米)")
                         .arg(Num(Paper->ShownWidthCm()), Num(Paper->ShownHeightCm()));
    Label_PaperSize->setText(paperText);
    Label_PaperSize->adjustSize();
    if (!tabsBuilt_ || TabSetPage->count() != BuffPaper->PageCount) {
        tabsBuilt_ = true;
        // Labels are made as tabs come into view: a report of hundreds of
        // millions of pages costs the row nothing.
        TabSetPage->SetTabs(std::max(0, BuffPaper->PageCount), [](int index) {
            // Ideographic spaces either side.
            return QTr("PrintReview", "　第%1页　").arg(Num(index + 1));
        });
    }
    TabSetPage->setCurrentIndex(BuffPaper->CurrentPage - 1);
    ShowPageNumber();
}

void TFrmPrintReview::RepaginateAndShow()
{
    if (SearchBar)
        SearchBar->ReportChanged();
    if (Thumbnails)
        Thumbnails->ReportChanged();
    RunEngine([this] { BuffPaper->Paginate(); });
    // A layout change that shortens the document leaves no page beyond its last.
    if (BuffPaper->CurrentPage > BuffPaper->PageCount)
        BuffPaper->CurrentPage = std::max(1, BuffPaper->PageCount);
    ShowPageAndStatus();
}

void TFrmPrintReview::ShowPageAndStatus()
{
    RunEngine([this] { BuffPaper->ShowCurrentPage(); });
    RefreshStatus();
}

void TFrmPrintReview::ActionFirstPageExecute()
{
    JumpToPage(1);
}

void TFrmPrintReview::ActionPriorPageExecute()
{
    if (BuffPaper->CurrentPage < 2)
        return;
    BuffPaper->CurrentPage -= 1;
    ShowPageAndStatus();
}

void TFrmPrintReview::ActionNextPageExecute()
{
    if (BuffPaper->CurrentPage >= BuffPaper->PageCount)
        return;
    BuffPaper->CurrentPage += 1;
    ShowPageAndStatus();
}

void TFrmPrintReview::ActionLastPageExecute()
{
    JumpToPage(BuffPaper->PageCount);
}

void TFrmPrintReview::TabSetPageClick(int index)
{
    JumpToPage(index + 1);
}

void TFrmPrintReview::FormShow()
{
    SetWorkState(false);
    SetVerPlace(PrintFormat->VerPlace);
    SetHorPlace(PrintFormat->HorPlace);
    RefreshStatus();
    if (!SettingsFile.empty())
        ApplyViewSettings(ViewSettings::Load(SettingsFile));
}

ViewSettings TFrmPrintReview::CurrentViewSettings() const
{
    ViewSettings s;
    s.zoom = Zoom();
    s.fit = static_cast<ViewSettings::Fit>(fit_);
    s.thumbnails = thumbnailsShown_;
    s.thumbnailWidth = std::clamp(ThumbnailDock->isVisible() ? ThumbnailDock->width() : thumbnailWidth_,
        ViewSettings::kMinThumbnailWidth, ViewSettings::kMaxThumbnailWidth);
    s.matchCase = SearchBar->MatchCase->isChecked();
    s.wholeWord = SearchBar->WholeWord->isChecked();
    return s;
}

void TFrmPrintReview::ApplyViewSettings(const ViewSettings& settings)
{
    SearchBar->MatchCase->setChecked(settings.matchCase);
    SearchBar->WholeWord->setChecked(settings.wholeWord);
    thumbnailWidth_ = settings.thumbnailWidth;
    SetThumbnailsShown(settings.thumbnails);
    fit_ = static_cast<FitMode>(settings.fit);
    // The first page opens at its top left corner, as it always does.
    SetZoom(fit_ != FitMode::None ? FitZoom(fit_) : settings.zoom);
    ScrollToOrigin();
}

void TFrmPrintReview::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
        // The keys read the report from the start.
        ScrollBox_Main->setFocus();
    }
}

void TFrmPrintReview::closeEvent(QCloseEvent* event)
{
    if (runBox_) {
        runBox_->Cancel();
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    if (!SettingsFile.empty()) {
        const QString failure = CurrentViewSettings().Save(SettingsFile, FilesInUse());
        if (!failure.isEmpty())
            ShowPlainMessage(failure);
    }
    QMainWindow::closeEvent(event);
}

void TFrmPrintReview::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    ZtRuler_Top->update();
    ZtRuler_Left->update();
}

bool TFrmPrintReview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ScrollBox_Main && event->type() == QEvent::KeyPress
        && PageAreaKey(*static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == PageNumberField && PageNumberFieldKey(*event))
        return true;
    if (watched == StatusZoom && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // Opens upwards from the panel, the status bar being at the window's foot.
        const QSize size = ZoomPanelMenu->sizeHint();
        ZoomPanelMenu->popup(StatusZoom->mapToGlobal(QPoint(StatusZoom->width() - size.width(), -size.height())));
        return true;
    }
    if ((watched == Image_Review || watched == ScrollContent) && PanEvent(*event))
        return true;
    if (watched == Image_Review) {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseMove || type == QEvent::MouseButtonPress
            || type == QEvent::MouseButtonDblClick || type == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            if (type == QEvent::MouseMove)
                Image_ReviewMouseMove(at.x(), at.y());
            else if (type == QEvent::MouseButtonRelease)
                Image_ReviewMouseUp(mouse->button(), at.x(), at.y());
            else // the second press of a double click presses as well
                Image_ReviewMouseDown(mouse->button(), at.x(), at.y());
            return true;
        }
    }
    if (watched == ScrollBox_Main->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            WheelZoom(wheel->angleDelta().y(), wheel->position().toPoint());
            return true;
        }
        if (!(wheel->modifiers() & (Qt::ShiftModifier | Qt::AltModifier)) && PageAreaWheel(*wheel))
            return true;
    }
    if (watched == ScrollBox_Main->viewport() && event->type() == QEvent::Resize) {
        const QSize view = ScrollBox_Main->viewport()->size();
        ScrollContent->resize(std::max(view.width(), Image_Review->geometry().right() + 1),
            std::max(view.height(), Image_Review->geometry().bottom() + 1));
        SyncRulersToScroll();
        if (shown_)
            ViewResized(static_cast<QResizeEvent*>(event)->oldSize());
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TFrmPrintReview::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        // Hints go to panel 0 only; the other panels stay visible.
        StatusPanels[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

// Paper view host.

int TFrmPrintReview::TopStripWidth() const
{
    return ScrollBox_Top->width();
}
int TFrmPrintReview::LeftStripHeight() const
{
    return ScrollBox_Left->height();
}

void TFrmPrintReview::SetTopRuler(int left, int width, int startNumber, int lengthNumber)
{
    laidOutFor_ = StripSizes();
    ZtRuler_Top->setGeometry(left, ZtRuler_Top->y(), width, ZtRuler_Top->height());
    ZtRuler_Top->SetStartNumber(startNumber);
    ZtRuler_Top->SetLengthNumber(lengthNumber);
    ZtRuler_Top->update();
}

void TFrmPrintReview::SetLeftRuler(int top, int height, int startNumber, int lengthNumber)
{
    ZtRuler_Left->setGeometry(ZtRuler_Left->x(), top, ZtRuler_Left->width(), height);
    ZtRuler_Left->SetStartNumber(startNumber);
    ZtRuler_Left->SetLengthNumber(lengthNumber);
    ZtRuler_Left->update();
}

void TFrmPrintReview::SetRulerPaper(const RulerPaper& top, const RulerPaper& left)
{
    ZtRuler_Top->SetPaper(top);
    ZtRuler_Left->SetPaper(left);
}

int TFrmPrintReview::TopRulerStartWhere() const
{
    return ZtRuler_Top->StartWhere();
}
int TFrmPrintReview::LeftRulerStartWhere() const
{
    return ZtRuler_Left->StartWhere();
}

void TFrmPrintReview::PlacePreviewImage(int left, int top, int width, int height)
{
    Image_Review->setGeometry(left, top, width, height);
    if (LegacyZoom())
        previewPicture_->SetSize(width - 5, height - 5);
    // The scroll range covers the page image; the grey area fills the rest.
    const QSize view = ScrollBox_Main->viewport()->size();
    ScrollContent->resize(std::max(view.width(), left + width), std::max(view.height(), top + height));
    SyncRulersToScroll();
}

bool TFrmPrintReview::LegacyZoom() const
{
    return !BuffPaper || BuffPaper->WholeCentimetreZoom();
}

Bitmap& TFrmPrintReview::PreviewPicture()
{
    return LegacyZoom() ? *previewPicture_ : *parkedPicture_;
}

void TFrmPrintReview::PreviewPictureChanged()
{
    UpdatePageView();
    Image_Review->PageChanged();
    if (SearchBar)
        SearchBar->PageShown();
    if (Thumbnails)
        Thumbnails->PageShown();
}

void TFrmPrintReview::ScrollToOrigin()
{
    ScrollBox_Main->horizontalScrollBar()->setValue(0);
    ScrollBox_Main->verticalScrollBar()->setValue(0);
}

void TFrmPrintReview::SyncRulersToScroll()
{
    ZtRuler_Top->move(-ScrollBox_Main->horizontalScrollBar()->value(), ZtRuler_Top->y());
    ZtRuler_Left->move(ZtRuler_Left->x(), -ScrollBox_Main->verticalScrollBar()->value());
}

} // namespace quillet
