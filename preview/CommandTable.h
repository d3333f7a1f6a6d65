#pragma once
// The preview window's commands as one table of data: caption, hint,
// short-cut, icon, list and enabled rule of each, and the menus and tool bars
// as lists of commands. The window makes its actions, menus and tool bars
// from these tables only.
#include <QKeyCombination>
#include <span>

class QAction;

namespace quillet {

class TFrmPrintReview;

// The topic lists the commands belong to; Manager holds the two style commands.
enum class CommandList { File, Page, Edit, Format, Setup, View, Print, Help, State, Manager };

// When a command may be used.
enum class EnabledRule {
    Always,
    DesignLocked, // disabled in design state (zoom and print scale)
    NeedsPrinter, // enabled only when a printer is installed
    NeedsPrinterFromStart, // the same, and disabled until the printers are known
    NeedsHistory // enabled while the layout's (or the page jumps') history has a step for it
};

struct CommandSpec {
    const char* name; // the command's name, "ActionSaveFormat"
    CommandList list;
    // Caption, hint and menu title are the program's texts as written
    // (UTF-8), shown through QTr("Commands", …).
    const char* caption;
    const char* hint; // nullptr for none
    QKeyCombination shortcut;
    int iconNumber; // number in the window's icon strip, -1 for none
    const char* iconName; // freedesktop icon name behind that number
    bool checkable;
    EnabledRule enabled;
    QAction* TFrmPrintReview::*field; // where the window keeps the action
    void (TFrmPrintReview::*execute)();
    QKeyCombination shortcut2 {}; // a second short-cut; none unless given
};

// An entry of a menu or tool bar: a command's index in CommandTable(), or a separator.
constexpr int kSeparator = -1;

struct MenuSpec {
    const char* title; // with its access key
    std::span<const int> items;
};

std::span<const CommandSpec> CommandTable();
std::span<const MenuSpec> MainMenus();
std::span<const int> MainToolBarItems();
std::span<const int> PageToolBarItems();
// Index of a command in CommandTable() by name; -1 when unknown.
int CommandIndex(const char* name);

} // namespace quillet
