#pragma once
// Paths between the toolkit's strings and the byte strings the file system
// and the platform layer use, in the file name encoding QFile uses.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

namespace quillet {

inline std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

inline QString FromLocalPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace quillet
