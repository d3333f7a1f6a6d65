#include "platform/qt/QtDisplay.h"

#include <QGuiApplication>
#include <QScreen>

namespace quillet {
namespace {

constexpr int kFallbackDpi = 96;

int Dpi(qreal value)
{
    return value > 0 ? qRound(value) : kFallbackDpi;
}

} // namespace

int QtDisplay::LogicalDpiX() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? Dpi(screen->logicalDotsPerInchX()) : kFallbackDpi;
}

int QtDisplay::LogicalDpiY() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? Dpi(screen->logicalDotsPerInchY()) : kFallbackDpi;
}

} // namespace quillet
