#include "app/shell/NewDB.h"

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

namespace {

// User names are kept upper-cased as they are typed.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

} // namespace

const QStringList& TNewDB::CharsetNames()
{
    static const QStringList names{
        QStringLiteral("ASCII"), QStringLiteral("BIG_5"), QStringLiteral("CYRL"), QStringLiteral("DOS437"),
        QStringLiteral("DOS850"), QStringLiteral("DOS852"), QStringLiteral("DOS857"), QStringLiteral("DOS860"),
        QStringLiteral("DOS861"), QStringLiteral("DOS863"), QStringLiteral("DOS865"), QStringLiteral("EUCJ_0208"),
        QStringLiteral("GB_2312"), QStringLiteral("ISO8859_1"), QStringLiteral("KSC_5601"), QStringLiteral("NEXT"),
        QStringLiteral("NONE"), QStringLiteral("OCTETS"), QStringLiteral("SJIS_0208"), QStringLiteral("UNICODE_FSS"),
        QStringLiteral("WIN1250"), QStringLiteral("WIN1251"), QStringLiteral("WIN1252"), QStringLiteral("WIN1253"),
        QStringLiteral("WIN1254"),
    };
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
    m_userName->setValidator(new UpperCaseValidator(m_userName));
    m_passwd->setObjectName(QStringLiteral("Passwd"));
    m_passwd->setEchoMode(QLineEdit::Password);
    m_remPasswd->setObjectName(QStringLiteral("RemPasswd"));
    m_charSet->setObjectName(QStringLiteral("CharSet"));
    m_charSet->addItems(CharsetNames());
    SelectCharset(QStringLiteral("NONE"));
    // The alias list of another program's engine is offered by a later command.
    m_selectBDE->setObjectName(QStringLiteral("SelectBDE"));
    m_selectBDE->setEnabled(false);
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
    const int index = CharsetNames().indexOf(name);
    m_charSet->setCurrentIndex(index >= 0 ? index : int(CharsetNames().indexOf(QStringLiteral("NONE"))));
}

QString TNewDB::Charset() const
{
    return m_charSet->currentText();
}

QString TNewDB::StoredPassword() const
{
    return m_remPasswd->isChecked() ? m_passwd->text() : QString();
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
