#include "app/shell/BDEList.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

QString AliasFilePath()
{
    const QString own = qEnvironmentVariable("QORVANE_ALIASES");
    if (!own.isEmpty())
        return own;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(config).filePath(QStringLiteral("Qyl/Qorvane/aliases.cfg"));
}

TAliases ParseInterBaseAliases(const QString& text)
{
    struct Section
    {
        QString name;
        QString driver;
        QString path;
        bool hasPath = false;
    };
    std::vector<Section> sections;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            sections.push_back({line.mid(1, line.size() - 2).trimmed(), {}, {}, false});
            continue;
        }
        if (sections.empty())
            continue;
        Section& section = sections.back();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (key.compare(QLatin1String("DRIVER NAME"), Qt::CaseInsensitive) == 0)
            section.driver = line.mid(equals + 1).trimmed();
        if (!section.hasPath && line.contains(QLatin1String("SERVER NAME"))) {
            section.path = line.mid(equals + 1).left(255);
            section.hasPath = true;
        }
    }
    TAliases aliases;
    for (const Section& section : sections)
        if (section.driver == QLatin1String("INTRBASE"))
            aliases.push_back({section.name, section.path});
    std::stable_sort(aliases.begin(), aliases.end(), [](const TAlias& a, const TAlias& b) {
        return a.Name.compare(b.Name, Qt::CaseInsensitive) < 0;
    });
    return aliases;
}

TAliases ReadInterBaseAliases(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParseInterBaseAliases(QString::fromUtf8(file.readAll()));
}

TBDEList::TBDEList(const TAliases& aliases, QWidget* parent)
    : QDialog(parent)
    , m_list(new QTableWidget(int(aliases.size()), 2, this))
{
    setObjectName(QStringLiteral("BDEList"));
    setWindowTitle(QStringLiteral("BDE Aliases"));
    auto* label = new QLabel(QStringLiteral("BDE Alias List:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_list->setObjectName(QStringLiteral("AList"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("Alias Name"), QStringLiteral("Database Path")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->setColumnWidth(0, 95);
    m_list->setColumnWidth(1, 365);
    for (int row = 0; row < int(aliases.size()); ++row) {
        m_list->setItem(row, 0, new QTableWidgetItem(aliases[row].Name));
        m_list->setItem(row, 1, new QTableWidgetItem(aliases[row].Path));
    }
    if (!aliases.empty())
        m_list->selectRow(0);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(500, 300);
}

TAlias TBDEList::SelectedAlias() const
{
    const int row = m_list->currentRow();
    if (row < 0 || !m_list->item(row, 0))
        return {};
    return {m_list->item(row, 0)->text(), m_list->item(row, 1)->text()};
}
