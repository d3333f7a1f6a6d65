#include "shell/LayoutConvert.h"

#include <QString>

#include <cstdio>
#include <vector>

#include "model/PrnData.h"
#include "platform/OutputFile.h"
#include "platform/qt/Language.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/OutputMessages.h"
#include "shell/Startup.h"
#include "sources/LayoutJson.h"

namespace quillet {
namespace {

int Fail(const QString& message)
{
    const QByteArray line = (QStringLiteral("quillet: ") + message + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
    return 1;
}

} // namespace

int ConvertLayout(const std::string& inPath, const std::string& outPath)
{
    if (inPath.empty() || outPath.empty())
        return Fail(QTr("LayoutConvert", "传递参数不正确!"));
    TMyPrintFormat format;
    // A CSV file gives the layout a report of it alone would get.
    const QString failure
        = IsCsvDataPath(inPath) ? MakeLayoutFromCsv(inPath, format) : LoadFormatFile(format, inPath);
    if (!failure.isEmpty())
        return Fail(failure);

    const QString shown = PathForMessage(outPath);
    OutputFile file;
    bool written = false;
    if (IsJsonLayoutPath(outPath)) {
        written = SaveJsonLayout(file, outPath, format, { inPath });
    } else {
        // The record as it stands, paper included: no printer is asked.
        std::vector<std::uint8_t> image;
        format.RecordImage(image);
        written = file.Open(outPath, { inPath })
            && file.Write(reinterpret_cast<const char*>(image.data()), image.size()) && file.Commit();
    }
    if (written)
        return 0;
    if (file.Refusal() != OutputRefusal::None)
        return Fail(OutputRefusalText(file.Refusal(), shown));
    return Fail(OutputFailureText(QTr("LayoutConvert", "无法写入格式文件“%1”").arg(shown), file));
}

} // namespace quillet
