#include "app/shell/NewDatabase.h"

#include "access/QvDatabase.h"
#include "access/QvSqlText.h"
#include "app/shell/DBListObject.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/NewDB.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

const QStringList& PageSizeNames()
{
    // Firebird 3 accepts no smaller pages.
    static const QStringList names{QStringLiteral("4096"), QStringLiteral("8192"), QStringLiteral("16384")};
    return names;
}

QStringList CreateDatabaseOptions(const QString& user, const QString& password, const QString& pageSize,
                                  const QString& charset)
{
    QStringList lines{QStringLiteral("USER ") + QvSql::SingleQuoted(user) + QStringLiteral(" PASSWORD ")
                          + QvSql::SingleQuoted(password) + QLatin1Char(' '),
                      QStringLiteral("PAGE_SIZE ") + pageSize};
    if (charset != QLatin1String("NONE"))
        lines << QStringLiteral(" DEFAULT CHARACTER SET ") + charset;
    return lines;
}

TNewDatabase::TNewDatabase(QWidget* parent)
    : QDialog(parent)
    , m_dbName(new QLineEdit(this))
    , m_dbPath(new QLineEdit(this))
    , m_pageSize(new QComboBox(this))
    , m_charSet(new QComboBox(this))
    , m_userName(new QLineEdit(QStringLiteral("SYSDBA"), this))
    , m_passwd(new QLineEdit(this))
    , m_createBtn(new QPushButton(QStringLiteral("Create"), this))
{
    setObjectName(QStringLiteral("NewDatabase"));
    setWindowTitle(QStringLiteral("Create database"));
    m_dbName->setObjectName(QStringLiteral("DBName"));
    m_dbName->setMaxLength(127);
    m_dbPath->setObjectName(QStringLiteral("DBPath"));
    m_pageSize->setObjectName(QStringLiteral("Pagesize"));
    m_pageSize->addItems(PageSizeNames());
    m_pageSize->setCurrentIndex(0);
    m_charSet->setObjectName(QStringLiteral("CharSet"));
    m_charSet->addItems(TNewDB::CharsetNames());
    m_charSet->setCurrentIndex(int(TNewDB::CharsetNames().indexOf(QStringLiteral("NONE"))));
    m_userName->setObjectName(QStringLiteral("UserName"));
    m_userName->setValidator(new TUpperCaseValidator(m_userName));
    m_passwd->setObjectName(QStringLiteral("Passwd"));
    m_passwd->setEchoMode(QLineEdit::Password);
    m_createBtn->setObjectName(QStringLiteral("CreateBtn"));
    m_createBtn->setDefault(true);
    m_createBtn->setEnabled(false);

    auto* top = new QFormLayout;
    top->addRow(QStringLiteral("Database Description:"), m_dbName);
    top->addRow(QStringLiteral("Database Path:"), m_dbPath);

    auto* options = new QGroupBox(QStringLiteral("Database Options:"), this);
    auto* optionsForm = new QFormLayout(options);
    optionsForm->addRow(QStringLiteral("Page size:"), m_pageSize);
    optionsForm->addRow(QStringLiteral("Charset:"), m_charSet);

    auto* user = new QGroupBox(QStringLiteral("User Information:"), this);
    auto* userForm = new QFormLayout(user);
    userForm->addRow(QStringLiteral("User Name:"), m_userName);
    userForm->addRow(QStringLiteral("Password:"), m_passwd);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_createBtn, QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addButton(QDialogButtonBox::Help)->setObjectName(QStringLiteral("HelpBtn"));
    connect(m_createBtn, &QPushButton::clicked, this, [this] { CreateBtnClick(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [] { qv::showHelpTopic(QStringLiteral("Working_with_databases")); });
    connect(m_dbName, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_createBtn->setEnabled(!text.isEmpty()); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(options);
    layout->addWidget(user);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

bool TNewDatabase::CreateBtnClick()
{
    if (!DBList)
        return false;
    const QString path = m_dbPath->text();
    const QString description = m_dbName->text().isEmpty() ? path : m_dbName->text();
    const QString user = m_userName->text();
    const QString password = m_passwd->text();
    const QString charset = m_charSet->currentText();

    const TDBListUpdate update(*DBList);
    // The name is checked before the file exists, so a refused name leaves nothing behind.
    int index = -1;
    try {
        index = DBList->Add(description);
    } catch (const EDBListError& error) {
        qv::showMessage(error.message());
        return false;
    }
    const quint64 id = DBList->GetId(index);
    try {
        TQvDatabase database;
        database.SetDBName(path);
        database.SetDBParams(CreateDatabaseOptions(user, password, m_pageSize->currentText(), charset));
        database.CreateDatabase();
        try {
            database.Close();
        } catch (const std::exception&) {
            // The file exists and is registered; the connection goes with the object.
        }
    } catch (const std::exception& error) {
        DBList->Delete(DBList->IndexOfId(id));
        const auto* qvError = dynamic_cast<const EQvError*>(&error);
        qv::showMessage(qvError ? qvError->Message() : QString::fromUtf8(error.what()));
        setResult(0);
        return false;
    }
    index = DBList->IndexOfId(id);
    DBList->SetPath(index, path);
    DBList->SetUser(index, user);
    DBList->SetPassword(index, password);
    DBList->SetCharset(index, charset);
    if (MainTree)
        MainTree->AddDatabaseNode(index);
    m_created = id;
    accept();
    return true;
}
