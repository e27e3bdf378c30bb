#include "app/shell/NewDB.h"

#include "app/shell/BDEList.h"

#include "platform/Dialogs.h"
#include "platform/Help.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

QValidator::State TUpperCaseValidator::validate(QString& input, int&) const
{
    input = input.toUpper();
    return Acceptable;
}

const QStringList& TNewDB::CharsetNames()
{
    static const QStringList names = QStringLiteral(
        "ASCII BIG_5 CP943C CYRL DOS437 DOS737 DOS775 DOS850 DOS852 DOS857 DOS858 DOS860 DOS861 DOS862 DOS863 "
        "DOS864 DOS865 DOS866 DOS869 EUCJ_0208 GB18030 GBK GB_2312 ISO8859_1 ISO8859_13 ISO8859_2 ISO8859_3 "
        "ISO8859_4 ISO8859_5 ISO8859_6 ISO8859_7 ISO8859_8 ISO8859_9 KOI8R KOI8U KSC_5601 NEXT NONE OCTETS "
        "SJIS_0208 TIS620 UNICODE_FSS UTF8 WIN1250 WIN1251 WIN1252 WIN1253 WIN1254 WIN1255 WIN1256 WIN1257 "
        "WIN1258").split(QLatin1Char(' '));
    return names;
}

TNewDB::TNewDB(QWidget* parent)
    : QDialog(parent)
    , m_dbName(new QLineEdit(this))
    , m_dbPath(new QLineEdit(this))
    , m_userName(new QLineEdit(QStringLiteral("SYSDBA"), this))
    , m_passwd(new QLineEdit(this))
    , m_remPasswd(new QCheckBox(QStringLiteral("Remember password"), this))
    , m_charSet(new QComboBox(this))
    , m_selectBDE(new QPushButton(QStringLiteral("Select From BDE"), this))
    , m_okBtn(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("NewDB"));
    setWindowTitle(QStringLiteral("Register Database"));
    m_dbName->setObjectName(QStringLiteral("DBName"));
    m_dbName->setMaxLength(127);
    m_dbPath->setObjectName(QStringLiteral("DBPath"));
    m_userName->setObjectName(QStringLiteral("UserName"));
    m_userName->setValidator(new TUpperCaseValidator(m_userName));
    m_passwd->setObjectName(QStringLiteral("Passwd"));
    m_passwd->setEchoMode(QLineEdit::Password);
    m_remPasswd->setObjectName(QStringLiteral("RemPasswd"));
    m_charSet->setObjectName(QStringLiteral("CharSet"));
    m_charSet->addItems(CharsetNames());
    SelectCharset(QStringLiteral("NONE"));
    m_selectBDE->setObjectName(QStringLiteral("SelectBDE"));
    connect(m_selectBDE, &QPushButton::clicked, this, &TNewDB::SelectBDEClick);
    m_okBtn->setObjectName(QStringLiteral("OkBtn"));
    m_okBtn->setDefault(true);
    m_okBtn->setEnabled(false);

    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("DBPathButton"));
    browse->setText(QStringLiteral("..."));
    connect(browse, &QToolButton::clicked, this, &TNewDB::BrowseClick);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_dbPath);
    pathRow->addWidget(browse);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Database description:"), m_dbName);
    form->addRow(QStringLiteral("Database path:"), pathRow);
    form->addRow(QStringLiteral("User name:"), m_userName);
    form->addRow(QStringLiteral("Password:"), m_passwd);
    form->addRow(QString(), m_remPasswd);
    form->addRow(QStringLiteral("Use Charset:"), m_charSet);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_okBtn, QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addButton(QDialogButtonBox::Help)->setObjectName(QStringLiteral("HelpBtn"));
    buttons->addButton(m_selectBDE, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [] { qv::showHelpTopic(QStringLiteral("Working_with_databases")); });
    connect(m_dbName, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_okBtn->setEnabled(!text.isEmpty()); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(460);
}

void TNewDB::SelectCharset(const QString& name)
{
    const QString wanted = name.trimmed().isEmpty() ? QStringLiteral("NONE") : name.trimmed();
    int index = m_charSet->findText(wanted, Qt::MatchFixedString);
    if (index < 0) {
        m_charSet->addItem(wanted);
        index = m_charSet->count() - 1;
    }
    m_charSet->setCurrentIndex(index);
}

QString TNewDB::Charset() const
{
    return m_charSet->currentText();
}

QString TNewDB::StoredPassword() const
{
    return m_remPasswd->isChecked() ? m_passwd->text() : QString();
}

void TNewDB::SelectBDEClick()
{
    TBDEList picker(ReadInterBaseAliases(AliasFilePath()), this);
    if (qv::showModal(picker) != qv::mrOk)
        return;
    const TAlias alias = picker.SelectedAlias();
    if (alias.Name.isEmpty())
        return;
    m_dbName->setText(alias.Name);
    m_dbPath->setText(alias.Path);
}

void TNewDB::BrowseClick()
{
    qv::FileDialogRequest request;
    request.kind = qv::FileDialogKind::Open;
    request.title = QStringLiteral("File list");
    request.filter = QStringLiteral("IB Database files|*.GDB|All Files|*.*");
    request.fileName = m_dbPath->text();
    if (qv::runFileDialog(request))
        m_dbPath->setText(request.fileName);
}
