#include "app/shell/CatalogQuery.h"

#include "access/QvBlob.h"
#include "access/QvDataSet.h"
#include "access/QvQuery.h"

#include "components/StrUtils.h"

#include <QByteArray>

#include <algorithm>


TCatalogQuery::TCatalogQuery(TQvQuery& query, TQvDatabase* database, const QString& sql)
    : m_query(&query)
{
    if (m_query->Open())
        m_query->Close();
    m_savedDialect = m_query->SQLDialect();
    m_query->SetSQLDialect(1);
    m_query->SetDatabase(database);
    m_query->SetSQLText(sql);
    m_query->SetGoToFirstRecordOnExecute(true);
    m_query->ExecQuery();
}

TCatalogQuery::TCatalogQuery(TQvDataSet& dataSet, TQvDatabase* database, const QString& sql)
    : m_dataSet(&dataSet)
{
    if (m_dataSet->Active())
        m_dataSet->Close();
    m_savedDialect = m_dataSet->SQLDialect();
    m_dataSet->SetSQLDialect(1);
    m_dataSet->SetDatabase(database);
    m_dataSet->SetSelectSQLText(sql);
    m_dataSet->Open();
}

TCatalogQuery::~TCatalogQuery()
{
    try {
        if (m_query && m_query->Open())
            m_query->Close();
        if (m_dataSet && m_dataSet->Active())
            m_dataSet->Close();
        // The lender's statements go back to the dialect they had.
        if (m_query)
            m_query->SetSQLDialect(m_savedDialect);
        if (m_dataSet)
            m_dataSet->SetSQLDialect(m_savedDialect);
    } catch (...) {
        // The transaction's end releases the cursor anyway.
    }
}

bool TCatalogQuery::Eof() const
{
    return m_query ? m_query->Eof() : m_dataSet->Eof();
}

void TCatalogQuery::Next()
{
    if (m_query)
        m_query->Next();
    else
        m_dataSet->Next();
}

int TCatalogQuery::Column(const QString& name) const
{
    if (m_query)
        return m_query->FieldIndex(name);
    const TField* field = m_dataSet->FindField(name);
    return field ? field->Index() : -1;
}

int TCatalogQuery::Required(const QString& name) const
{
    const int column = Column(name);
    if (column < 0) {
        // Raises the access layer's "field not found".
        if (m_query)
            m_query->FieldByName(name);
        else
            m_dataSet->FieldByName(name);
    }
    return column;
}

bool TCatalogQuery::IsNull(int column) const
{
    return m_query ? m_query->Fields(column).IsNull() : m_dataSet->Fields(column).IsNull();
}

QString TCatalogQuery::Text(int column) const
{
    if (m_dataSet)
        return m_dataSet->Fields(column).AsString();
    const TQvXSQLVAR& field = m_query->Fields(column);
    if (field.IsNull())
        return {};
    if (field.SQLType() == SQL_BLOB)
        return BlobText(column);
    return field.AsString();
}

QString TCatalogQuery::Name(int column) const
{
    if (m_dataSet)
        return StrTrimTrailingSpaces(m_dataSet->Fields(column).AsString());
    const TQvXSQLVAR& field = m_query->Fields(column);
    if (field.IsNull())
        return {};
    const XSQLVAR* var = field.Data();
    const char* data = var->sqldata;
    qsizetype length = var->sqllen;
    if (field.SQLType() == SQL_VARYING) {
        length = std::clamp<qsizetype>(*reinterpret_cast<const short*>(data), 0, var->sqllen);
        data += sizeof(short);
    } else if (field.SQLType() != SQL_TEXT) {
        return StrTrimTrailingSpaces(Text(column));
    }
    // Trimmed before decoding: one string made per row instead of two.
    while (length > 0 && data[length - 1] == ' ')
        --length;
    return m_query->Database()->TextCodec().decode(data, length);
}

int TCatalogQuery::Integer(int column) const
{
    return m_query ? m_query->Fields(column).AsLong() : m_dataSet->Fields(column).AsInteger();
}

QString TCatalogQuery::BlobText(int column) const
{
    TQvBlobStream blob;
    blob.SetDatabase(m_query->Database());
    blob.SetTransaction(m_query->Transaction());
    blob.SetBlobID(m_query->Fields(column).AsQuad());
    blob.SetMode(bmRead);
    const qint64 size = blob.Size();
    QByteArray bytes(size, Qt::Uninitialized);
    blob.ReadBuffer(bytes.data(), size);
    return m_query->Database()->TextCodec().decode(bytes.constData(), bytes.size());
}
