#include "platform/qt/ToolkitMessages.h"

#include <QLoggingCategory>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace quillet {
namespace {

Q_LOGGING_CATEGORY(toolkitCategory, "quillet.toolkit", QtWarningMsg)

QtMessageHandler previousHandler = nullptr;

void Write(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

bool Set(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

// The toolkit ends the program after a fatal message, and after a warning or
// a critical one when a developer asked it to (QT_FATAL_WARNINGS,
// QT_FATAL_CRITICALS).
bool EndsTheProgram(QtMsgType type)
{
    return type == QtFatalMsg || (type == QtCriticalMsg && Set("QT_FATAL_CRITICALS"))
        || (type == QtWarningMsg && Set("QT_FATAL_WARNINGS"));
}

void Route(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // The last word before the program ends is shown as always: a crash
    // must say why.
    if (EndsTheProgram(type)) {
        if (previousHandler)
            previousHandler(type, context, message);
        else
            Write(qFormatLogMessage(type, context, message));
        return;
    }
    // Asked for: kept as debug lines of our category, naming the toolkit's.
    if (toolkitCategory().isDebugEnabled()) {
        const char* origin = context.category ? context.category : "default";
        Write(QStringLiteral("quillet.toolkit: [") + QString::fromUtf8(origin) + QStringLiteral("] ")
            + message);
    }
}

} // namespace

void RouteToolkitMessages()
{
    const QtMessageHandler before = qInstallMessageHandler(Route);
    if (before != Route)
        previousHandler = before;
}

} // namespace quillet
