#include "components/CommandLine.h"

#include <QStringList>

namespace {

constexpr char16_t kQuote = u'"';

bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// The parameter that starts at `at` (0-based), which moves past it. A NUL
// ends the text as it ends a C string.
QString nextParameter(const QString& text, qsizetype& at)
{
    const qsizetype end = text.size();
    const auto charAt = [&](qsizetype i) { return i < end ? text.at(i) : QChar(); };
    for (;;) {
        while (isBlank(charAt(at)))
            ++at;
        if (charAt(at) == kQuote && charAt(at + 1) == kQuote)
            at += 2;
        else
            break;
    }
    QString param;
    while (charAt(at).unicode() > 32) {
        if (charAt(at) == kQuote) {
            ++at;
            while (!charAt(at).isNull() && charAt(at) != kQuote)
                param += text.at(at++);
            if (!charAt(at).isNull())
                ++at;
        } else {
            param += text.at(at++);
        }
    }
    return param;
}

} // namespace

void SplitCommandLine(const QString& cmdLine, QString& programName, QString& params)
{
    QStringList parts;
    qsizetype at = 0;
    for (QString param = nextParameter(cmdLine, at); !param.isEmpty();
         param = nextParameter(cmdLine, at))
        parts << param;
    programName = parts.isEmpty() ? QString() : parts.takeFirst();
    for (QString& part : parts) {
        if (part.contains(QLatin1Char(' ')))
            part = QLatin1Char('"') + part + QLatin1Char('"');
    }
    params = parts.join(QLatin1Char(' '));
}
