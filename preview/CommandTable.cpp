#include "preview/CommandTable.h"

#include <array>
#include <cstring>

#include "platform/Texts.h"
#include "preview/PrintReview.h"

namespace quillet {
namespace {

using W = TFrmPrintReview;
using L = CommandList;
using E = EnabledRule;

constexpr QKeyCombination kNoKey {};
constexpr QKeyCombination Ctrl(Qt::Key key)
{
    return Qt::CTRL | key;
}

// Positions in kCommands, for the menus and tool bars below.
enum : int {
    SaveFormat,
    DeleteFormat,
    SavePicture,
    ExportPdf,
    ExportXlsx,
    ExportCsv,
    ExportJson,
    Close,
    PriorPage,
    NextPage,
    FirstPage,
    LastPage,
    SelPage,
    Back,
    Forward,
    EditTitle,
    EditCompany,
    EditRowCount,
    EditPageHead,
    EditPageFoot,
    EditAllRowHeight,
    EditColWidth,
    EditRowHeight,
    WhereHorLeft,
    WhereHorCenter,
    WhereHorRight,
    WhereVerTop,
    WhereVerCenter,
    WhereVerBottom,
    SetPage,
    SetFont,
    Undo,
    Redo,
    ViewRate50,
    ViewRate100,
    PrintRate50,
    PrintRate100,
    Refurbish,
    ZoomIn,
    ZoomOut,
    FitWidth,
    FitPage,
    Find,
    Thumbnails,
    SetPrint,
    SetPrinter,
    StartPrint,
    Help,
    Mail,
    HomePage,
    About,
    StateReview,
    StateDesign,
    IFStand,
    IFXp,
    CommandCount
};

// clang-format off
const CommandSpec kCommands[] = {
    {"ActionSaveFormat", L::File, QUILLET_TEXT("Commands", "保存打印格式"), QUILLET_TEXT("Commands", "将当前打印格式保存起来，供以后打印使用"), Ctrl(Qt::Key_S), 27, "document-save", false, E::Always, &W::ActionSaveFormat, &W::ActionSaveFormatExecute},
    {"ActionDeleteFormat", L::File, QUILLET_TEXT("Commands", "删除保存的打印格式"), QUILLET_TEXT("Commands", "删除当前保存的格式"), kNoKey, 37, "edit-delete", false, E::Always, &W::ActionDeleteFormat, &W::ActionDeleteFormatExecute},
    {"ActionSavePicture", L::File, QUILLET_TEXT("Commands", "保存到图片"), QUILLET_TEXT("Commands", "将当前打印内容保存到指定的图片文件中"), kNoKey, 33, "image-x-generic", false, E::Always, &W::ActionSavePicture, &W::ActionSavePictureExecute},
    {"ActionExportPdf", L::File, QUILLET_TEXT("Commands", "导出PDF..."), QUILLET_TEXT("Commands", "将全部打印内容导出到指定的PDF文件中"), kNoKey, 41, "application-pdf", false, E::Always, &W::ActionExportPdf, &W::ActionExportPdfExecute},
    {"ActionExportXlsx", L::File, QUILLET_TEXT("Commands", "导出Excel..."), QUILLET_TEXT("Commands", "将全部打印内容导出到指定的Excel工作簿中"), kNoKey, -1, nullptr, false, E::Always, &W::ActionExportXlsx, &W::ActionExportXlsxExecute},
    {"ActionExportCsv", L::File, QUILLET_TEXT("Commands", "导出CSV..."), QUILLET_TEXT("Commands", "将全部数据行导出到指定的CSV文件中"), kNoKey, -1, nullptr, false, E::Always, &W::ActionExportCsv, &W::ActionExportCsvExecute},
    {"ActionExportJson", L::File, QUILLET_TEXT("Commands", "导出格式为JSON..."), QUILLET_TEXT("Commands", "将当前打印格式（包括没有保存的修改）导出到指定的JSON文件中"), kNoKey, -1, nullptr, false, E::Always, &W::ActionExportJson, &W::ActionExportJsonExecute},
    {"ActionClose", L::File, QUILLET_TEXT("Commands", "退出程序"), QUILLET_TEXT("Commands", "退出程序"), kNoKey, -1, nullptr, false, E::Always, &W::ActionClose, &W::ActionCloseExecute},
    {"ActionPriorPage", L::Page, QUILLET_TEXT("Commands", "前一页"), QUILLET_TEXT("Commands", "浏览前一页"), Ctrl(Qt::Key_U), 0, "go-previous-view", false, E::Always, &W::ActionPriorPage, &W::ActionPriorPageExecute},
    {"ActionNextPage", L::Page, QUILLET_TEXT("Commands", "下一页"), QUILLET_TEXT("Commands", "浏览下一页"), Ctrl(Qt::Key_D), 1, "go-next-view", false, E::Always, &W::ActionNextPage, &W::ActionNextPageExecute},
    {"ActionFirstPage", L::Page, QUILLET_TEXT("Commands", "第一页"), QUILLET_TEXT("Commands", "浏览第一页"), kNoKey, 2, "go-first-view", false, E::Always, &W::ActionFirstPage, &W::ActionFirstPageExecute},
    {"ActionLastPage", L::Page, QUILLET_TEXT("Commands", "最后一页"), QUILLET_TEXT("Commands", "浏览最后一页"), kNoKey, 3, "go-last-view", false, E::Always, &W::ActionLastPage, &W::ActionLastPageExecute},
    {"ActionSelPage", L::Page, QUILLET_TEXT("Commands", "浏览指定页..."), QUILLET_TEXT("Commands", "浏览指定页"), kNoKey, -1, nullptr, false, E::Always, &W::ActionSelPage, &W::ActionSelPageExecute},
    {"ActionBack", L::Page, QUILLET_TEXT("Commands", "后退"), QUILLET_TEXT("Commands", "回到跳转之前浏览的页"), Qt::ALT | Qt::Key_Left, -1, nullptr, false, E::NeedsHistory, &W::ActionBack, &W::ActionBackExecute},
    {"ActionForward", L::Page, QUILLET_TEXT("Commands", "前进"), QUILLET_TEXT("Commands", "重新浏览后退之前的页"), Qt::ALT | Qt::Key_Right, -1, nullptr, false, E::NeedsHistory, &W::ActionForward, &W::ActionForwardExecute},
    {"ActionEditTitle", L::Edit, QUILLET_TEXT("Commands", "修改标题..."), QUILLET_TEXT("Commands", "修改打印内容的标题"), kNoKey, 35, "draw-text", false, E::Always, &W::ActionEditTitle, &W::ActionEditTitleExecute},
    {"ActionEditCompany", L::Edit, QUILLET_TEXT("Commands", "修改公司..."), QUILLET_TEXT("Commands", "修改打印内容的公司"), kNoKey, -1, nullptr, false, E::Always, &W::ActionEditCompany, &W::ActionEditCompanyExecute},
    {"ActionEditRowCount", L::Edit, QUILLET_TEXT("Commands", "修改打印行数..."), QUILLET_TEXT("Commands", "修改打印表格行数"), kNoKey, -1, nullptr, false, E::Always, &W::ActionEditRowCount, &W::ActionEditRowCountExecute},
    {"ActionEditPageHead", L::Edit, QUILLET_TEXT("Commands", "修改页头..."), nullptr, kNoKey, -1, nullptr, false, E::Always, &W::ActionEditPageHead, &W::ActionEditPageHeadExecute},
    {"ActionEditPageFoot", L::Edit, QUILLET_TEXT("Commands", "修改页尾..."), nullptr, kNoKey, -1, nullptr, false, E::Always, &W::ActionEditPageFoot, &W::ActionEditPageFootExecute},
    {"ActionEditAllRowHeight", L::Edit, QUILLET_TEXT("Commands", "设置统一行高..."), nullptr, kNoKey, 40, "distribute-vertical-y", false, E::Always, &W::ActionEditAllRowHeight, &W::ActionEditAllRowHeightExecute},
    {"ActionEditColWidth", L::Edit, QUILLET_TEXT("Commands", "恢复合并的列宽..."), QUILLET_TEXT("Commands", "恢复合并后列宽为0的列"), kNoKey, 31, "edit-table-insert-column-right", false, E::Always, &W::ActionEditColWidth, &W::ActionEditColWidthExecute},
    {"ActionEditRowHeight", L::Edit, QUILLET_TEXT("Commands", "恢复合并的行高..."), QUILLET_TEXT("Commands", "恢复合并后行高为0的行"), kNoKey, 30, "edit-table-insert-row-below", false, E::Always, &W::ActionEditRowHeight, &W::ActionEditRowHeightExecute},
    {"ActionWhereHorLeft", L::Format, QUILLET_TEXT("Commands", "水平居左"), QUILLET_TEXT("Commands", "将打印的内容停靠在纸张的左边"), kNoKey, 19, "format-justify-left", true, E::Always, &W::ActionWhereHorLeft, &W::ActionWhereHorLeftExecute},
    {"ActionWhereHorCenter", L::Format, QUILLET_TEXT("Commands", "水平居中"), QUILLET_TEXT("Commands", "将打印的内容停靠在纸张的中央"), kNoKey, 20, "format-justify-center", true, E::Always, &W::ActionWhereHorCenter, &W::ActionWhereHorCenterExecute},
    {"ActionWhereHorRight", L::Format, QUILLET_TEXT("Commands", "水平居右"), QUILLET_TEXT("Commands", "将打印的内容停靠在纸张的右边"), kNoKey, 21, "format-justify-right", true, E::Always, &W::ActionWhereHorRight, &W::ActionWhereHorRightExecute},
    {"ActionWhereVerTop", L::Format, QUILLET_TEXT("Commands", "垂直居顶"), QUILLET_TEXT("Commands", "将打印的内容停靠在纸张的顶端"), kNoKey, 22, "align-vertical-top", true, E::Always, &W::ActionWhereVerTop, &W::ActionWhereVerTopExecute},
    {"ActionWhereVerCenter", L::Format, QUILLET_TEXT("Commands", "垂直居中"), QUILLET_TEXT("Commands", "将打印的内容停靠在纸张的中央"), kNoKey, 23, "align-vertical-center", true, E::Always, &W::ActionWhereVerCenter, &W::ActionWhereVerCenterExecute},
    {"ActionWhereVerBottom", L::Format, QUILLET_TEXT("Commands", "垂直居底"), QUILLET_TEXT("Commands", "将打印的内容停靠在纸张的底端"), kNoKey, 24, "align-vertical-bottom", true, E::Always, &W::ActionWhereVerBottom, &W::ActionWhereVerBottomExecute},
    {"ActionSetPage", L::Setup, QUILLET_TEXT("Commands", "页面设置..."), QUILLET_TEXT("Commands", "对打印页面进行设置"), kNoKey, 25, "document-properties", false, E::Always, &W::ActionSetPage, &W::ActionSetPageExecute},
    {"ActionSetFont", L::Setup, QUILLET_TEXT("Commands", "字体设置..."), QUILLET_TEXT("Commands", "对打印页面上的字体进行设置"), Ctrl(Qt::Key_F), 32, "preferences-desktop-font", false, E::Always, &W::ActionSetFont, &W::ActionSetFontExecute},
    {"ActionUndo", L::Setup, QUILLET_TEXT("Commands", "撤销"), QUILLET_TEXT("Commands", "撤销上一次对打印格式的修改"), Ctrl(Qt::Key_Z), -1, nullptr, false, E::NeedsHistory, &W::ActionUndo, &W::ActionUndoExecute},
    {"ActionRedo", L::Setup, QUILLET_TEXT("Commands", "重做"), QUILLET_TEXT("Commands", "重做撤销了的修改"), Ctrl(Qt::Key_Y), -1, nullptr, false, E::NeedsHistory, &W::ActionRedo, &W::ActionRedoExecute, Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
    {"ActionViewRate50", L::View, QUILLET_TEXT("Commands", "预览比率50%"), QUILLET_TEXT("Commands", "预览比率50%"), kNoKey, 8, "zoom-out", true, E::DesignLocked, &W::ActionViewRate50, &W::ActionViewRate50Execute},
    {"ActionViewRate100", L::View, QUILLET_TEXT("Commands", "预览比率100%"), QUILLET_TEXT("Commands", "预览比率100%"), kNoKey, 9, "zoom-original", true, E::DesignLocked, &W::ActionViewRate100, &W::ActionViewRate100Execute},
    {"ActionPrintRate50", L::View, QUILLET_TEXT("Commands", "打印比率50%"), QUILLET_TEXT("Commands", "打印比率50%"), kNoKey, 8, "zoom-out", true, E::DesignLocked, &W::ActionPrintRate50, &W::ActionPrintRate50Execute},
    {"ActionPrintRate100", L::View, QUILLET_TEXT("Commands", "打印比率100%"), QUILLET_TEXT("Commands", "打印比率100%"), kNoKey, 9, "zoom-original", true, E::DesignLocked, &W::ActionPrintRate100, &W::ActionPrintRate100Execute},
    {"ActionRefurbish", L::View, QUILLET_TEXT("Commands", "刷新"), QUILLET_TEXT("Commands", "从新显示打印页面上的内容"), Qt::Key_F5, 26, "view-refresh", false, E::Always, &W::ActionRefurbish, &W::ActionRefurbishExecute},
    {"ActionZoomIn", L::View, QUILLET_TEXT("Commands", "放大"), QUILLET_TEXT("Commands", "放大预览的页面"), Ctrl(Qt::Key_Equal), 42, "zoom-in", false, E::Always, &W::ActionZoomIn, &W::ActionZoomInExecute, Ctrl(Qt::Key_Plus)},
    {"ActionZoomOut", L::View, QUILLET_TEXT("Commands", "缩小"), QUILLET_TEXT("Commands", "缩小预览的页面"), Ctrl(Qt::Key_Minus), 43, "zoom-out", false, E::Always, &W::ActionZoomOut, &W::ActionZoomOutExecute},
    {"ActionFitWidth", L::View, QUILLET_TEXT("Commands", "适合页宽"), QUILLET_TEXT("Commands", "使页面的宽度适合窗口"), kNoKey, 44, "zoom-fit-width", false, E::Always, &W::ActionFitWidth, &W::ActionFitWidthExecute},
    {"ActionFitPage", L::View, QUILLET_TEXT("Commands", "适合整页"), QUILLET_TEXT("Commands", "使整个页面适合窗口"), kNoKey, 45, "zoom-fit-best", false, E::Always, &W::ActionFitPage, &W::ActionFitPageExecute},
    {"ActionFind", L::View, QUILLET_TEXT("Commands", "查找..."), QUILLET_TEXT("Commands", "在全部打印内容中查找文字"), Qt::CTRL | Qt::SHIFT | Qt::Key_F, -1, nullptr, false, E::Always, &W::ActionFind, &W::ActionFindExecute},
    {"ActionThumbnails", L::View, QUILLET_TEXT("Commands", "页面缩略图"), QUILLET_TEXT("Commands", "在窗口左边显示各页的缩略图"), Qt::Key_F4, -1, nullptr, true, E::Always, &W::ActionThumbnails, &W::ActionThumbnailsExecute},
    {"ActionSetPrint", L::Print, QUILLET_TEXT("Commands", "打印..."), QUILLET_TEXT("Commands", "打印指定内容"), Ctrl(Qt::Key_P), -1, nullptr, false, E::NeedsPrinter, &W::ActionSetPrint, &W::ActionSetPrintExecute},
    {"ActionSetPrinter", L::Print, QUILLET_TEXT("Commands", "设置打印机..."), QUILLET_TEXT("Commands", "设置打印机"), kNoKey, 6, "printer", false, E::NeedsPrinter, &W::ActionSetPrinter, &W::ActionSetPrinterExecute},
    {"ActionStartPrint", L::Print, QUILLET_TEXT("Commands", "开始打印"), QUILLET_TEXT("Commands", "开始打印所有内容"), kNoKey, 7, "document-print", false, E::NeedsPrinterFromStart, &W::ActionStartPrint, &W::ActionStartPrintExecute},
    {"ActionHelp", L::Help, QUILLET_TEXT("Commands", "帮助..."), QUILLET_TEXT("Commands", "帮助信息"), Qt::Key_F1, 17, "help-contents", false, E::Always, &W::ActionHelp, &W::ActionHelpExecute},
    {"ActionMail", L::Help, QUILLET_TEXT("Commands", "写信..."), QUILLET_TEXT("Commands", "给我们的技术支持部发送电子邮件"), kNoKey, -1, nullptr, false, E::Always, &W::ActionMail, &W::ActionMailExecute},
    {"ActionHomePage", L::Help, QUILLET_TEXT("Commands", "Quillet的主页"), QUILLET_TEXT("Commands", "欢迎访问我们在Internet上的网站"), kNoKey, 38, "internet-web-browser", false, E::Always, &W::ActionHomePage, &W::ActionHomePageExecute},
    {"ActionAbout", L::Help, QUILLET_TEXT("Commands", "关于..."), QUILLET_TEXT("Commands", "关于"), kNoKey, -1, nullptr, false, E::Always, &W::ActionAbout, &W::ActionAboutExecute},
    {"ActionStateReview", L::State, QUILLET_TEXT("Commands", "预览状态"), QUILLET_TEXT("Commands", "切换为预览状态"), kNoKey, 14, "view-preview", true, E::Always, &W::ActionStateReview, &W::ActionStateReviewExecute},
    {"ActionStateDesign", L::State, QUILLET_TEXT("Commands", "设计状态"), QUILLET_TEXT("Commands", "切换为设计状态"), kNoKey, 29, "document-edit", true, E::Always, &W::ActionStateDesign, &W::ActionStateDesignExecute},
    {"ActionIFStand", L::Manager, QUILLET_TEXT("Commands", "标准风格"), nullptr, kNoKey, -1, nullptr, true, E::Always, &W::ActionIFStand, &W::ActionIFStandExecute},
    {"ActionIFXp", L::Manager, QUILLET_TEXT("Commands", "XP风格"), nullptr, kNoKey, -1, nullptr, true, E::Always, &W::ActionIFXp, &W::ActionIFXpExecute},
};
// clang-format on
static_assert(std::size(kCommands) == CommandCount);

constexpr int S = kSeparator;
constexpr int kFileMenu[]
    = { SaveFormat, DeleteFormat, S, SavePicture, ExportPdf, ExportXlsx, ExportCsv, ExportJson, S, Close };
constexpr int kPageMenu[] = { PriorPage, NextPage, FirstPage, LastPage, S, SelPage, S, Back, Forward };
constexpr int kFormatMenu[]
    = { WhereHorLeft, WhereHorCenter, WhereHorRight, S, WhereVerTop, WhereVerCenter, WhereVerBottom };
constexpr int kSetupMenu[] = { EditCompany, EditTitle, EditPageHead, EditPageFoot, EditRowCount,
    EditAllRowHeight, S, EditColWidth, EditRowHeight, S, SetPage, SetFont, S, Undo, Redo };
constexpr int kViewMenu[] = { ViewRate50, ViewRate100, S, PrintRate50, PrintRate100, S, Refurbish, S, ZoomIn,
    ZoomOut, FitWidth, FitPage, S, Find, Thumbnails };
constexpr int kPrintMenu[] = { SetPrint, SetPrinter, StartPrint };
constexpr int kStateMenu[] = { StateDesign, StateReview };
constexpr int kStyleMenu[] = { IFStand, IFXp };
constexpr int kHelpMenu[] = { Help, Mail, HomePage, S, About };

const MenuSpec kMenus[] = {
    { QUILLET_TEXT("Commands", "文件(&F)"), kFileMenu },
    { QUILLET_TEXT("Commands", "翻页(&Y)"), kPageMenu },
    { QUILLET_TEXT("Commands", "格式(&O)"), kFormatMenu },
    { QUILLET_TEXT("Commands", "设置(&S)"), kSetupMenu },
    { QUILLET_TEXT("Commands", "浏览(&V)"), kViewMenu },
    { QUILLET_TEXT("Commands", "打印(&P)"), kPrintMenu },
    { QUILLET_TEXT("Commands", "状态(&T)"), kStateMenu },
    { QUILLET_TEXT("Commands", "界面(&I)"), kStyleMenu },
    { QUILLET_TEXT("Commands", "帮助(&H)"), kHelpMenu },
};

constexpr int kMainToolBar[] = { StartPrint, SetPrinter, S, SaveFormat, SetFont, SetPage };
constexpr int kPageToolBar[] = { FirstPage, PriorPage, NextPage, LastPage };

} // namespace

std::span<const CommandSpec> CommandTable()
{
    return kCommands;
}
std::span<const MenuSpec> MainMenus()
{
    return kMenus;
}
std::span<const int> MainToolBarItems()
{
    return kMainToolBar;
}
std::span<const int> PageToolBarItems()
{
    return kPageToolBar;
}

int CommandIndex(const char* name)
{
    for (int i = 0; i < CommandCount; ++i)
        if (std::strcmp(kCommands[i].name, name) == 0)
            return i;
    return -1;
}

} // namespace quillet
