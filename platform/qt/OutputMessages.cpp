#include "platform/qt/OutputMessages.h"
#include "platform/FileSystem.h"

#include <cerrno>

#include "platform/qt/Language.h"
#include "platform/qt/LocalPath.h"

namespace quillet {

QString FileFailure(int number)
{
    switch (number) {
    case ENOSPC:
        return QTr("OutputMessages", "磁盘已满");
    case EDQUOT:
        return QTr("OutputMessages", "超出了磁盘配额");
    case EFBIG:
        return QTr("OutputMessages", "文件超出了允许的大小");
    case EACCES:
    case EPERM:
        return QTr("OutputMessages", "没有写入的权限");
    case EROFS:
        return QTr("OutputMessages", "磁盘只能读，不能写");
    case ENOENT:
    case ENOTDIR:
        return QTr("OutputMessages", "文件夹不存在，也无法建立");
    case EISDIR:
        return QTr("OutputMessages", "这是一个文件夹");
    case ENAMETOOLONG:
        return QTr("OutputMessages", "文件名或路径太长");
    case ELOOP:
        return QTr("OutputMessages", "路径中的链接绕成了一个圈");
    default:
        return QTr("OutputMessages", "写入时发生错误(错误代码%1)").arg(number);
    }
}

namespace {

// The file itself was found writable: what refused is its folder, where the
// file is made under another name first.
QString FailureIn(int number, const std::string& folder)
{
    if ((number == EACCES || number == EPERM) && !folder.empty())
        return QTr("OutputMessages", "没有在文件夹“%1”中写入的权限").arg(PathForMessage(folder));
    return FileFailure(number);
}

} // namespace

QString FileFailure(int number, const std::string& file)
{
    return FailureIn(number, file.empty() ? std::string() : FolderOf(file));
}

QString OutputRefusalReason(OutputRefusal refusal)
{
    QString why;
    switch (refusal) {
    case OutputRefusal::None:
        return {};
    case OutputRefusal::InUse:
        why = QTr("OutputMessages", "这是正在使用的数据文件或格式文件");
        break;
    case OutputRefusal::Folder:
        why = QTr("OutputMessages", "这是一个文件夹");
        break;
    case OutputRefusal::NotRegular:
        why = QTr("OutputMessages", "这不是普通文件(是设备、管道或套接字)");
        break;
    case OutputRefusal::ReadOnly:
        why = QTr("OutputMessages", "没有写入这个文件的权限");
        break;
    case OutputRefusal::DanglingLink:
        why = QTr("OutputMessages", "这是一个指向不存在的文件的链接");
        break;
    case OutputRefusal::LinkToOther:
        why = QTr("OutputMessages", "这是一个链接，指向的不是普通文件");
        break;
    case OutputRefusal::LinkLoop:
        why = QTr("OutputMessages", "这是一个绕成圈的链接，最终指向它自己");
        break;
    }
    return why;
}

QString OutputRefusalText(OutputRefusal refusal, const QString& path)
{
    if (refusal == OutputRefusal::None)
        return {};
    return QTr("OutputMessages", "不能写入“%1”：%2").arg(path, OutputRefusalReason(refusal));
}

QString OutputFailureText(const QString& failedText, const OutputFile& file)
{
    const bool refused = file.Refusal() != OutputRefusal::None;
    return QTr("OutputMessages", "%1，%2")
        .arg(failedText, FailureIn(file.Error(), refused ? std::string() : file.Folder()));
}

} // namespace quillet
