#include "app/shell/DBProperties.h"

#include "access/QvDatabase.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDBPropertyTexts ReadDBProperties(TQvDatabase& database)
{
    TDBPropertyTexts texts;
    const qint64 pageSize = database.PageSize();
    const qint64 pages = database.Allocation();
    texts.DBPath = database.DBFileName();
    texts.PageSize = QString::number(pageSize);
    texts.PageAlloc = QString::number(pages);
    texts.DBSize = DatabaseSizeText(pageSize, pages);
    texts.FW = database.ForcedWrites() == 1 ? QStringLiteral("ON") : QStringLiteral("OFF");
    texts.Sweep = QString::number(database.SweepInterval());
    texts.DBVer = QString::number(database.BaseLevel());
    texts.ODSVer = QString::number(database.ODSMajorVersion()) + QLatin1Char('.')
        + QString::number(database.ODSMinorVersion());
    texts.Ver = database.Version();
    texts.Buffers = QString::number(database.NumBuffers());
    texts.Mem = QString::number(database.CurrentMemory());
    texts.MaxMem = QString::number(database.MaxMemory());
    return texts;
}

QString DatabaseSizeText(qint64 pageSize, qint64 pages)
{
    const double megabytes = double(pageSize) * double(pages) / 1048576.0;
    return QString::asprintf("%15.2f Mb", megabytes).trimmed();
}

TDBProperties::TDBProperties(TQvDatabase& database, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DBProperties"));
    setWindowTitle(QStringLiteral("Database Properties"));

    auto* form = new QFormLayout;
    const struct
    {
        const char* name;
        const char* label;
    } fields[] = {
        {"DBPath", "Database path:"},   {"PageSize", "Page Size:"},   {"PageAlloc", "Page Allocation:"},
        {"DBSize", "Database size:"},   {"FW", "Forced Writes:"},     {"Sweep", "Sweep Interval:"},
        {"DBVer", "Base Level:"},       {"ODSVer", "ODS Version:"},   {"Ver", "Version:"},
    };
    for (const auto& field : fields)
        form->addRow(QString::fromLatin1(field.label), AddField(field.name));

    auto* memory = new QGroupBox(QStringLiteral("Server Memory Usage:"), this);
    auto* memoryForm = new QFormLayout(memory);
    memoryForm->addRow(QStringLiteral("Number of buffers:"), AddField("Buffers"));
    memoryForm->addRow(QStringLiteral("Current memory:"), AddField("Mem"));
    memoryForm->addRow(QStringLiteral("Max memory:"), AddField("MaxMem"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(memory);
    layout->addWidget(buttons);
    setMinimumWidth(420);

    const TDBPropertyTexts texts = ReadDBProperties(database);
    const std::pair<const char*, const QString*> values[] = {
        {"DBPath", &texts.DBPath}, {"PageSize", &texts.PageSize}, {"PageAlloc", &texts.PageAlloc},
        {"DBSize", &texts.DBSize}, {"FW", &texts.FW},             {"Sweep", &texts.Sweep},
        {"DBVer", &texts.DBVer},   {"ODSVer", &texts.ODSVer},     {"Ver", &texts.Ver},
        {"Buffers", &texts.Buffers}, {"Mem", &texts.Mem},         {"MaxMem", &texts.MaxMem},
    };
    for (const auto& [name, value] : values) {
        QLineEdit* edit = Field(name);
        edit->setText(*value);
        edit->setCursorPosition(0);
    }
    Field("DBPath")->setToolTip(texts.DBPath);
}

QLineEdit* TDBProperties::AddField(const char* name)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    return edit;
}

QLineEdit* TDBProperties::Field(const char* name) const
{
    return findChild<QLineEdit*>(QString::fromLatin1(name));
}
