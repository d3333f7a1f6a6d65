// The window's actions, menus and tool bars, made from the command table.
#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleFactory>
#include <QToolBar>
#include <QUndoStack>

#include "platform/qt/Language.h"
#include "preview/CommandTable.h"
#include "preview/IconTheme.h"
#include "preview/PrintReview.h"

namespace quillet {
namespace {

QIcon CommandIcon(const CommandSpec& spec, const QStyle* style)
{
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(spec.iconName));
    if (!themed.isNull())
        return themed;
    // Without the theme a command with a picture still shows one.
    return style->standardIcon(QStyle::SP_FileIcon);
}

} // namespace

void TFrmPrintReview::BuildCommands()
{
    EnsureIconTheme();
    for (const CommandSpec& spec : CommandTable()) {
        auto* action = new QAction(QTr("Commands", spec.caption), this);
        action->setObjectName(QString::fromLatin1(spec.name));
        if (spec.hint)
            action->setStatusTip(QTr("Commands", spec.hint));
        if (spec.shortcut.key() != Qt::Key_unknown) {
            QList<QKeySequence> keys { QKeySequence(spec.shortcut) };
            if (spec.shortcut2.key() != Qt::Key_unknown)
                keys.append(QKeySequence(spec.shortcut2));
            action->setShortcuts(keys);
            // Short-cuts work wherever the focus is in the window.
            action->setShortcutContext(Qt::ApplicationShortcut);
        }
        if (spec.iconNumber >= 0)
            action->setIcon(CommandIcon(spec, style()));
        action->setCheckable(spec.checkable);
        action->setEnabled(
            spec.enabled != EnabledRule::NeedsPrinterFromStart && spec.enabled != EnabledRule::NeedsHistory);
        // A checkable action ticks itself when triggered; the handlers set the ticks.
        const auto execute = spec.execute;
        connect(action, &QAction::triggered, this, [this, execute] { (this->*execute)(); });
        this->*spec.field = action;
        Actions.append(action);
    }

    standardStyle.reset(QStyleFactory::create(QStringLiteral("Windows")));
    xpStyle.reset(QStyleFactory::create(QStringLiteral("Fusion")));
    ActionIFXp->setChecked(true);
}

void TFrmPrintReview::BuildMenus()
{
    auto fill = [this](QWidget* target, std::span<const int> items) {
        for (int item : items) {
            if (item == kSeparator) {
                auto* separator = new QAction(target);
                separator->setSeparator(true);
                target->addAction(separator);
            } else {
                target->addAction(Actions[item]);
            }
        }
    };
    for (const MenuSpec& spec : MainMenus()) {
        QMenu* menu = ActionMainMenuBarMain->addMenu(QTr("Commands", spec.title));
        fill(menu, spec.items);
        menus_.append(menu);
    }
    fill(ActionToolBarMain, MainToolBarItems());
    fill(ToolBarPage, PageToolBarItems());
    BuildZoomMenu();
    ApplyBarStyle(xpStyle.get());
}

void TFrmPrintReview::BuildHistory()
{
    History = std::make_unique<LayoutHistory>(*this);
    QUndoStack& stack = History->Stack();
    // The captions name the step: "撤销 修改列宽".
    // A step keeps the name it was recorded with in the program's own words,
    // looked up here.
    auto caption = [](QAction* action, const QString& verb, const QString& step) {
        action->setText(step.isEmpty() ? verb : verb + QLatin1Char(' ') + step);
    };
    connect(&stack, &QUndoStack::undoTextChanged, this,
        [this, caption] { caption(ActionUndo, QTr("Commands", "撤销"), History->UndoName()); });
    connect(&stack, &QUndoStack::redoTextChanged, this,
        [this, caption] { caption(ActionRedo, QTr("Commands", "重做"), History->RedoName()); });
    // A page run keeps every command off until it ends, and the history
    // cannot change meanwhile.
    connect(&stack, &QUndoStack::canUndoChanged, this,
        [this](bool can) { ActionUndo->setEnabled(can && !PageRunActive()); });
    connect(&stack, &QUndoStack::canRedoChanged, this,
        [this](bool can) { ActionRedo->setEnabled(can && !PageRunActive()); });
}

void TFrmPrintReview::ActionUndoExecute()
{
    if (PageRunActive() || MouseIsDown)
        return;
    History->Stack().undo();
}

void TFrmPrintReview::ActionRedoExecute()
{
    if (PageRunActive() || MouseIsDown)
        return;
    History->Stack().redo();
}

void TFrmPrintReview::EnablePrintCommands()
{
    const bool any = Services.printers.HasPrinter();
    const auto table = CommandTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const EnabledRule rule = table[i].enabled;
        if (rule == EnabledRule::NeedsPrinter || rule == EnabledRule::NeedsPrinterFromStart)
            Actions[static_cast<qsizetype>(i)]->setEnabled(any);
    }
}

} // namespace quillet
