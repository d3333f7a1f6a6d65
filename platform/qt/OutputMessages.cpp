#include "platform/qt/OutputMessages.h"

#include <cerrno>

namespace quillet {

QString FileFailure(int number)
{
    switch (number) {
    case ENOSPC:
        return QStringLiteral("磁盘已满");
    case EDQUOT:
        return QStringLiteral("超出了磁盘配额");
    case EFBIG:
        return QStringLiteral("文件超出了允许的大小");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入的权限");
    case EROFS:
        return QStringLiteral("磁盘只能读，不能写");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("文件夹不存在，也无法建立");
    case EISDIR:
        return QStringLiteral("这是一个文件夹");
    default:
        return QStringLiteral("写入时发生错误(错误代码%1)").arg(number);
    }
}

QString OutputRefusalText(OutputRefusal refusal, const QString& path)
{
    QString why;
    switch (refusal) {
    case OutputRefusal::None:
        return {};
    case OutputRefusal::InUse:
        why = QStringLiteral("这是正在使用的数据文件或格式文件");
        break;
    case OutputRefusal::Folder:
        why = QStringLiteral("这是一个文件夹");
        break;
    case OutputRefusal::NotRegular:
        why = QStringLiteral("这不是普通文件(是设备、管道或套接字)");
        break;
    case OutputRefusal::ReadOnly:
        why = QStringLiteral("没有写入这个文件的权限");
        break;
    case OutputRefusal::DanglingLink:
        why = QStringLiteral("这是一个指向不存在的文件的链接");
        break;
    case OutputRefusal::LinkToOther:
        why = QStringLiteral("这是一个链接，指向的不是普通文件");
        break;
    }
    return QStringLiteral("不能写入“") + path + QStringLiteral("”：") + why;
}

QString OutputFailureText(const QString& failedText, const OutputFile& file)
{
    return failedText + QStringLiteral("，") + FileFailure(file.Error());
}

} // namespace quillet
