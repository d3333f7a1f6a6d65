// The window in English shows no Chinese of its own, only the report's texts,
// and in Chinese every text stays as it was written: commands, menus, status
// panels, page tabs, search bar, accessible names and the undo step's name.
#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QToolBar>
#include <functional>

#include "platform/qt/Language.h"
#include "preview/SearchBar.h"
#include "preview/TabSet.h"
#include "preview/ZtRuler.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

bool HasChinese(const QString& text)
{
    static const QRegularExpression cjk(QStringLiteral("[\\x{3000}-\\x{303f}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(cjk);
}

// Every text the window shows or hands to a screen reader, with where it was found.
QStringList ShownTexts(TFrmPrintReview& w)
{
    QStringList texts;
    auto add = [&texts](const QString& where, const QString& text) {
        if (!text.isEmpty())
            texts << where + QStringLiteral(": ") + text;
    };
    for (QAction* action : w.findChildren<QAction*>()) {
        const QString name = QStringLiteral("action ") + action->objectName();
        add(name, action->text());
        add(name, action->iconText());
        add(name, action->toolTip());
        add(name, action->statusTip());
    }
    for (QAction* menu : w.ActionMainMenuBarMain->actions())
        add(QStringLiteral("menu"), menu->text());
    for (QWidget* widget : w.findChildren<QWidget*>()) {
        const QString name = QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ')
            + widget->objectName();
        add(name, widget->windowTitle());
        add(name, widget->toolTip());
        add(name, widget->statusTip());
        add(name, widget->accessibleName());
        add(name, widget->accessibleDescription());
        if (auto* label = qobject_cast<QLabel*>(widget))
            add(name, label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            add(name, button->text());
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            add(name, edit->placeholderText());
        if (auto* tabs = qobject_cast<TTabSet*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                add(name, tabs->tabText(i));
    }
    // What a screen reader reads of each part (not the page's own text).
    std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* node, int depth) {
        if (!node || depth > 40)
            return;
        const QString name = QStringLiteral("accessible ") + QString::number(node->role());
        for (QAccessible::Text t : { QAccessible::Name, QAccessible::Description, QAccessible::Value })
            add(name, node->text(t));
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), depth + 1);
    };
    walk(QAccessible::queryAccessibleInterface(&w), 0);
    return texts;
}

// The language of the program's texts for one test; Chinese again after it.
class EnglishWindowTest : public WindowFixture {
protected:
    void TearDown() override
    {
        WindowFixture::TearDown();
        UseLanguage(Language::Chinese);
    }

    // The window in the language, with a search run, a placement made (an undo
    // step) and the preview state on, so that the texts of those are shown too.
    TFrmPrintReview& OpenIn(Language language)
    {
        EXPECT_TRUE(UseLanguage(language));
        TFrmPrintReview& w = Open();
        w.ActionFind->trigger();
        w.SearchBar->Box->setText(QStringLiteral("2024"));
        w.SearchBar->Find(true);
        w.SearchBar->RunToEnd();
        w.ActionWhereHorRight->trigger();
        w.ActionStateReview->trigger();
        w.ActionFitWidth->trigger();
        QApplication::processEvents();
        return w;
    }
};

TEST_F(EnglishWindowTest, EnglishWindowShowsNoChineseOfItsOwn)
{
    TFrmPrintReview& w = OpenIn(Language::English);
    QStringList chinese;
    const QStringList texts = ShownTexts(w);
    for (const QString& text : texts)
        if (HasChinese(text))
            chinese << text;
    EXPECT_TRUE(chinese.isEmpty()) << chinese.join(QLatin1Char('\n')).toStdString();

    // The same walk finds the Chinese texts of the window in Chinese.
    TFrmPrintReview& chineseWindow = OpenIn(Language::Chinese);
    EXPECT_GT(ShownTexts(chineseWindow).filter(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))).size(),
        200);
}

// Picked texts in both languages: the Chinese byte for byte as always.
struct Picked {
    const char* what;
    std::function<QString(TFrmPrintReview&)> text;
    const char* chinese;
    const char* english;
};

const Picked kPicked[] = {
    { "undo step", [](TFrmPrintReview& w) { return w.ActionUndo->text(); }, "撤销 水平居右", "Undo Align right" },
    { "save command", [](TFrmPrintReview& w) { return w.ActionSaveFormat->text(); }, "保存打印格式", "Save layout" },
    { "prior page hint", [](TFrmPrintReview& w) { return w.ActionPriorPage->statusTip(); }, "浏览前一页",
        "Go to the previous page" },
    { "first menu", [](TFrmPrintReview& w) { return w.ActionMainMenuBarMain->actions().value(0)->text(); },
        "文件(&F)", "&File" },
    { "state panel", [](TFrmPrintReview& w) { return w.StatusPanels[1]->text(); }, "预览", "Preview" },
    { "page count panel", [](TFrmPrintReview& w) { return w.StatusPanels[2]->text(); }, "共11页", "11 pages" },
    { "zoom panel", [](TFrmPrintReview& w) { return w.StatusZoom->text().section(QLatin1Char(' '), 1); },
        "适合页宽", "Fit width" },
    { "page tab", [](TFrmPrintReview& w) { return w.TabSetPage->tabText(0); }, "\u3000第1页\u3000",
        " Page 1 " },
    { "search count", [](TFrmPrintReview& w) { return w.SearchBar->CountLabel->text().left(4); }, "第1个，",
        "1 of" },
    { "ruler name", [](TFrmPrintReview& w) { return w.ZtRuler_Top->accessibleName(); }, "上标尺", "Top ruler" },
};

TEST_F(EnglishWindowTest, PickedTextsInEitherLanguage)
{
    for (Language language : { Language::English, Language::Chinese }) {
        TFrmPrintReview& w = OpenIn(language);
        for (const Picked& p : kPicked)
            EXPECT_EQ(p.text(w), QString::fromUtf8(language == Language::English ? p.english : p.chinese))
                << p.what;
    }
}

} // namespace
} // namespace quillet::testing
