#include "components/ComponentEvents.h"

#include <QString>

#include <exception>

#include "platform/Dialogs.h"

namespace qv {

namespace {

void report(const QString& message) noexcept
{
    try {
        showException(message);
    } catch (...) {
        // Nothing is left to tell the user with; the state stays as it is.
    }
}

} // namespace

bool runGuarded(const std::function<void()>& handler) noexcept
{
    if (!handler)
        return true;
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        report(QString::fromUtf8(error.what()));
    } catch (...) {
        report(QStringLiteral("Unknown error"));
    }
    return false;
}

} // namespace qv
