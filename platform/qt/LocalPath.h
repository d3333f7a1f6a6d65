#pragma once
// Paths between the toolkit's strings and the byte strings the file system
// and the platform layer use, in the file name encoding QFile uses; and
// paths in bytes as messages show them.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

#include "platform/GbkCodec.h"

namespace quillet {

inline std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

inline QString FromLocalPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// A path in bytes (from the command line, the file system) as a message shows
// it: UTF-8 names as they are, others read as GBK. Never for opening: a GBK
// name does not survive the way back.
inline QString PathForMessage(const std::string& path)
{
    return QString::fromStdString(FileNameToUtf8(path));
}

} // namespace quillet
