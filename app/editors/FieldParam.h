#pragma once

// The table editor's column dialog: name, type (built-in or a domain), size
// or precision and scale, NULL, default, or an expression for a computed
// column. Placed over the grid row being edited; Up and Down close it too,
// so the user can walk the rows.

#include "app/editors/TableDDL.h"
#include "app/editors/TableCatalog.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class TCurrencyEdit;
class TQcSpinEdit;

// Which characters a default of the type lets through: 0 any, 1 those of an
// integer, 2 those of a decimal number.
int DefaultFilterOf(const QString& type, bool isDomain);

class TFieldParam : public QDialog
{
    Q_OBJECT
public:
    enum TExitKind { ekNone = 0, ekDown = 1, ekUp = 2, ekOk = 3, ekCancel = 4 };

    explicit TFieldParam(QWidget* parent = nullptr);

    // The types offered: built-in ones, then "--- DOMAINS: ---" and the domains.
    void SetTypes(const QStringList& builtIn, const std::vector<TDomainInfo>& domains);
    // The names of the other rows (as stored), for the duplicate check of a new column.
    void SetOtherNames(const QStringList& names) { m_otherNames = names; }
    // The SQL dialect of the database: what a typed name means.
    void SetDialect(int dialect) { m_dialect = dialect; }
    // Fills the dialog from a row (its name shown as it is typed).
    void LoadColumn(const TColumnDef& column);
    // The row as the dialog now holds it (description untouched), its name
    // the one the typed name stands for.
    TColumnDef Column(const TColumnDef& before) const;
    bool IsDomain(const QString& type) const;
    // RDB$FIELD_TYPE of a domain, 0 for a built-in type.
    int DomainType(const QString& type) const;

    // OK: refuses a name the one name rule refuses, and a new column named
    // as another row ("Duplicate Field Name !").
    void OkBtnClick();
    // Follows the type: the size page, the base type hint of a domain, the default filter.
    void TypeChanged();
    // Formula enabled only for a computed column, the other inputs only otherwise.
    void ComputedChanged();
    // Checks a typed default against the type; shows the message and answers false.
    bool CheckDefault();

    int ExitKind = ekNone;
    bool IsNewColumn = false;

    QLineEdit* FName;
    QComboBox* FType;
    QStackedWidget* SizePages;
    TCurrencyEdit* FSize;
    TQcSpinEdit* fPrecision;
    TQcSpinEdit* FScale;
    QCheckBox* FNull;
    QLineEdit* FDefault;
    QCheckBox* Computed;
    QLineEdit* Formula;
    QLabel* TypeHint;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Why the typed name cannot be taken (shown by the caller), or "".
    QString NameRefusal() const;

    int m_dialect = 3;
    int m_domainStart = -1;
    std::vector<TDomainInfo> m_domains;
    QStringList m_otherNames;
};
