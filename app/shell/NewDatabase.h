#pragma once

// "Create database": makes a new database file through the server and
// registers it. A failure keeps the dialog open with everything typed.

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPushButton;

// The page sizes offered, the first the default.
const QStringList& PageSizeNames();

// The option lines of the CREATE DATABASE statement: user and password,
// the page size and, unless it is NONE, the default character set. The
// typed texts go in single quotes with their quotes doubled.
QStringList CreateDatabaseOptions(const QString& user, const QString& password, const QString& pageSize,
                                  const QString& charset);

class TNewDatabase : public QDialog
{
    Q_OBJECT
public:
    explicit TNewDatabase(QWidget* parent = nullptr);

    QLineEdit* DBName() const { return m_dbName; }
    QLineEdit* DBPath() const { return m_dbPath; }
    QComboBox* Pagesize() const { return m_pageSize; }
    QComboBox* CharSet() const { return m_charSet; }
    QLineEdit* UserName() const { return m_userName; }
    QLineEdit* Passwd() const { return m_passwd; }
    QPushButton* CreateBtn() const { return m_createBtn; }

    // "Create": creates and registers the database and closes the dialog;
    // on an error shows it and stays open. True when created.
    bool CreateBtnClick();
    // The registration made by the last successful create (TDBList::GetId), else 0.
    quint64 CreatedEntry() const { return m_created; }

private:
    QLineEdit* m_dbName;
    QLineEdit* m_dbPath;
    QComboBox* m_pageSize;
    QComboBox* m_charSet;
    QLineEdit* m_userName;
    QLineEdit* m_passwd;
    QPushButton* m_createBtn;
    quint64 m_created = 0;
};
