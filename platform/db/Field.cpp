#include "platform/db/Field.h"
#include "platform/db/VariantKind.h"

#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Stream.h"
#include "platform/db/ValueText.h"

#include <cmath>
#include <limits>

namespace {

const QString TrueText = QStringLiteral("True");
const QString FalseText = QStringLiteral("False");

QString BooleanText(bool value)
{
    return ValueText::FromBoolean(value);
}

// Any value as text the locale-independent way.
QString VariantText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return ValueText::FromFloat(value.toDouble());
    case QMetaType::Bool:
        return BooleanText(value.toBool());
    case QMetaType::QDate:
        return ValueText::FromDate(value.toDate());
    case QMetaType::QTime:
        return ValueText::FromTime(value.toTime());
    case QMetaType::QDateTime:
        return ValueText::FromDateTime(value.toDateTime());
    case QMetaType::QByteArray:
        return QString::fromLatin1(value.toByteArray());
    default:
        return value.toString();
    }
}

// Text against a Locate key: a partial key compares with the value's start.
bool TextMatches(const QString& value, const QString& key, TLocateOptions options)
{
    const QString compared = options.testFlag(loPartialKey) ? value.left(key.size()) : value;
    const Qt::CaseSensitivity sensitivity =
        options.testFlag(loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    return compared.compare(key, sensitivity) == 0;
}

// "t", "TR", "true" read as True; "f" ... "false" as False.
std::optional<bool> ParseBoolean(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    if (TrueText.startsWith(text, Qt::CaseInsensitive))
        return true;
    if (FalseText.startsWith(text, Qt::CaseInsensitive))
        return false;
    return std::nullopt;
}

QByteArray Latin1Bytes(const QString& text, bool& ok)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF) {
            ok = false;
            return {};
        }
    ok = true;
    return text.toLatin1();
}

const QDate TimeOnlyDate(1899, 12, 30);

} // namespace

// ---------------------------------------------------------------- TField

TField::TField(TFieldType dataType, const QString& fieldName, int size)
    : m_fieldName(fieldName)
    , m_dataType(dataType)
    , m_size(size)
{
}

TField::~TField() = default;

void TField::SetFieldName(const QString& name)
{
    if (m_dataSet)
        m_dataSet->CheckInactive();
    m_fieldName = name;
}

void TField::SetDisplayLabel(const QString& label)
{
    if (m_displayLabel == label)
        return;
    m_displayLabel = label;
    LayoutChanged();
}

QString TField::DisplayName() const
{
    return m_displayLabel.isEmpty() ? m_fieldName : m_displayLabel;
}

void TField::SetFieldKind(TFieldKind kind)
{
    if (m_dataSet)
        m_dataSet->CheckInactive();
    m_fieldKind = kind;
}

void TField::SetVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    LayoutChanged();
}

int TField::DisplayWidth() const
{
    return m_displayWidth >= 0 ? m_displayWidth : DefaultWidth();
}

void TField::SetDisplayWidth(int width)
{
    if (DisplayWidth() == width)
        return;
    m_displayWidth = width;
    LayoutChanged();
}

void TField::SetAlignment(Qt::Alignment alignment)
{
    if (m_alignment == alignment)
        return;
    m_alignment = alignment;
    LayoutChanged();
}

void TField::LayoutChanged()
{
    if (m_dataSet && m_dataSet->Active())
        m_dataSet->DataEvent(deLayoutChange);
}

bool TField::CanModify() const
{
    return !m_readOnly && !Calculated() && m_dataSet && m_dataSet->Active() && m_dataSet->CanModify();
}

bool TField::IsNull() const
{
    QVariant value;
    return !GetData(value);
}

bool TField::GetData(QVariant& value) const
{
    if (!m_dataSet)
        DatabaseError(QString::fromLatin1(DbMessages::FieldNoDataSet).arg(DisplayName()));
    return m_dataSet->GetFieldValue(*this, value);
}

QVariant TField::GetData() const
{
    QVariant value;
    GetData(value);
    return value;
}

void TField::SetData(const QVariant& value)
{
    if (!m_dataSet)
        DatabaseError(QString::fromLatin1(DbMessages::FieldNoDataSet).arg(DisplayName()));
    m_dataSet->SetFieldValue(*this, value);
}

bool TField::HasRecord() const
{
    return m_dataSet && m_dataSet->GetActiveRecordBuffer() != nullptr;
}

void TField::CheckWritable() const
{
    if (!m_dataSet)
        DatabaseError(QString::fromLatin1(DbMessages::FieldNoDataSet).arg(DisplayName()));
    const TDataSetState state = m_dataSet->State();
    if (state != dsEdit && state != dsInsert)
        DatabaseError(QString::fromLatin1(DbMessages::NotEditing));
    if (m_readOnly)
        DatabaseError(QString::fromLatin1(DbMessages::FieldReadOnly).arg(DisplayName()));
}

void TField::AccessError(const char* typeName) const
{
    DatabaseError(QString::fromLatin1(DbMessages::FieldAccessError).arg(DisplayName(), QLatin1String(typeName)));
}

void TField::ConversionError(const char* message, const QString& text) const
{
    DatabaseError(QString::fromLatin1(message).arg(text, DisplayName()));
}

QVariant TField::AsVariant() const
{
    return GetData();
}

void TField::SetAsVariant(const QVariant& value)
{
    SetData(ConvertValue(value));
}

QString TField::AsString() const
{
    const QVariant value = AsVariant();
    return value.isValid() ? VariantText(value) : QString();
}

void TField::SetAsString(const QString& /*value*/)
{
    AccessError("String");
}

qint32 TField::AsInteger() const
{
    AccessError("Integer");
}

void TField::SetAsInteger(qint32 /*value*/)
{
    AccessError("Integer");
}

double TField::AsFloat() const
{
    AccessError("Float");
}

void TField::SetAsFloat(double /*value*/)
{
    AccessError("Float");
}

bool TField::AsBoolean() const
{
    AccessError("Boolean");
}

void TField::SetAsBoolean(bool /*value*/)
{
    AccessError("Boolean");
}

QDateTime TField::AsDateTime() const
{
    AccessError("DateTime");
}

void TField::SetAsDateTime(const QDateTime& /*value*/)
{
    AccessError("DateTime");
}

QString TField::GetText(bool /*displayText*/) const
{
    return AsString();
}

void TField::SetText(const QString& text)
{
    SetAsString(text);
}

QVariant TField::ConvertValue(const QVariant& value) const
{
    return value;
}

bool TField::MatchesKey(const QVariant& key, TLocateOptions /*options*/) const
{
    if (!key.isValid())
        return IsNull();
    QVariant converted;
    try {
        converted = ConvertValue(key);
    } catch (const EDatabaseError&) {
        return false; // a key this field cannot hold matches none of its values
    }
    const QVariant current = AsVariant();
    return current.isValid() && converted.isValid() && current == converted;
}

// ---------------------------------------------------------------- TStringField

TStringField::TStringField(const QString& fieldName, int size)
    : TField(ftString, fieldName, size)
{
}

QVariant TStringField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    return VariantText(value);
}

bool TStringField::MatchesKey(const QVariant& key, TLocateOptions options) const
{
    if (!key.isValid())
        return IsNull();
    return TextMatches(AsString(), VariantText(key), options);
}

QVariant TStringField::AsVariant() const
{
    const QVariant value = GetData();
    return value.isValid() ? QVariant(value.toString()) : QVariant();
}

void TStringField::SetAsVariant(const QVariant& value)
{
    if (!value.isValid())
        SetData({});
    else
        SetAsString(VariantText(value));
}

QString TStringField::AsString() const
{
    return GetData().toString();
}

void TStringField::SetAsString(const QString& value)
{
    SetData(Size() > 0 ? value.left(Size()) : value);
}

qint32 TStringField::AsInteger() const
{
    const QString text = AsString().trimmed();
    if (text.isEmpty())
        return 0;
    const auto value = ValueText::ToInteger(text);
    if (!value || *value < std::numeric_limits<qint32>::min() || *value > std::numeric_limits<qint32>::max())
        ConversionError(DbMessages::InvalidIntegerValue, text);
    return qint32(*value);
}

void TStringField::SetAsInteger(qint32 value)
{
    SetAsString(QString::number(value));
}

double TStringField::AsFloat() const
{
    const QString text = AsString().trimmed();
    if (text.isEmpty())
        return 0;
    const auto value = ValueText::ToFloat(text);
    if (!value)
        ConversionError(DbMessages::InvalidFloatValue, text);
    return *value;
}

void TStringField::SetAsFloat(double value)
{
    SetAsString(ValueText::FromFloat(value));
}

bool TStringField::AsBoolean() const
{
    const QString text = AsString().trimmed();
    if (text.isEmpty())
        return false;
    const auto value = ParseBoolean(text);
    if (!value)
        ConversionError(DbMessages::InvalidBoolValue, text);
    return *value;
}

void TStringField::SetAsBoolean(bool value)
{
    SetAsString(BooleanText(value));
}

QDateTime TStringField::AsDateTime() const
{
    const QString text = AsString().trimmed();
    if (text.isEmpty())
        return {};
    const auto value = ValueText::ToDateTime(text);
    if (!value)
        ConversionError(DbMessages::InvalidDateTimeValue, text);
    return *value;
}

void TStringField::SetAsDateTime(const QDateTime& value)
{
    if (!value.isValid())
        SetData({});
    else
        SetAsString(ValueText::FromDateTime(value));
}

int TStringField::DefaultWidth() const
{
    return Size() > 0 ? Size() : 20;
}

// ---------------------------------------------------------------- TIntegerField

TIntegerField::TIntegerField(const QString& fieldName, TFieldType dataType)
    : TField(dataType, fieldName, 0)
{
    SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

qint64 TIntegerField::MinValue() const
{
    switch (DataType()) {
    case ftSmallint: return std::numeric_limits<qint16>::min();
    case ftWord: return 0;
    default: return std::numeric_limits<qint32>::min();
    }
}

qint64 TIntegerField::MaxValue() const
{
    switch (DataType()) {
    case ftSmallint: return std::numeric_limits<qint16>::max();
    case ftWord: return std::numeric_limits<quint16>::max();
    default: return std::numeric_limits<qint32>::max();
    }
}

qint32 TIntegerField::CheckRange(qint64 value) const
{
    if (value < MinValue() || value > MaxValue())
        DatabaseError(QString::fromLatin1(DbMessages::FieldRangeError)
                          .arg(QString::number(value), DisplayName(), QString::number(MinValue()),
                               QString::number(MaxValue())));
    return qint32(value);
}

QVariant TIntegerField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::Bool)
        return CheckRange(value.toBool() ? 1 : 0);
    if (IsIntegerType(value)) {
        if (value.typeId() == QMetaType::ULongLong
            && value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            DatabaseError(QString::fromLatin1(DbMessages::FieldRangeError)
                              .arg(value.toString(), DisplayName(), QString::number(MinValue()),
                                   QString::number(MaxValue())));
        return CheckRange(value.toLongLong());
    }
    if (IsFloatType(value)) {
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::fabs(number) > 9.0e18)
            ConversionError(DbMessages::InvalidIntegerValue, VariantText(value));
        return CheckRange(qRound64(number));
    }
    const QString text = VariantText(value).trimmed();
    if (text.isEmpty())
        return {};
    const auto number = ValueText::ToInteger(text);
    if (!number)
        ConversionError(DbMessages::InvalidIntegerValue, text);
    return CheckRange(*number);
}

QVariant TIntegerField::AsVariant() const
{
    const QVariant value = GetData();
    return value.isValid() ? QVariant(value.toInt()) : QVariant();
}

void TIntegerField::SetAsVariant(const QVariant& value)
{
    SetData(ConvertValue(value));
}

QString TIntegerField::AsString() const
{
    const QVariant value = GetData();
    return value.isValid() ? QString::number(value.toInt()) : QString();
}

void TIntegerField::SetAsString(const QString& value)
{
    SetData(ConvertValue(value));
}

qint32 TIntegerField::AsInteger() const
{
    return GetData().toInt();
}

void TIntegerField::SetAsInteger(qint32 value)
{
    SetData(CheckRange(value));
}

double TIntegerField::AsFloat() const
{
    return AsInteger();
}

void TIntegerField::SetAsFloat(double value)
{
    SetData(ConvertValue(value));
}

int TIntegerField::DefaultWidth() const
{
    switch (DataType()) {
    case ftSmallint: return 6;
    case ftWord: return 5;
    default: return 11;
    }
}

// ---------------------------------------------------------------- TFloatField

TFloatField::TFloatField(const QString& fieldName, TFieldType dataType, int size)
    : TField(dataType, fieldName, size)
{
    SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TFloatField::SetPrecision(int precision)
{
    precision = std::clamp(precision, 1, 17);
    if (m_precision == precision)
        return;
    m_precision = precision;
    LayoutChanged();
}

QVariant TFloatField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    if (IsIntegerType(value) || IsFloatType(value) || value.typeId() == QMetaType::Bool) {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            ConversionError(DbMessages::InvalidFloatValue, VariantText(value));
        return number;
    }
    const QString text = VariantText(value).trimmed();
    if (text.isEmpty())
        return {};
    const auto number = ValueText::ToFloat(text);
    if (!number)
        ConversionError(DbMessages::InvalidFloatValue, text);
    return *number;
}

QVariant TFloatField::AsVariant() const
{
    const QVariant value = GetData();
    return value.isValid() ? QVariant(value.toDouble()) : QVariant();
}

void TFloatField::SetAsVariant(const QVariant& value)
{
    SetData(ConvertValue(value));
}

QString TFloatField::AsString() const
{
    const QVariant value = GetData();
    return value.isValid() ? ValueText::FromFloat(value.toDouble(), m_precision) : QString();
}

void TFloatField::SetAsString(const QString& value)
{
    SetData(ConvertValue(value));
}

qint32 TFloatField::AsInteger() const
{
    const double value = AsFloat();
    const double rounded = std::round(value);
    if (rounded < std::numeric_limits<qint32>::min() || rounded > std::numeric_limits<qint32>::max())
        DatabaseError(QString::fromLatin1(DbMessages::FieldRangeError)
                          .arg(ValueText::FromFloat(value), DisplayName(),
                               QString::number(std::numeric_limits<qint32>::min()),
                               QString::number(std::numeric_limits<qint32>::max())));
    return qint32(rounded);
}

void TFloatField::SetAsInteger(qint32 value)
{
    SetData(double(value));
}

double TFloatField::AsFloat() const
{
    return GetData().toDouble();
}

void TFloatField::SetAsFloat(double value)
{
    SetData(ConvertValue(value));
}

QString TFloatField::GetText(bool displayText) const
{
    if (displayText && DataType() == ftCurrency) {
        const QVariant value = GetData();
        return value.isValid() ? QString::number(value.toDouble(), 'f', 2) : QString();
    }
    return AsString();
}

int TFloatField::DefaultWidth() const
{
    return m_precision + 1;
}

// ---------------------------------------------------------------- TBooleanField

TBooleanField::TBooleanField(const QString& fieldName)
    : TField(ftBoolean, fieldName, 0)
{
}

QVariant TBooleanField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::Bool || IsIntegerType(value) || IsFloatType(value))
        return value.toDouble() != 0;
    const QString text = VariantText(value).trimmed();
    if (text.isEmpty())
        return {};
    const auto boolean = ParseBoolean(text);
    if (!boolean)
        ConversionError(DbMessages::InvalidBoolValue, text);
    return *boolean;
}

QVariant TBooleanField::AsVariant() const
{
    const QVariant value = GetData();
    return value.isValid() ? QVariant(value.toBool()) : QVariant();
}

void TBooleanField::SetAsVariant(const QVariant& value)
{
    SetData(ConvertValue(value));
}

QString TBooleanField::AsString() const
{
    const QVariant value = GetData();
    return value.isValid() ? BooleanText(value.toBool()) : QString();
}

void TBooleanField::SetAsString(const QString& value)
{
    SetData(ConvertValue(value));
}

bool TBooleanField::AsBoolean() const
{
    return GetData().toBool();
}

void TBooleanField::SetAsBoolean(bool value)
{
    SetData(value);
}

// ---------------------------------------------------------------- TDateTimeField

TDateTimeField::TDateTimeField(const QString& fieldName, TFieldType dataType)
    : TField(dataType, fieldName, 0)
{
}

QVariant TDateTimeField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    QDate date;
    QTime time;
    switch (value.typeId()) {
    case QMetaType::QDate:
        date = value.toDate();
        time = QTime(0, 0);
        break;
    case QMetaType::QTime:
        date = TimeOnlyDate;
        time = value.toTime();
        break;
    case QMetaType::QDateTime:
        date = value.toDateTime().date();
        time = value.toDateTime().time();
        break;
    default: {
        const QString text = VariantText(value).trimmed();
        if (text.isEmpty())
            return {};
        switch (DataType()) {
        case ftDate:
            if (const auto parsed = ValueText::ToDate(text))
                return *parsed;
            ConversionError(DbMessages::InvalidDateValue, text);
        case ftTime:
            if (const auto parsed = ValueText::ToTime(text))
                return *parsed;
            ConversionError(DbMessages::InvalidTimeValue, text);
        default:
            if (const auto parsed = ValueText::ToDateTime(text))
                return *parsed;
            ConversionError(DbMessages::InvalidDateTimeValue, text);
        }
    }
    }
    if (!date.isValid() || !time.isValid())
        return {};
    switch (DataType()) {
    case ftDate: return date;
    case ftTime: return time;
    default: return ValueText::Naive(date, time);
    }
}

QVariant TDateTimeField::AsVariant() const
{
    const QVariant value = GetData();
    if (!value.isValid())
        return {};
    switch (DataType()) {
    case ftDate: return value.toDate();
    case ftTime: return value.toTime();
    default: return ValueText::Naive(value.toDateTime());
    }
}

void TDateTimeField::SetAsVariant(const QVariant& value)
{
    SetData(ConvertValue(value));
}

QString TDateTimeField::AsString() const
{
    const QVariant value = AsVariant();
    if (!value.isValid())
        return {};
    switch (DataType()) {
    case ftDate: return ValueText::FromDate(value.toDate());
    case ftTime: return ValueText::FromTime(value.toTime());
    default: return ValueText::FromDateTime(value.toDateTime());
    }
}

void TDateTimeField::SetAsString(const QString& value)
{
    SetData(ConvertValue(value));
}

QDateTime TDateTimeField::AsDateTime() const
{
    const QVariant value = AsVariant();
    if (!value.isValid())
        return {};
    switch (DataType()) {
    case ftDate: return ValueText::Naive(value.toDate(), QTime(0, 0));
    case ftTime: return ValueText::Naive(TimeOnlyDate, value.toTime());
    default: return value.toDateTime();
    }
}

void TDateTimeField::SetAsDateTime(const QDateTime& value)
{
    SetData(value.isValid() ? ConvertValue(value) : QVariant());
}

int TDateTimeField::DefaultWidth() const
{
    switch (DataType()) {
    case ftDate: return 10;
    case ftTime: return 8;
    default: return 19;
    }
}

// ---------------------------------------------------------------- TBytesField

TBytesField::TBytesField(const QString& fieldName, int size, TFieldType dataType)
    : TField(dataType, fieldName, size)
{
}

QVariant TBytesField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    QByteArray bytes;
    if (value.typeId() == QMetaType::QByteArray) {
        bytes = value.toByteArray();
    } else {
        bool ok = false;
        const QString text = VariantText(value);
        bytes = Latin1Bytes(text, ok);
        if (!ok)
            ConversionError(DbMessages::InvalidValue, text);
    }
    return Size() > 0 ? bytes.left(Size()) : bytes;
}

QVariant TBytesField::AsVariant() const
{
    const QVariant value = GetData();
    return value.isValid() ? QVariant(value.toByteArray()) : QVariant();
}

void TBytesField::SetAsVariant(const QVariant& value)
{
    SetData(ConvertValue(value));
}

QString TBytesField::AsString() const
{
    return QString::fromLatin1(GetData().toByteArray());
}

void TBytesField::SetAsString(const QString& value)
{
    SetData(ConvertValue(value));
}

int TBytesField::DefaultWidth() const
{
    return Size() > 0 ? Size() : 10;
}

// ---------------------------------------------------------------- TBlobField

TBlobField::TBlobField(const QString& fieldName, TFieldType dataType)
    : TField(dataType, fieldName, 0)
{
}

std::unique_ptr<TStream> TBlobField::OpenStream(TBlobStreamMode mode) const
{
    if (!DataSet())
        DatabaseError(QString::fromLatin1(DbMessages::FieldNoDataSet).arg(DisplayName()));
    auto stream = DataSet()->CreateBlobStream(const_cast<TBlobField&>(*this), mode);
    if (!stream)
        AccessError("Blob");
    return stream;
}

QByteArray TBlobField::AsBytes() const
{
    if (!HasRecord())
        return {};
    const auto stream = OpenStream(bmRead);
    stream->SetPosition(0);
    return stream->ReadAll();
}

void TBlobField::SetAsBytes(const QByteArray& bytes)
{
    CheckWritable();
    auto stream = OpenStream(bmWrite);
    stream->WriteBytes(bytes);
    stream.reset(); // the dataset hears of the new content when its stream goes
}

qint64 TBlobField::BlobSize() const
{
    if (!HasRecord())
        return 0;
    return OpenStream(bmRead)->Size();
}

void TBlobField::LoadFromStream(TStream& source)
{
    CheckWritable();
    auto stream = OpenStream(bmWrite);
    stream->CopyFrom(source, 0);
    stream.reset();
}

void TBlobField::SaveToStream(TStream& target) const
{
    if (!HasRecord())
        return;
    const auto stream = OpenStream(bmRead);
    target.CopyFrom(*stream, 0);
}

QVariant TBlobField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    bool ok = false;
    const QString text = VariantText(value);
    const QByteArray bytes = Latin1Bytes(text, ok);
    if (!ok)
        ConversionError(DbMessages::InvalidValue, text);
    return bytes;
}

QVariant TBlobField::AsVariant() const
{
    if (IsNull())
        return {};
    return AsBytes();
}

void TBlobField::SetAsVariant(const QVariant& value)
{
    SetAsBytes(ConvertValue(value).toByteArray());
}

QString TBlobField::AsString() const
{
    return QString::fromLatin1(AsBytes());
}

void TBlobField::SetAsString(const QString& value)
{
    SetAsVariant(value);
}

QString TBlobField::GetText(bool /*displayText*/) const
{
    const QString name = QString::fromLatin1(FieldTypeName(DataType()));
    return QLatin1Char('(') + (IsNull() ? name.toLower() : name.toUpper()) + QLatin1Char(')');
}

// ---------------------------------------------------------------- TMemoField

TMemoField::TMemoField(const QString& fieldName, TFieldType dataType)
    : TBlobField(fieldName, dataType)
{
}

QVariant TMemoField::ConvertValue(const QVariant& value) const
{
    if (!value.isValid())
        return {};
    return VariantText(value);
}

bool TMemoField::MatchesKey(const QVariant& key, TLocateOptions options) const
{
    if (!key.isValid())
        return IsNull();
    return TextMatches(AsString(), VariantText(key), options);
}

QVariant TMemoField::AsVariant() const
{
    if (IsNull())
        return {};
    return AsString();
}

void TMemoField::SetAsVariant(const QVariant& value)
{
    SetAsString(ConvertValue(value).toString());
}

QString TMemoField::AsString() const
{
    if (!DataSet())
        DatabaseError(QString::fromLatin1(DbMessages::FieldNoDataSet).arg(DisplayName()));
    return DataSet()->BlobToText(AsBytes());
}

void TMemoField::SetAsString(const QString& value)
{
    if (!DataSet())
        DatabaseError(QString::fromLatin1(DbMessages::FieldNoDataSet).arg(DisplayName()));
    SetAsBytes(DataSet()->TextToBlob(value));
}

// ---------------------------------------------------------------- factory

std::unique_ptr<TField> CreateFieldOfType(TFieldType dataType, const QString& fieldName, int size)
{
    switch (dataType) {
    case ftString:
        return std::make_unique<TStringField>(fieldName, size);
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return std::make_unique<TIntegerField>(fieldName, dataType);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return std::make_unique<TFloatField>(fieldName, dataType, size);
    case ftBoolean:
        return std::make_unique<TBooleanField>(fieldName);
    case ftDate:
    case ftTime:
    case ftDateTime:
        return std::make_unique<TDateTimeField>(fieldName, dataType);
    case ftBytes:
    case ftVarBytes:
        return std::make_unique<TBytesField>(fieldName, size, dataType);
    case ftMemo:
    case ftFmtMemo:
        return std::make_unique<TMemoField>(fieldName, dataType);
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
        return std::make_unique<TBlobField>(fieldName, dataType);
    case ftLargeint:
        return std::make_unique<TLargeintField>(fieldName);
    case ftFMTBcd:
        return std::make_unique<TFMTBCDField>(fieldName, size);
    case ftUnknown:
    case ftCursor:
        break;
    }
    return nullptr;
}
