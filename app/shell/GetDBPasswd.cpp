#include "app/shell/GetDBPasswd.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TGetDBPasswd* GetDBPasswd = nullptr;

TGetDBPasswd::TGetDBPasswd(QWidget* parent)
    : QDialog(parent)
    , m_passwd(new QLineEdit(this))
    , m_remPasswd(new QCheckBox(QStringLiteral("Remember Password"), this))
    , m_okBtn(new QPushButton(QStringLiteral("OK"), this))
    , m_cancelBtn(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("GetDBPasswd"));
    setWindowTitle(QStringLiteral("Enter database password"));
    m_passwd->setObjectName(QStringLiteral("Passwd"));
    m_passwd->setEchoMode(QLineEdit::Password);
    m_remPasswd->setObjectName(QStringLiteral("RemPasswd"));
    m_okBtn->setObjectName(QStringLiteral("OkBtn"));
    m_okBtn->setDefault(true);
    m_cancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Database password:"), m_passwd);
    form->addRow(QString(), m_remPasswd);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_okBtn, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancelBtn, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

void TGetDBPasswd::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_passwd->setFocus();
}
