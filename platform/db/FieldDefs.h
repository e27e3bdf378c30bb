#pragma once

#include "platform/db/DbTypes.h"

#include <QString>
#include <vector>

// The description of one column a dataset offers: what a field bound to it
// must look like.
class TFieldDef
{
public:
    TFieldDef(const QString& name, TFieldType dataType, int size, bool required, int fieldNo);

    QString Name() const { return m_name; }
    TFieldType DataType() const { return m_dataType; }
    int Size() const { return m_size; }
    bool Required() const { return m_required; }
    // 1-based position in the dataset's definitions.
    int FieldNo() const { return m_fieldNo; }

private:
    QString m_name;
    TFieldType m_dataType;
    int m_size;
    bool m_required;
    int m_fieldNo;
};

// The column definitions of a dataset, in column order. Names compare
// without regard to case.
class TFieldDefs
{
public:
    const TFieldDef& Add(const QString& name, TFieldType dataType, int size = 0, bool required = false);
    void Clear() { m_defs.clear(); }

    int Count() const { return int(m_defs.size()); }
    const TFieldDef& operator[](int index) const { return m_defs.at(size_t(index)); }
    int IndexOf(const QString& name) const;
    const TFieldDef* FindDef(const QString& name) const;
    // As FindDef, but a missing name is an error.
    const TFieldDef& Find(const QString& name) const;
    // name itself when free, else name_1, name_2, ...: a select may return
    // two columns of one name, and each needs a definition of its own.
    QString UniqueName(const QString& name) const;

    auto begin() const { return m_defs.begin(); }
    auto end() const { return m_defs.end(); }

private:
    std::vector<TFieldDef> m_defs;
};
