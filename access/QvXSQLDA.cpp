#include "access/QvQuery.h"

#include "access/QvValue.h"
#include "platform/RawBytes.h"
#include "platform/db/ValueText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr short charsetOctets = 1;

bool isTextType(int type)
{
    return type == SQL_TEXT || type == SQL_VARYING;
}

bool isScaledInteger(int type)
{
    return type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64;
}

qint64 powerOfTen(int exponent)
{
    qint64 result = 1;
    while (exponent-- > 0)
        result *= 10;
    return result;
}

qint64 integerValue(int type, const char* data)
{
    switch (type) {
    case SQL_SHORT: return LoadRaw<short>(data);
    case SQL_LONG: return LoadRaw<ISC_LONG>(data);
    default: return LoadRaw<ISC_INT64>(data);
    }
}

// The whole part of a scaled integer, truncated toward zero.
qint64 wholePart(qint64 value, int scale)
{
    if (scale <= 0)
        return scale < -18 ? 0 : value / powerOfTen(-scale);
    if (scale > 18)
        QvError(qveInvalidDataConversion);
    const qint64 factor = powerOfTen(scale);
    if (value > std::numeric_limits<qint64>::max() / factor || value < std::numeric_limits<qint64>::min() / factor)
        QvError(qveInvalidDataConversion);
    return value * factor;
}

qint64 truncatedDouble(double value)
{
    const double truncated = std::trunc(value);
    // Out of range would be a wrong number, not a conversion.
    if (!(truncated >= -9.2e18 && truncated <= 9.2e18))
        QvError(qveInvalidDataConversion);
    return qint64(truncated);
}

} // namespace

// ---------------------------------------------------------------- TQvXSQLVAR

TQvXSQLVAR::TQvXSQLVAR(TQvXSQLDA* parent, int index)
    : m_parent(parent)
    , m_index(index)
{
}

const QvTextCodec& TQvXSQLVAR::Codec() const
{
    if (isTextType(SQLType()) && (m_var->sqlsubtype & 0xff) == charsetOctets)
        return QvTextCodec::binary();
    static const QvTextCodec none;
    const TQvDatabase* database = m_parent->m_query->Database();
    return database ? database->TextCodec() : none;
}

bool TQvXSQLVAR::IsDBKey() const
{
    const QByteArray name(m_var->sqlname, std::clamp<int>(m_var->sqlname_length, 0, 32));
    return name == "DB_KEY" || name == "RDB$DB_KEY";
}

bool TQvXSQLVAR::IsNull() const
{
    return IsNullable() && m_var->sqlind && *m_var->sqlind == -1;
}

void TQvXSQLVAR::SetIsNull(bool null)
{
    if (null) {
        if (!IsNullable() || !m_var->sqlind) {
            m_var->sqltype |= 1;
            m_var->sqlind = &m_ownIndicator;
        }
        *m_var->sqlind = -1;
    } else if (IsNullable() && m_var->sqlind) {
        *m_var->sqlind = 0;
    }
    m_modified = true;
}

QString TQvXSQLVAR::Holder() const
{
    const bool column = m_parent->m_query && &m_parent->m_query->Current() == m_parent;
    const QString name = m_name.isEmpty() ? QString::number(m_index + 1) : QLatin1Char('"') + m_name + QLatin1Char('"');
    return (column ? QStringLiteral("Column ") : QStringLiteral("Parameter ")) + name;
}

QString TQvXSQLVAR::PaddedToItsLength(QString text) const
{
    return QvTextCodec::withoutCharPadding(std::move(text), m_var->sqlsubtype & 0xFF, m_var->sqllen);
}

QString TQvXSQLVAR::AsString() const
{
    if (IsNull())
        return {};
    const char* data = m_var->sqldata;
    switch (SQLType()) {
    case SQL_TEXT:
        return PaddedToItsLength(Codec().decode(data, m_var->sqllen));
    case SQL_VARYING: {
        const int length = std::clamp<int>(LoadRaw<short>(data), 0, m_var->sqllen);
        return Codec().decode(data + 2, length);
    }
    case SQL_BLOB:
        return QStringLiteral("(Blob)");
    case SQL_ARRAY:
        return QStringLiteral("(Array)");
    case SQL_NULL:
        return {};
    default: {
        QString text;
        if (!QvValue::ScalarText(SQLType(), m_var->sqlscale, data, text))
            QvError(qveInvalidDataConversion);
        return text;
    }
    }
}

double TQvXSQLVAR::AsDouble() const
{
    if (IsNull())
        return 0.0;
    const char* data = m_var->sqldata;
    const int type = SQLType();
    switch (type) {
    case SQL_TEXT:
    case SQL_VARYING: {
        bool ok = false;
        const double value = AsString().trimmed().toDouble(&ok);
        if (!ok)
            QvError(qveInvalidDataConversion);
        return value;
    }
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        const qint64 value = integerValue(type, data);
        const int scale = m_var->sqlscale;
        return scale < 0 ? double(value) / std::pow(10.0, -scale) : double(value) * std::pow(10.0, scale);
    }
    case SQL_FLOAT:
        return LoadRaw<float>(data);
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return LoadRaw<double>(data);
    default:
        QvError(qveInvalidDataConversion);
    }
}

qint64 TQvXSQLVAR::AsInt64() const
{
    if (IsNull())
        return 0;
    const char* data = m_var->sqldata;
    const int type = SQLType();
    switch (type) {
    case SQL_TEXT:
    case SQL_VARYING: {
        bool ok = false;
        const qint64 value = AsString().trimmed().toLongLong(&ok);
        if (!ok)
            QvError(qveInvalidDataConversion);
        return value;
    }
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return wholePart(integerValue(type, data), m_var->sqlscale);
    case SQL_FLOAT:
        return truncatedDouble(LoadRaw<float>(data));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return truncatedDouble(LoadRaw<double>(data));
    default:
        QvError(qveInvalidDataConversion);
    }
}

int TQvXSQLVAR::AsLong() const
{
    const qint64 value = AsInt64();
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        QvError(qveInvalidDataConversion);
    return int(value);
}

QDateTime TQvXSQLVAR::AsDateTime() const
{
    if (IsNull())
        return {};
    const char* data = m_var->sqldata;
    switch (SQLType()) {
    case SQL_TEXT:
    case SQL_VARYING: {
        const auto value = ValueText::ToDateTime(AsString());
        if (!value)
            QvError(qveInvalidDataConversion);
        return *value;
    }
    case SQL_TIMESTAMP:
        return QvValue::DateTimeOf(LoadRaw<ISC_TIMESTAMP>(data));
    case SQL_TYPE_DATE:
        return ValueText::Naive(QvValue::DateOf(LoadRaw<ISC_DATE>(data)), QTime(0, 0));
    case SQL_TYPE_TIME:
        return ValueText::Naive(QvValue::TimeOnlyDate, QvValue::TimeOf(LoadRaw<ISC_TIME>(data)));
    default:
        QvError(qveInvalidDataConversion);
    }
}

bool TQvXSQLVAR::AsBoolean() const
{
    if (IsNull())
        return false;
    switch (SQLType()) {
    case SQL_BOOLEAN:
        return *m_var->sqldata != 0;
    case SQL_TEXT:
    case SQL_VARYING: {
        // The words the server reads as booleans.
        const QString text = AsString().trimmed();
        if (text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
            return false;
        QvError(qveInvalidDataConversion);
    }
    default:
        QvError(qveInvalidDataConversion);
    }
}

ISC_QUAD TQvXSQLVAR::AsQuad() const
{
    const int type = SQLType();
    if (type != SQL_BLOB && type != SQL_ARRAY && type != SQL_QUAD)
        QvError(qveInvalidDataConversion);
    if (IsNull())
        return ISC_QUAD{0, 0};
    return LoadRaw<ISC_QUAD>(m_var->sqldata);
}

char* TQvXSQLVAR::PrepareValue(short type, short length)
{
    m_var->sqltype = short(type | (m_var->sqltype & 1));
    m_var->sqllen = length;
    m_var->sqlscale = 0;
    const std::size_t needed = std::max<std::size_t>(std::size_t(length), 1);
    if (m_slot && needed <= m_slotSize) {
        m_var->sqldata = m_slot;
    } else {
        m_ownValue.resize(needed);
        m_var->sqldata = m_ownValue.data();
    }
    return m_var->sqldata;
}

void TQvXSQLVAR::Written()
{
    if (IsNullable() && m_var->sqlind)
        *m_var->sqlind = 0;
    m_modified = true;
}

void TQvXSQLVAR::SetAsString(const QString& value)
{
    if (IsDBKey()) {
        // The raw key as the dataset passes it; a short value is zero-padded.
        const QByteArray raw = value.toLatin1();
        const std::size_t length = std::size_t(std::max<short>(m_var->sqllen, 0));
        const std::size_t copied = std::min<std::size_t>(length, std::size_t(raw.size()));
        std::memcpy(m_var->sqldata, raw.constData(), copied);
        std::memset(m_var->sqldata + copied, 0, length - copied);
        Written();
        return;
    }
    const bool describedText = isTextType(m_describedType & ~1);
    const QvTextCodec& codec = describedText && (m_describedSubType & 0xff) == charsetOctets
                                   ? QvTextCodec::binary()
                                   : (m_parent->m_query->Database() ? m_parent->m_query->Database()->TextCodec()
                                                                    : QvTextCodec::binary());
    const QByteArray bytes = codec.encodeStrict(value, Holder());
    // Checked in bytes after encoding; the length travels in 16 bits.
    const qsizetype limit = describedText ? m_describedLength : std::numeric_limits<short>::max();
    if (bytes.size() > limit)
        QvError(qveInvalidDataConversion);
    char* data = PrepareValue(SQL_TEXT, short(bytes.size()));
    m_var->sqlsubtype = describedText ? m_describedSubType : 0;
    if (!bytes.isEmpty())
        std::memcpy(data, bytes.constData(), std::size_t(bytes.size()));
    Written();
}

void TQvXSQLVAR::SetAsScalar(int sqlType, int scale, const char* data)
{
    const int size = QvValue::ScalarSize(sqlType);
    if (size == 0)
        QvError(qveInvalidDataConversion);
    char* value = PrepareValue(short(sqlType), short(size));
    m_var->sqlscale = isScaledInteger(sqlType) ? short(scale) : short(0);
    m_var->sqlsubtype = 0;
    std::memcpy(value, data, std::size_t(size));
    Written();
}

void TQvXSQLVAR::SetAsDouble(double value)
{
    SetAsScalar(SQL_DOUBLE, 0, reinterpret_cast<const char*>(&value));
}

void TQvXSQLVAR::SetAsLong(int value)
{
    const ISC_LONG number = value;
    SetAsScalar(SQL_LONG, 0, reinterpret_cast<const char*>(&number));
}

void TQvXSQLVAR::SetAsInt64(qint64 value, int scale)
{
    const ISC_INT64 number = value;
    SetAsScalar(SQL_INT64, scale, reinterpret_cast<const char*>(&number));
}

void TQvXSQLVAR::SetAsDateTime(const QDateTime& value)
{
    if (!value.isValid())
        QvError(qveInvalidDataConversion);
    const ISC_TIMESTAMP stamp = QvValue::IscTimestamp(value);
    SetAsScalar(SQL_TIMESTAMP, 0, reinterpret_cast<const char*>(&stamp));
}

void TQvXSQLVAR::SetAsDate(const QDate& value)
{
    if (!value.isValid())
        QvError(qveInvalidDataConversion);
    const ISC_DATE date = QvValue::IscDate(value);
    SetAsScalar(SQL_TYPE_DATE, 0, reinterpret_cast<const char*>(&date));
}

void TQvXSQLVAR::SetAsTime(const QTime& value)
{
    if (!value.isValid())
        QvError(qveInvalidDataConversion);
    const ISC_TIME time = QvValue::IscTime(value);
    SetAsScalar(SQL_TYPE_TIME, 0, reinterpret_cast<const char*>(&time));
}

void TQvXSQLVAR::SetAsBoolean(bool value)
{
    const char byte = value ? 1 : 0;
    SetAsScalar(SQL_BOOLEAN, 0, &byte);
}

void TQvXSQLVAR::SetAsQuad(const ISC_QUAD& value)
{
    const int described = m_describedType & ~1;
    if (described != SQL_BLOB && described != SQL_ARRAY)
        QvError(qveInvalidDataConversion);
    char* data = PrepareValue(short(described), sizeof(ISC_QUAD));
    m_var->sqlsubtype = m_describedSubType;
    std::memcpy(data, &value, sizeof value);
    Written();
}

// ----------------------------------------------------------------- TQvXSQLDA

TQvXSQLDA::TQvXSQLDA(TQvQuery* query)
    : m_query(query)
{
}

TQvXSQLDA::~TQvXSQLDA()
{
    m_vars.clear();
    QvAlloc(m_sqlda, 0, 0);
}

void TQvXSQLDA::SetCount(int count)
{
    count = std::max(count, 0);
    if (!m_sqlda || count > m_allocated) {
        const int wanted = std::max(count, 1);
        const std::size_t oldSize = m_sqlda ? XSQLDALength(m_allocated) : 0;
        m_sqlda = static_cast<XSQLDA*>(QvAlloc(m_sqlda, oldSize, XSQLDALength(wanted)));
        m_sqlda->version = SQLDA_VERSION1;
        while (int(m_vars.size()) < wanted)
            m_vars.push_back(std::make_unique<TQvXSQLVAR>(this, int(m_vars.size())));
        m_allocated = wanted;
        for (int i = 0; i < m_allocated; ++i)
            m_vars[std::size_t(i)]->m_var = &m_sqlda->sqlvar[i];
    }
    m_names = QStringList(count);
    for (auto& var : m_vars)
        var->m_name.clear();
    m_sqlda->sqln = short(count);
    m_sqlda->sqld = short(count);
    m_count = count;
}

void TQvXSQLDA::Grow(int count)
{
    const QStringList names = m_names;
    SetCount(count);
    for (int i = 0; i < count && i < names.size(); ++i) {
        m_names[i] = names.at(i);
        m_vars[std::size_t(i)]->m_name = names.at(i);
    }
}

TQvXSQLVAR& TQvXSQLDA::Vars(int index) const
{
    if (index < 0 || index >= m_count)
        QvError(qveXSQLDAIndexOutOfRange);
    return *m_vars[std::size_t(index)];
}

int TQvXSQLDA::IndexOfName(const QString& name) const
{
    if (name.isEmpty())
        return -1;
    const QString wanted = name.toUpper();
    for (int i = 0; i < m_count; ++i)
        if (m_names.at(i) == wanted)
            return i;
    return -1;
}

TQvXSQLVAR* TQvXSQLDA::ByName(const QString& name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? nullptr : m_vars[std::size_t(index)].get();
}

void TQvXSQLDA::AddName(const QString& name, int index)
{
    if (index < 0 || index >= m_count || IndexOfName(name) >= 0)
        return;
    m_names[index] = name.toUpper();
    m_vars[std::size_t(index)]->m_name = m_names.at(index);
}

void TQvXSQLDA::Initialize()
{
    // Lay out every value and indicator in one buffer. Every type the server
    // describes gets the room it asks for, so a row with a column the readers
    // do not know still fetches; only reading that column is refused.
    std::vector<std::size_t> offsets(static_cast<std::size_t>(m_count));
    std::vector<std::size_t> sizes(static_cast<std::size_t>(m_count));
    std::size_t total = 0;
    for (int i = 0; i < m_count; ++i) {
        const XSQLVAR& var = m_sqlda->sqlvar[i];
        std::size_t bytes = std::size_t(std::max<short>(var.sqllen, 0));
        if ((var.sqltype & ~1) == SQL_VARYING)
            bytes += 2;
        bytes = std::max<std::size_t>(bytes, 1);
        offsets[std::size_t(i)] = total;
        sizes[std::size_t(i)] = bytes;
        total = (total + bytes + 7) & ~std::size_t(7);
    }
    const std::size_t indicators = total;
    total += std::size_t(m_count) * sizeof(short);

    const bool named = std::any_of(m_names.cbegin(), m_names.cend(), [](const QString& n) { return !n.isEmpty(); });
    if (!named) {
        const QvTextCodec& codec =
            m_query->Database() ? m_query->Database()->TextCodec() : QvTextCodec::binary();
        for (int i = 0; i < m_count; ++i) {
            const XSQLVAR& var = m_sqlda->sqlvar[i];
            const QString alias =
                codec.decode(var.aliasname, std::clamp<int>(var.aliasname_length, 0, 32)).toUpper();
            const QString base = alias.isEmpty() ? QStringLiteral("F_") : alias;
            int number = alias.isEmpty() ? 1 : 0;
            auto candidate = [&base](int n) {
                if (n == 0)
                    return base;
                const QString digits = QString::number(n);
                return base.left(31 - digits.size()) + digits;
            };
            QString name = candidate(number);
            while (m_names.contains(name))
                name = candidate(++number);
            m_names[i] = name;
            m_vars[std::size_t(i)]->m_name = name;
        }
    }

    m_row.resize(0);
    m_row.resize(total);
    for (int i = 0; i < m_count; ++i) {
        TQvXSQLVAR& wrapper = *m_vars[std::size_t(i)];
        XSQLVAR& var = m_sqlda->sqlvar[i];
        wrapper.m_slot = m_row.data() + offsets[std::size_t(i)];
        wrapper.m_slotSize = sizes[std::size_t(i)];
        wrapper.m_ownValue.resize(0);
        wrapper.m_ownIndicator = 0;
        wrapper.m_modified = false;
        wrapper.m_describedType = var.sqltype;
        wrapper.m_describedLength = var.sqllen;
        wrapper.m_describedSubType = var.sqlsubtype;
        var.sqldata = wrapper.m_slot;
        var.sqlind = (var.sqltype & 1)
                         ? reinterpret_cast<short*>(m_row.data() + indicators + std::size_t(i) * sizeof(short))
                         : nullptr;
    }
}
