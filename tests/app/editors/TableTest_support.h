#pragma once

// Column definitions as the table editor's column dialog fills them.

#include "app/editors/TableDDL.h"

namespace qveditors {

inline TColumnDef column(const QString& name, const QString& type, const QString& size = {},
                         const QString& null = QStringLiteral("Yes"), const QString& defaultValue = {})
{
    TColumnDef def;
    def.Name = name;
    def.Type = type;
    def.Size = size;
    def.Null = null;
    def.Default = defaultValue;
    return def;
}

} // namespace qveditors
