#include "platform/db/FieldDefs.h"

#include "platform/db/DatabaseError.h"

TFieldDef::TFieldDef(const QString& name, TFieldType dataType, int size, bool required, int fieldNo)
    : m_name(name)
    , m_dataType(dataType)
    , m_size(size)
    , m_required(required)
    , m_fieldNo(fieldNo)
{
}

const TFieldDef& TFieldDefs::Add(const QString& name, TFieldType dataType, int size, bool required)
{
    if (IndexOf(name) >= 0)
        DatabaseError(QString::fromLatin1(DbMessages::DuplicateFieldName).arg(name));
    m_defs.emplace_back(name, dataType, size, required, Count() + 1);
    return m_defs.back();
}

int TFieldDefs::IndexOf(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_defs[size_t(i)].Name().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const TFieldDef* TFieldDefs::FindDef(const QString& name) const
{
    const int index = IndexOf(name);
    return index < 0 ? nullptr : &m_defs[size_t(index)];
}

const TFieldDef& TFieldDefs::Find(const QString& name) const
{
    const TFieldDef* def = FindDef(name);
    if (!def)
        DatabaseError(QString::fromLatin1(DbMessages::FieldNotFound).arg(name));
    return *def;
}

QString TFieldDefs::UniqueName(const QString& name) const
{
    QString candidate = name;
    for (int n = 1; IndexOf(candidate) >= 0; ++n)
        candidate = name + QLatin1Char('_') + QString::number(n);
    return candidate;
}
