#pragma once

// The register dialog: a database's description (its name in the tree),
// path, user, password and connection character set. Used to register a
// database and to edit a registration.

#include <QDialog>
#include <QStringList>
#include <QValidator>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// Keeps user names upper-cased as they are typed.
class TUpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

class TNewDB : public QDialog
{
    Q_OBJECT
public:
    explicit TNewDB(QWidget* parent = nullptr);

    // The character sets Firebird 3 knows, in list order.
    static const QStringList& CharsetNames();

    QLineEdit* DBName() const { return m_dbName; }
    QLineEdit* DBPath() const { return m_dbPath; }
    QLineEdit* UserName() const { return m_userName; }
    QLineEdit* Passwd() const { return m_passwd; }
    QCheckBox* RemPasswd() const { return m_remPasswd; }
    QComboBox* CharSet() const { return m_charSet; }
    QPushButton* SelectBDE() const { return m_selectBDE; }
    QPushButton* OkBtn() const { return m_okBtn; }

    // Selects the character set by name; a name the list lacks is added and
    // selected (a registration keeps what it stored), an empty one selects "NONE".
    void SelectCharset(const QString& name);
    QString Charset() const;
    // The password to keep: the typed one when "Remember password" is checked.
    QString StoredPassword() const;

    // "Select From BDE": a database path picked from the alias list.
    void SelectBDEClick();

private:
    void BrowseClick();

    QLineEdit* m_dbName;
    QLineEdit* m_dbPath;
    QLineEdit* m_userName;
    QLineEdit* m_passwd;
    QCheckBox* m_remPasswd;
    QComboBox* m_charSet;
    QPushButton* m_selectBDE;
    QPushButton* m_okBtn;
};
