// Shows every input control of the dialogs in each of its states (normal,
// hot, focused, pressed, disabled), the spin edit in each value type and the
// colour and font lists open, for review. With --png <file> the window and
// the open lists are written to one picture and the program ends.
#include <QAbstractItemView>
#include <QApplication>
#include <QEnterEvent>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "controls/LumButton.h"
#include "controls/LumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PickCombos.h"
#include "platform/qt/FontSubstitutions.h"

using namespace quillet;

namespace {

enum Column { kNormal = 1, kHot, kFocused, kPressed, kDisabled };

void MakeHot(QWidget* w)
{
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(w, &enter);
}

// Holds a spin button down on one half; the value sits at the bound the
// press heads for, so the repeat leaves it as it is.
void HoldSpin(TNumSpinEdit* edit, TSpinHalf half)
{
    TSpinButtonBase* button = edit->Button();
    const QPointF pos = half == TSpinHalf::Up ? QPointF(button->width() * 0.25, button->height() * 0.25)
                                              : QPointF(button->width() * 0.75, button->height() * 0.75);
    QMouseEvent press(QEvent::MouseButtonPress, pos, button->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton,
        Qt::NoModifier);
    QApplication::sendEvent(button, &press);
}

struct Gallery {
    QWidget window;
    QGridLayout* grid = nullptr;
    QList<QWidget*> focusCells;
    TColorComboBox* openColors = nullptr;
    TFontComboBox* openFonts = nullptr;
    QList<TNumSpinEdit*> held;
    QList<TSpinHalf> heldHalves;

    void AddRow(int row, const QString& name, const std::function<QWidget*(int column)>& make)
    {
        grid->addWidget(new QLabel(name), row, 0);
        for (int column = kNormal; column <= kDisabled; ++column) {
            QWidget* w = make(column);
            if (!w)
                continue;
            grid->addWidget(w, row, column);
            if (column == kDisabled)
                w->setEnabled(false);
            if (column == kFocused)
                focusCells.append(w);
        }
    }

    TNumSpinEdit* Spin(TNumValueType type, int column, TNumSpinButtonKind kind = TNumSpinButtonKind::Diagonal)
    {
        auto* spin = new TNumSpinEdit;
        spin->setFixedWidth(90);
        spin->SetButtonKind(kind);
        spin->SetValueType(type);
        spin->SetMinValue(0);
        spin->SetMaxValue(type == TNumValueType::Hex ? 4095 : 500);
        spin->SetValue(type == TNumValueType::Float ? 12.5 : 255);
        if (column == kPressed) {
            held.append(spin);
            heldHalves.append(held.size() % 2 ? TSpinHalf::Up : TSpinHalf::Down);
            spin->SetValue(heldHalves.last() == TSpinHalf::Up ? spin->MaxValue() : spin->MinValue());
        }
        return spin;
    }

    void Build()
    {
        window.setWindowTitle(QStringLiteral("Quillet controls"));
        QFont font(QStringLiteral("宋体"));
        font.setPixelSize(12);
        window.setFont(font);
        grid = new QGridLayout(&window);
        grid->setHorizontalSpacing(12);
        const char* heads[] = { "normal", "hot", "focused", "pressed", "disabled" };
        for (int c = 0; c < 5; ++c)
            grid->addWidget(new QLabel(QString::fromLatin1(heads[c])), 0, c + 1);

        AddRow(1, QStringLiteral("TLumButton"), [](int column) -> QWidget* {
            auto* b = new TLumButton(QStringLiteral("确  定"));
            b->setFixedSize(75, 23);
            if (column == kFocused)
                b->setDefault(true);
            if (column == kPressed)
                b->setDown(true);
            return b;
        });
        AddRow(2, QStringLiteral("TLumEdit"), [](int) -> QWidget* {
            auto* e = new TLumEdit;
            e->setText(QStringLiteral("公司名称 Ltd."));
            e->setFixedWidth(110);
            return e;
        });
        AddRow(3, QStringLiteral("spin integer"),
            [this](int column) { return Spin(TNumValueType::Integer, column); });
        AddRow(4, QStringLiteral("spin float"),
            [this](int column) { return Spin(TNumValueType::Float, column); });
        AddRow(
            5, QStringLiteral("spin hex"), [this](int column) { return Spin(TNumValueType::Hex, column); });
        AddRow(6, QStringLiteral("spin standard"), [this](int column) {
            return Spin(TNumValueType::Integer, column, TNumSpinButtonKind::Standard);
        });
        AddRow(7, QStringLiteral("TColorComboBox"), [this](int column) -> QWidget* {
            auto* c = new TColorComboBox;
            c->setFixedWidth(120);
            c->SetColorValue(column == kHot ? RgbColor(255, 255, 0) : 0x800000);
            if (column == kPressed) {
                openColors = c;
                c->SetOptions(TColorComboBox::kIncludeNone | TColorComboBox::kIncludeDefault);
            }
            return c;
        });
        AddRow(8, QStringLiteral("TFontComboBox"), [this](int column) -> QWidget* {
            auto* f = new TFontComboBox;
            f->SetUseFonts(true);
            f->SetFontName(QStringLiteral("dejavu serif"));
            f->setFixedWidth(150);
            if (column == kPressed)
                openFonts = f;
            return f;
        });
        auto* names = new TColorComboBox;
        names->setFixedWidth(120);
        names->SetDisplayNames(false);
        names->SetColorValue(RgbColor(1, 2, 3));
        grid->addWidget(new QLabel(QStringLiteral("no names / RGB(1,2,3)")), 9, 0);
        grid->addWidget(names, 9, 1);
        grid->setColumnStretch(kDisabled + 1, 1);
    }

    void ApplyStates()
    {
        for (int row = 1; row <= 8; ++row)
            if (QLayoutItem* item = grid->itemAtPosition(row, kHot))
                MakeHot(item->widget());
        for (int i = 0; i < held.size(); ++i)
            HoldSpin(held[i], heldHalves[i]);
        if (!focusCells.isEmpty())
            focusCells.first()->setFocus();
    }

    // The window with each focused cell grabbed while it has the focus, and
    // the two lists grabbed open beside it.
    QImage Sheet()
    {
        QImage base = window.grab().toImage();
        QPainter p(&base);
        for (QWidget* w : focusCells) {
            w->setFocus();
            QApplication::processEvents();
            p.drawPixmap(w->mapTo(&window, QPoint(0, 0)), w->grab());
        }
        p.end();
        QList<QImage> popups;
        for (QComboBox* box : { static_cast<QComboBox*>(openColors), static_cast<QComboBox*>(openFonts) }) {
            box->showPopup();
            QApplication::processEvents();
            popups.append(box->view()->window()->grab().toImage());
            box->hidePopup();
            QApplication::processEvents();
        }
        int width = base.width();
        int height = base.height();
        for (const QImage& image : popups) {
            width += image.width() + 12;
            height = qMax(height, image.height() + 24);
        }
        QImage sheet(width, height, QImage::Format_RGB32);
        sheet.fill(window.palette().color(QPalette::Window));
        QPainter s(&sheet);
        s.drawImage(0, 0, base);
        int x = base.width();
        const char* captions[] = { "colour list open", "font list open, UseFonts" };
        for (int i = 0; i < popups.size(); ++i) {
            s.drawText(x + 12, 16, QString::fromLatin1(captions[i]));
            s.drawImage(x + 12, 24, popups[i]);
            x += popups[i].width() + 12;
        }
        return sheet;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    QString png;
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--png"));
    if (at >= 0 && at + 1 < args.size())
        png = args.at(at + 1);

    Gallery gallery;
    gallery.Build();
    gallery.window.show();
    gallery.window.activateWindow();
    QApplication::processEvents();
    gallery.ApplyStates();
    QApplication::processEvents();
    if (png.isEmpty())
        return app.exec();
    const QImage sheet = gallery.Sheet();
    if (!sheet.save(png)) {
        std::fprintf(stderr, "controls_gallery: cannot write %s\n", png.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
