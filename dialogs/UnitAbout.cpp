#include "dialogs/UnitAbout.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

#include "platform/Product.h"
#include "platform/Shell.h"
#include "platform/qt/Language.h"

// The library is static: its picture registers only when asked for.
static void InitAboutResources()
{
    Q_INIT_RESOURCE(about);
}

namespace quillet {
namespace {

// The home page without its scheme and closing slash: "quillet.org".
QString ShortAddress(const QString& address)
{
    QString text = address;
    for (const QString& scheme : { QStringLiteral("https://"), QStringLiteral("http://") }) {
        if (text.startsWith(scheme))
            text.remove(0, scheme.size());
    }
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

// A line of text laid over the picture, in its own face and colour.
QLabel* PictureText(const QString& text, const QString& family, int pixels, const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font(family);
    font.setPixelSize(pixels);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace

TFrmAbout::TFrmAbout(Shell& shell, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , shell_(shell)
{
    setWindowTitle(QTr("UnitAbout", "关于"));
    setFixedSize(kClientWidth, kClientHeight);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    static const bool registered = (InitAboutResources(), true);
    (void)registered;
    Image1 = new QLabel(this);
    const QPixmap picture(QStringLiteral(":/dialogs/about.png"));
    Image1->setPixmap(picture);
    Image1->setGeometry(0, 0, kClientWidth, kClientHeight);
    Image1->setMouseTracking(true);
    Image1->installEventFilter(this);

    // The subtitle lies where the picture leaves room for it, in the language in use.
    Label2 = PictureText(
        QTr("UnitAbout", "报表打印预览"), QStringLiteral("WenQuanYi Zen Hei"), 16, QColor(70, 80, 95), this);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label2->setGeometry(96, 104, 220, 24);
    Label2->setMouseTracking(true);
    Label2->installEventFilter(this);

    Label1 = PictureText(QStringLiteral("Version: ") + QString::fromUtf8(product::kVersion),
        QStringLiteral("Tahoma"), 12, QColor(48, 48, 48), this);
    Label1->adjustSize();
    Label1->move(96, 72);
    Label1->installEventFilter(this);

    Label4 = new QLabel(ShortAddress(QString::fromUtf8(product::kHomePage)), this);
    QFont linkFont(QStringLiteral("Arial"));
    linkFont.setPixelSize(13);
    Label4->setFont(linkFont);
    Label4->setGeometry(392, 200, 99, 16);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->setMouseTracking(true);
    Label4->setToolTip(QString::fromUtf8(product::kHomePage));
    // Tab reaches the link, which shows the focus underlined; Enter or Space opens it.
    Label4->setFocusPolicy(Qt::TabFocus);
    Label4->installEventFilter(this);
    SetLinkColor(LinkColor());

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - kClientWidth) / 2, area.y() + (area.height() - kClientHeight) / 2);
    }
}

QColor TFrmAbout::LinkColor()
{
    return QColor(128, 128, 128);
}
QColor TFrmAbout::HotLinkColor()
{
    return QColor(0, 0, 255);
}

QColor TFrmAbout::CurrentLinkColor() const
{
    return Label4->palette().color(QPalette::WindowText);
}

void TFrmAbout::SetLinkColor(const QColor& color)
{
    if (CurrentLinkColor() == color)
        return;
    QPalette palette = Label4->palette();
    palette.setColor(QPalette::WindowText, color);
    Label4->setPalette(palette);
}

bool TFrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label4 && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        QFont font = Label4->font();
        font.setUnderline(event->type() == QEvent::FocusIn);
        Label4->setFont(font);
    } else if (watched == Label4 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            Label4Click();
            return true;
        }
    }
    if (event->type() == QEvent::MouseMove) {
        if (watched == Label4)
            Label4MouseMove();
        else if (watched == Image1 || watched == Label2)
            Image1MouseMove();
    } else if (event->type() == QEvent::Leave && watched == Label4) {
        // Leaving the link straight out of the box turns it grey as well.
        Image1MouseMove();
    } else if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label4) {
            Label4Click();
            return true;
        }
        if (watched == Image1 || watched == Label1 || watched == Label2) {
            FormClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmAbout::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        FormClick();
    else
        QDialog::mouseReleaseEvent(event);
}

void TFrmAbout::FormClick()
{
    accept();
}

void TFrmAbout::Label4Click()
{
    shell_.Open(product::kHomePage);
}

void TFrmAbout::Label4MouseMove()
{
    SetLinkColor(HotLinkColor());
}

void TFrmAbout::Image1MouseMove()
{
    SetLinkColor(LinkColor());
}

} // namespace quillet
