#pragma once

// Controls that show and edit one field of a data source's current record:
// a one-line edit, a memo and a picture. Typing puts the dataset into edit
// (when the data source allows); the typed value reaches the field when the
// control is left or the record is posted.

#include "platform/db/DataSource.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

// What every field control has: the DataSource and DataField properties and
// the link through which it hears of its field. The control sets the link's
// handlers; they are dropped before the link goes.
class TQcDBFieldControl
{
public:
    TDataSource* DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource* source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString& name) { m_link.SetFieldName(name); }
    TField* Field() const { return m_link.Field(); }

protected:
    TQcDBFieldControl() = default;
    ~TQcDBFieldControl();

    TFieldDataLink m_link;
};

class TQcDBEdit : public QLineEdit, public TQcDBFieldControl
{
    Q_OBJECT
public:
    explicit TQcDBEdit(QWidget* parent = nullptr);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowField();
    void Typed(const QString& text);

    bool m_showing = false;
};

class TQcDBMemo : public QPlainTextEdit, public TQcDBFieldControl
{
    Q_OBJECT
public:
    explicit TQcDBMemo(QWidget* parent = nullptr);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowField();
    void Typed();

    bool m_showing = false;
};

// Shows a blob field's bytes as a picture when they are one; read only.
class TQcDBImage : public QLabel, public TQcDBFieldControl
{
    Q_OBJECT
public:
    explicit TQcDBImage(QWidget* parent = nullptr);

private:
    void ShowField();
};
