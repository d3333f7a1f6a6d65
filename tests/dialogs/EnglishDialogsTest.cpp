// Every dialog in English shows no Chinese but the report's own texts, and
// in both languages every caption fits the control that shows it: labels,
// check boxes and radio buttons (with their indicator), buttons, group-box
// titles and tab rows, none over a neighbour or past its panel.
#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/LumButton.h"
#include "dialogs/DialogFrame.h"
#include "dialogs/EditColWidth.h"
#include "dialogs/EditRowHeight.h"
#include "dialogs/PageRun.h"
#include "dialogs/PrintDlg.h"
#include "dialogs/SelectPage.h"
#include "dialogs/SetCompany.h"
#include "dialogs/SetFont.h"
#include "dialogs/SetPageFoot.h"
#include "dialogs/SetPageHead.h"
#include "dialogs/SetPaper.h"
#include "dialogs/SetRowCount.h"
#include "dialogs/SetTitle.h"
#include "dialogs/UnitAbout.h"
#include "dialogs/UnitSetAllRowHeight.h"
#include "platform/fake/RecordingShell.h"
#include "platform/qt/Language.h"
#include "tests/dialogs/ExampleDialogRig.h"

namespace quillet::test {
namespace {

// The language for one test; Chinese again afterwards.
struct LanguageFor {
    explicit LanguageFor(Language language) { loaded = UseLanguage(language); }
    ~LanguageFor() { UseLanguage(Language::Chinese); }
    bool loaded = false;
};

bool HasChinese(const QString& text)
{
    static const QRegularExpression chinese(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(chinese);
}

// The texts a dialog shows from the layout, and the font names: never translated.
QStringList ReportTexts(const TMyPrintFormat& format)
{
    QStringList texts = QFontDatabase::families();
    auto add = [&texts](const TMyTextItem& item) {
        texts << FromGbk(item.Text.Text()) << FromGbk(item.FontName.Text());
    };
    add(format.Company);
    add(format.Title);
    for (int i = 1; i <= kHeadFootLines; ++i) {
        add(format.Head[i]);
        add(format.Foot[i]);
    }
    for (int i = 1; i <= kMaxMergedCells; ++i)
        add(format.MergedCells[i].Item);
    for (int i = 1; i <= format.Cols(); ++i)
        add(format.ColItem[i]);
    return texts;
}

// Every text the dialog and its controls show or tell assistive technology.
QStringList ShownTexts(QWidget& dialog)
{
    QList<QWidget*> widgets = dialog.findChildren<QWidget*>();
    widgets.prepend(&dialog);
    QStringList texts;
    for (QWidget* w : widgets) {
        for (const char* name : { "windowTitle", "toolTip", "statusTip", "whatsThis", "accessibleName",
                 "accessibleDescription", "text", "title", "placeholderText" })
            texts << w->property(name).toString();
        if (QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w))
            texts << a->text(QAccessible::Name) << a->text(QAccessible::Description);
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        }
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i) << tabs->tabToolTip(i);
        }
    }
    return texts;
}

// A control as a fault names it: by its caption, else its class.
QString Name(const QWidget& w)
{
    const QVariant text = w.property("text");
    return text.isValid() ? text.toString() : QString::fromLatin1(w.metaObject()->className());
}

// Captions cut off, lying over a neighbour or reaching past their panel.
QStringList CutCaptions(QWidget& dialog)
{
    QStringList faults;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (w->isHidden())
            continue;
        const QFontMetrics metrics(w->font());
        int needed = 0;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->pixmap().isNull() || label->text().isEmpty() || label->wordWrap()
                || label->text().contains(QLatin1Char('\n')))
                continue;
            needed = metrics.horizontalAdvance(label->text()) + label->contentsRect().left()
                + (label->width() - label->contentsRect().right() - 1);
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            needed = w->sizeHint().width();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty()) {
            needed = metrics.horizontalAdvance(QString(button->text()).remove(QLatin1Char('&'))) + 8;
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            needed = metrics.horizontalAdvance(box->title()) + 16;
        } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            needed = tabs->tabBar()->sizeHint().width();
        } else {
            continue;
        }
        if (needed > w->width())
            faults << QStringLiteral("%1: %2 px wide, needs %3").arg(Name(*w)).arg(w->width()).arg(needed);
        if (!w->parentWidget()->rect().contains(w->geometry()))
            faults << QStringLiteral("%1: past its panel").arg(Name(*w));
        if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            // What the caption covers from its left edge, and a little room after it.
            const QRect covered(w->pos(), QSize(needed + 2, w->height()));
            for (QObject* other : w->parentWidget()->children()) {
                auto* neighbour = qobject_cast<QWidget*>(other);
                const auto* picture = qobject_cast<QLabel*>(other);
                if (neighbour && neighbour != w && !neighbour->isHidden()
                    && !(picture && !picture->pixmap().isNull()) && neighbour->geometry().intersects(covered))
                    faults << QStringLiteral("%1: over %2").arg(Name(*w), Name(*neighbour));
            }
        }
    }
    return faults;
}

struct DialogCase {
    const char* name;
    std::function<std::unique_ptr<QDialog>(ExampleDialogRig&)> make;
};

template <class Dialog> std::unique_ptr<QDialog> Make(ExampleDialogRig& rig)
{
    return std::make_unique<Dialog>(rig.Context());
}

RecordingShell aboutShell;

const DialogCase kDialogs[] = {
    { "SetFont", Make<TFrmSetFont> },
    { "SetPaper", Make<TFrmSetPaper> },
    { "PrintDlg", Make<TFrmPrintDlg> },
    { "SetPageHead", Make<TFrmSetPageHead> },
    { "SetPageFoot", Make<TFrmSetPageFoot> },
    { "SetTitle", Make<TFrmSetTitle> },
    { "SetCompany", Make<TFrmSetCompany> },
    { "SetRowCount", Make<TFrmSetRowCount> },
    { "SetAllRowHeight", Make<TFrmSetAllRowHeight> },
    { "SelectPage", Make<TFrmSelectPage> },
    { "EditColWidth",
        [](ExampleDialogRig& rig) {
            rig.format.ColWidth[3] = 0;
            return Make<TFrmEditColWidth>(rig);
        } },
    { "EditRowHeight",
        [](ExampleDialogRig& rig) {
            rig.format.RowHeight[2] = 0;
            return Make<TFrmEditRowHeight>(rig);
        } },
    { "About", [](ExampleDialogRig&) { return std::make_unique<TFrmAbout>(aboutShell); } },
};

// In English no text of any dialog holds Chinese but the report's own; in
// both languages every caption fits.
TEST(EnglishDialogsTest, NoChineseAndEveryCaptionFits)
{
    for (const Language language : { Language::English, Language::Chinese }) {
        const LanguageFor use(language);
        ASSERT_TRUE(use.loaded);
        for (const DialogCase& c : kDialogs) {
            SCOPED_TRACE(std::string(c.name) + (language == Language::English ? " en" : " zh"));
            ExampleDialogRig rig;
            std::unique_ptr<QDialog> dialog = c.make(rig);
            dialog->show();
            EXPECT_EQ(CutCaptions(*dialog).join(QStringLiteral("; ")).toStdString(), "");
            if (language != Language::English)
                continue;
            const QStringList reportTexts = ReportTexts(rig.format);
            QStringList chinese;
            // The merged-cell entries of the font dialog read "01.text".
            static const QRegularExpression entryNumber(QStringLiteral("^\\d\\d\\."));
            for (const QString& text : ShownTexts(*dialog)) {
                if (HasChinese(text) && !reportTexts.contains(QString(text).remove(entryNumber)))
                    chinese << text;
            }
            EXPECT_EQ(chinese.join(QStringLiteral("; ")).toStdString(), "");
        }
    }
}

// What English adds to the paths that read texts back: a page typed or
// chosen as "Page n", a restored "Column n", and a message made of two texts.
TEST(EnglishDialogsTest, EntriesReadBackAndMessages)
{
    const LanguageFor english(Language::English);
    ASSERT_TRUE(english.loaded);
    const std::pair<std::function<QString()>, QString> cases[] = {
        { [] { return QString::number(ParsePageText(QStringLiteral(" page 12 "))); }, QStringLiteral("12") },
        { [] { return PageTextComplaint(QStringLiteral("Page 9"), 5); },
            QStringLiteral("There is no page 9. Enter a page number from 1 to 5") },
        { [] {
             ExampleDialogRig rig;
             TFrmSelectPage dialog(rig.Context());
             dialog.show();
             dialog.ComboBox1->setCurrentIndex(2);
             QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
             return dialog.ComboBox1->currentText() + QStringLiteral(" -> %1").arg(rig.buffer.CurrentPage);
         },
            QStringLiteral("Page 3 -> 3") },
        { [] {
             ExampleDialogRig rig;
             rig.format.ColWidth[3] = 0;
             TFrmEditColWidth dialog(rig.Context());
             dialog.show();
             const QString shown = dialog.ComboBoxCol->currentText();
             QTest::mouseClick(dialog.LumButton1, Qt::LeftButton);
             return shown + QStringLiteral(" -> %1").arg(rig.format.ColWidth[3]);
         },
            QStringLiteral("Column 3 -> 10") },
        { [] {
             FakeMessageService messages;
             ReportPrintRun(messages, { 4, 10, false, QStringLiteral("No %2 paper") });
             return QString::fromStdString(messages.shown.at(0).caption + ": " + messages.shown.at(0).text);
         },
            QStringLiteral("Print Preview: No %2 paper\n4 of 10 pages were sent.") },
    };
    for (const auto& [run, expected] : cases)
        EXPECT_EQ(run().toStdString(), expected.toStdString());
}

} // namespace
} // namespace quillet::test
