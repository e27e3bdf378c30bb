#pragma once

// Controls that show and edit one field of a data source's current record:
// a one-line edit, a memo and a picture. Typing puts the dataset into edit
// (when the data source allows); the typed value reaches the field when the
// control is left or the record is posted.

#include "platform/db/DataSource.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

class TQcDBEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TQcDBEdit(QWidget* parent = nullptr);
    ~TQcDBEdit() override;

    TDataSource* DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource* source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString& name) { m_link.SetFieldName(name); }
    TField* Field() const { return m_link.Field(); }

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowField();
    void Typed(const QString& text);

    TFieldDataLink m_link;
    bool m_showing = false;
};

class TQcDBMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TQcDBMemo(QWidget* parent = nullptr);
    ~TQcDBMemo() override;

    TDataSource* DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource* source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString& name) { m_link.SetFieldName(name); }
    TField* Field() const { return m_link.Field(); }

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowField();
    void Typed();

    TFieldDataLink m_link;
    bool m_showing = false;
};

// Shows a blob field's bytes as a picture when they are one; read only.
class TQcDBImage : public QLabel
{
    Q_OBJECT
public:
    explicit TQcDBImage(QWidget* parent = nullptr);
    ~TQcDBImage() override;

    TDataSource* DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource* source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString& name) { m_link.SetFieldName(name); }

private:
    void ShowField();

    TFieldDataLink m_link;
};
