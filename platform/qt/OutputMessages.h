#pragma once
// What a person is told when a file cannot be written: a refused target, or
// the reason a write failed, in the program's words and naming the file.
#include <QString>

#include <string>

#include "platform/OutputFile.h"

namespace quillet {

// Why a write failed, from its errno: "磁盘已满", "没有写入的权限", ...
QString FileFailure(int number);
// The same for the regular file `file` (bytes), whose folder it names when
// the folder refused the write.
QString FileFailure(int number, const std::string& file);

// Why a target is refused: "这是一个文件夹", ...; empty for None.
QString OutputRefusalReason(OutputRefusal refusal);
// "不能写入“path”：…" for a target that is refused; empty for None.
QString OutputRefusalText(OutputRefusal refusal, const QString& path);

// The message for a file that could not be written: what `failedText` says
// (for example "无法写入PDF文件“x”"), then the reason.
QString OutputFailureText(const QString& failedText, const OutputFile& file);

} // namespace quillet
