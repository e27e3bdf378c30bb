#include "platform/db/ValueText.h"

#include <QLocale>
#include <cmath>

namespace ValueText {

namespace {

QLocale strict(QLocale locale)
{
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    return locale;
}

QString withMilliseconds(const QTime& time)
{
    return time.msec() != 0 ? time.toString(QStringLiteral("HH:mm:ss.zzz"))
                            : time.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

QString FromFloat(double value, int precision)
{
    return QString::number(value, 'g', precision);
}

QString FromDate(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString FromTime(const QTime& time)
{
    return withMilliseconds(time);
}

QString FromDateTime(const QDateTime& dateTime)
{
    return FromDate(dateTime.date()) + QLatin1Char(' ') + withMilliseconds(dateTime.time());
}

std::optional<qint64> ToInteger(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    qint64 value = strict(QLocale::c()).toLongLong(trimmed, &ok);
    if (!ok)
        value = strict(QLocale()).toLongLong(trimmed, &ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<double> ToFloat(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = strict(QLocale::c()).toDouble(trimmed, &ok);
    if (!ok)
        value = strict(QLocale()).toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<QDate> ToDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    QDate date = QDate::fromString(trimmed, Qt::ISODate);
    if (!date.isValid())
        date = QLocale().toDate(trimmed, QLocale::ShortFormat);
    if (!date.isValid())
        date = QLocale().toDate(trimmed, QLocale::LongFormat);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

std::optional<QTime> ToTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    QTime time = QTime::fromString(trimmed, Qt::ISODateWithMs);
    if (!time.isValid())
        time = QLocale().toTime(trimmed, QLocale::ShortFormat);
    if (!time.isValid())
        time = QLocale().toTime(trimmed, QLocale::LongFormat);
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

std::optional<QDateTime> ToDateTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    QString iso = trimmed;
    const int blank = iso.indexOf(QLatin1Char(' '));
    if (blank > 0)
        iso[blank] = QLatin1Char('T');
    QDateTime parsed = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (parsed.isValid())
        return Naive(parsed);
    if (const auto date = ToDate(trimmed))
        return Naive(*date, QTime(0, 0));
    parsed = QLocale().toDateTime(trimmed, QLocale::ShortFormat);
    if (!parsed.isValid())
        parsed = QLocale().toDateTime(trimmed, QLocale::LongFormat);
    if (parsed.isValid())
        return Naive(parsed);
    return std::nullopt;
}

QDateTime Naive(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC);
}

QDateTime Naive(const QDateTime& dateTime)
{
    return QDateTime(dateTime.date(), dateTime.time(), Qt::UTC);
}

} // namespace ValueText
