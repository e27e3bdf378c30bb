#include "app/shell/AboutBox.h"

#include "app/shell/ShellImages.h"
#include "components/URLLabel.h"
#include "components/VersionInfo.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    ProgramIcon = new QLabel(panel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(TreeImageList().at(tiDatabase).pixmap(32, 32));
    ProgramIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    ProductName = new QLabel(QStringLiteral("Qorvane - Interbase SQL Utility"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont title = ProductName->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.2);
    ProductName->setFont(title);
    Version = new QLabel(QStringLiteral("Version - 1.0 (beta)"), panel);
    Version->setObjectName(QStringLiteral("Version"));
    Credits = new QLabel(QStringLiteral("A tool for the administration of Firebird databases and their\n"
                                        "objects, built on the Firebird client library and Qt."),
                         panel);
    Credits->setObjectName(QStringLiteral("Credits"));
    Contact = new QLabel(QStringLiteral("The database server and the toolkit:"), panel);
    Contact->setObjectName(QStringLiteral("Contact"));
    ServerLink = new TURLLabel(panel);
    ServerLink->setObjectName(QStringLiteral("ServerLink"));
    ServerLink->SetURL(QStringLiteral("https://www.firebirdsql.org/"));
    ToolkitLink = new TURLLabel(panel);
    ToolkitLink->setObjectName(QStringLiteral("ToolkitLink"));
    ToolkitLink->SetURL(QStringLiteral("https://www.qt.io/"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Version);
    texts->addSpacing(8);
    texts->addWidget(Credits);
    texts->addSpacing(8);
    texts->addWidget(Contact);
    texts->addWidget(ServerLink);
    texts->addWidget(ToolkitLink);
    texts->addStretch(1);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->addWidget(ProgramIcon, 0, Qt::AlignTop);
    panelLayout->addLayout(texts, 1);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TAboutBox::FormShow()
{
    const TVersionInfo info(QCoreApplication::applicationFilePath());
    if (!info.Valid())
        return;
    Version->setText(QStringLiteral("Version - ") + info.GetFileVersion() + QLatin1Char(' ') + info.GetComments());
}

void ShowAboutBox(QWidget* parent)
{
    TAboutBox box(parent);
    qv::showModal(box);
}
