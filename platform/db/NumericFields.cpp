// The 64-bit number fields: whole numbers and exact decimals. Neither lets a
// value pass through a double on its way between text and the record.

#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/VariantKind.h"
#include "platform/db/ValueText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

QString variantText(const QVariant& value)
{
    return IsFloatType(value) ? ValueText::FromFloat(value.toDouble()) : value.toString();
}

// Whole numbers beyond 64 bits do not fit either field.
bool fitsInt64(const QVariant& value)
{
    return value.typeId() != QMetaType::ULongLong
           || value.toULongLong() <= quint64(std::numeric_limits<qint64>::max());
}

// A double as the nearest whole count of units of 10^-places, when it fits.
std::optional<qint64> scaledOfDouble(double value, int places)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // Through its 15-digit text, so 0.1 stays 0.1 and not 0.1000000000000000055.
    return ValueText::ToScaled(ValueText::FromFloat(value), -places);
}

} // namespace

// ---------------------------------------------------------------- TLargeintField

TLargeintField::TLargeintField(const QString& fieldName)
    : TField(ftLargeint, fieldName, 0)
{
    SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QVariant TLargeintField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::Bool)
        return qint64(value.toBool() ? 1 : 0);
    if (IsIntegerType(value)) {
        if (!fitsInt64(value))
            ConversionError(DbMessages::InvalidIntegerValue, value.toString());
        return value.toLongLong();
    }
    if (IsFloatType(value)) {
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::fabs(number) >= 9.2e18)
            ConversionError(DbMessages::InvalidIntegerValue, variantText(value));
        return qint64(std::llround(number));
    }
    const QString text = variantText(value).trimmed();
    if (text.isEmpty())
        return {};
    const auto number = ValueText::ToInteger(text);
    if (!number)
        ConversionError(DbMessages::InvalidIntegerValue, text);
    return *number;
}

qint64 TLargeintField::AsLargeInt() const
{
    return GetData().toLongLong();
}

void TLargeintField::SetAsLargeInt(qint64 value)
{
    SetData(value);
}

QVariant TLargeintField::AsVariant() const
{
    const QVariant value = GetData();
    return value.isValid() ? QVariant(value.toLongLong()) : QVariant();
}

void TLargeintField::SetAsVariant(const QVariant& value)
{
    SetData(ConvertValue(value));
}

QString TLargeintField::AsString() const
{
    const QVariant value = GetData();
    return value.isValid() ? QString::number(value.toLongLong()) : QString();
}

void TLargeintField::SetAsString(const QString& value)
{
    SetData(ConvertValue(value));
}

qint32 TLargeintField::AsInteger() const
{
    const qint64 value = AsLargeInt();
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        DatabaseError(QString::fromLatin1(DbMessages::FieldRangeError)
                          .arg(QString::number(value), DisplayName(),
                               QString::number(std::numeric_limits<qint32>::min()),
                               QString::number(std::numeric_limits<qint32>::max())));
    return qint32(value);
}

void TLargeintField::SetAsInteger(qint32 value)
{
    SetData(qint64(value));
}

double TLargeintField::AsFloat() const
{
    return double(AsLargeInt());
}

void TLargeintField::SetAsFloat(double value)
{
    SetData(ConvertValue(value));
}

// ---------------------------------------------------------------- TFMTBCDField

TFMTBCDField::TFMTBCDField(const QString& fieldName, int size)
    : TField(ftFMTBcd, fieldName, std::clamp(size, 0, 18))
{
    SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

qint64 TFMTBCDField::Scaled(const QString& text) const
{
    const auto scaled = ValueText::ToScaled(text, -Size());
    if (!scaled)
        ConversionError(DbMessages::InvalidFloatValue, text);
    return *scaled;
}

QVariant TFMTBCDField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::Bool)
        return Scaled(value.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
    if (IsIntegerType(value)) {
        if (!fitsInt64(value))
            ConversionError(DbMessages::InvalidFloatValue, value.toString());
        return Scaled(QString::number(value.toLongLong()));
    }
    if (IsFloatType(value)) {
        const auto scaled = scaledOfDouble(value.toDouble(), Size());
        if (!scaled)
            ConversionError(DbMessages::InvalidFloatValue, variantText(value));
        return *scaled;
    }
    const QString text = variantText(value).trimmed();
    if (text.isEmpty())
        return {};
    return Scaled(text);
}

bool TFMTBCDField::MatchesKey(const QVariant& key, TLocateOptions /*options*/) const
{
    if (!key.isValid())
        return IsNull();
    QVariant converted;
    try {
        converted = ConvertValue(key);
    } catch (const EDatabaseError&) {
        return false; // a key this field cannot hold matches none of its values
    }
    const QVariant current = GetData();
    return current.isValid() && converted.isValid() && current.toLongLong() == converted.toLongLong();
}

qint64 TFMTBCDField::AsScaled() const
{
    return GetData().toLongLong();
}

void TFMTBCDField::SetAsScaled(qint64 value)
{
    SetData(value);
}

QVariant TFMTBCDField::AsVariant() const
{
    const QVariant value = GetData();
    return value.isValid() ? QVariant(ValueText::FromScaled(value.toLongLong(), -Size())) : QVariant();
}

void TFMTBCDField::SetAsVariant(const QVariant& value)
{
    SetData(ConvertValue(value));
}

QString TFMTBCDField::AsString() const
{
    const QVariant value = GetData();
    return value.isValid() ? ValueText::FromScaled(value.toLongLong(), -Size()) : QString();
}

void TFMTBCDField::SetAsString(const QString& value)
{
    SetData(ConvertValue(value));
}

qint32 TFMTBCDField::AsInteger() const
{
    // Rounded as the float fields round.
    qint64 whole = AsScaled();
    qint64 unit = 1;
    for (int i = 0; i < Size(); ++i)
        unit *= 10;
    const qint64 rest = whole % unit;
    whole /= unit;
    if (2 * (rest < 0 ? -rest : rest) >= unit)
        whole += rest < 0 ? -1 : 1;
    if (whole < std::numeric_limits<qint32>::min() || whole > std::numeric_limits<qint32>::max())
        DatabaseError(QString::fromLatin1(DbMessages::FieldRangeError)
                          .arg(AsString(), DisplayName(), QString::number(std::numeric_limits<qint32>::min()),
                               QString::number(std::numeric_limits<qint32>::max())));
    return qint32(whole);
}

void TFMTBCDField::SetAsInteger(qint32 value)
{
    SetData(ConvertValue(value));
}

double TFMTBCDField::AsFloat() const
{
    const QVariant value = GetData();
    return value.isValid() ? AsString().toDouble() : 0.0;
}

void TFMTBCDField::SetAsFloat(double value)
{
    SetData(ConvertValue(value));
}
