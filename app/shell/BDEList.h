#pragma once

// The alias picker of the register dialog: named database paths from the
// alias file (aliases.cfg in the user's configuration folder, or the file
// QORVANE_ALIASES names). Each alias is a section with "DRIVER NAME" and
// "SERVER NAME" lines; only aliases of the "INTRBASE" driver are offered.

#include <QDialog>
#include <QString>

#include <vector>

class QTableWidget;

struct TAlias
{
    QString Name;
    QString Path;
};
using TAliases = std::vector<TAlias>;

// Where the alias file is looked for.
QString AliasFilePath();
// The InterBase aliases of an alias file's text, sorted by name. The path is
// the text after the first "=" (at most 255 characters) of the alias's first
// line that contains "SERVER NAME".
TAliases ParseInterBaseAliases(const QString& text);
// The same read from a file; none when it is missing or unreadable.
TAliases ReadInterBaseAliases(const QString& fileName);

class TBDEList : public QDialog
{
    Q_OBJECT
public:
    explicit TBDEList(const TAliases& aliases, QWidget* parent = nullptr);

    QTableWidget* AList() const { return m_list; }
    // The selected row's alias, or an empty one.
    TAlias SelectedAlias() const;

private:
    QTableWidget* m_list;
};
