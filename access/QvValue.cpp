#include "access/QvValue.h"

#include "platform/RawBytes.h"
#include "platform/db/ValueText.h"

#include <array>
#include <cstring>

namespace QvValue {

namespace {

constexpr qint64 dayZeroJulian = 2400001; // 17 November 1858
constexpr ISC_TIME unitsPerDay = 864000000;

struct CivilDate
{
    qint64 year;
    int month;
    int day;
};

// Calendar date of a day count (H. Hinnant's days-to-civil); no QDate is
// made, so a row of dates becomes text quickly.
CivilDate civilOf(ISC_DATE days)
{
    const qint64 z = qint64(days) - 40587 + 719468; // from 1970-01-01
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

void putDigits(char16_t*& out, qint64 value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    out += width;
}

void putDate(char16_t*& out, ISC_DATE days)
{
    const CivilDate date = civilOf(days);
    qint64 year = date.year;
    if (year < 0) {
        *out++ = u'-';
        year = -year;
    }
    putDigits(out, year, year > 9999 ? 5 : 4);
    *out++ = u'-';
    putDigits(out, date.month, 2);
    *out++ = u'-';
    putDigits(out, date.day, 2);
}

void putTime(char16_t*& out, ISC_TIME time)
{
    time %= unitsPerDay;
    const ISC_TIME seconds = time / 10000;
    const ISC_TIME fraction = time % 10000;
    putDigits(out, seconds / 3600, 2);
    *out++ = u':';
    putDigits(out, seconds / 60 % 60, 2);
    *out++ = u':';
    putDigits(out, seconds % 60, 2);
    if (fraction == 0)
        return;
    *out++ = u'.';
    if (fraction % 10 == 0)
        putDigits(out, fraction / 10, 3);
    else
        putDigits(out, fraction, 4);
}

QString textOf(const char16_t* begin, const char16_t* end)
{
    return QString(reinterpret_cast<const QChar*>(begin), end - begin);
}

} // namespace

QDate DateOf(ISC_DATE days)
{
    return QDate::fromJulianDay(dayZeroJulian + days);
}

ISC_DATE IscDate(const QDate& date)
{
    return ISC_DATE(date.toJulianDay() - dayZeroJulian);
}

QTime TimeOf(ISC_TIME time)
{
    return QTime::fromMSecsSinceStartOfDay(int(time % unitsPerDay / 10));
}

ISC_TIME IscTime(const QTime& time)
{
    return ISC_TIME(time.msecsSinceStartOfDay()) * 10;
}

QDateTime DateTimeOf(const ISC_TIMESTAMP& stamp)
{
    return ValueText::Naive(DateOf(stamp.timestamp_date), TimeOf(stamp.timestamp_time));
}

ISC_TIMESTAMP IscTimestamp(const QDateTime& value)
{
    return ISC_TIMESTAMP{IscDate(value.date()), IscTime(value.time())};
}

QString DateText(ISC_DATE date)
{
    std::array<char16_t, 16> text;
    char16_t* out = text.data();
    putDate(out, date);
    return textOf(text.data(), out);
}

QString TimeText(ISC_TIME time)
{
    std::array<char16_t, 16> text;
    char16_t* out = text.data();
    putTime(out, time);
    return textOf(text.data(), out);
}

QString TimestampText(const ISC_TIMESTAMP& stamp)
{
    std::array<char16_t, 32> text;
    char16_t* out = text.data();
    putDate(out, stamp.timestamp_date);
    if (stamp.timestamp_time % unitsPerDay != 0) {
        *out++ = u' ';
        putTime(out, stamp.timestamp_time);
    }
    return textOf(text.data(), out);
}

bool ScalarText(int type, int scale, const char* data, QString& text)
{
    switch (type) {
    case SQL_SHORT:
        text = ValueText::FromScaled(LoadRaw<short>(data), scale);
        return true;
    case SQL_LONG:
        text = ValueText::FromScaled(LoadRaw<ISC_LONG>(data), scale);
        return true;
    case SQL_INT64:
        text = ValueText::FromScaled(LoadRaw<ISC_INT64>(data), scale);
        return true;
    case SQL_FLOAT:
        text = ValueText::FromSingle(LoadRaw<float>(data));
        return true;
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        text = ValueText::FromFloat(LoadRaw<double>(data));
        return true;
    case SQL_TIMESTAMP:
        text = TimestampText(LoadRaw<ISC_TIMESTAMP>(data));
        return true;
    case SQL_TYPE_DATE:
        text = DateText(LoadRaw<ISC_DATE>(data));
        return true;
    case SQL_TYPE_TIME:
        text = TimeText(LoadRaw<ISC_TIME>(data));
        return true;
    case SQL_BOOLEAN:
        text = ValueText::FromBoolean(*data != 0);
        return true;
    default:
        return false;
    }
}

int ScalarSize(int type)
{
    switch (type) {
    case SQL_SHORT: return int(sizeof(short));
    case SQL_LONG: return int(sizeof(ISC_LONG));
    case SQL_INT64: return int(sizeof(ISC_INT64));
    case SQL_FLOAT: return int(sizeof(float));
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return int(sizeof(double));
    case SQL_TIMESTAMP: return int(sizeof(ISC_TIMESTAMP));
    case SQL_TYPE_DATE: return int(sizeof(ISC_DATE));
    case SQL_TYPE_TIME: return int(sizeof(ISC_TIME));
    case SQL_BOOLEAN: return 1;
    default: return 0;
    }
}

} // namespace QvValue
