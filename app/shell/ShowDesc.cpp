#include "app/shell/ShowDesc.h"

#include "components/FormPlacement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

TShowDesc* ShowDesc = nullptr;

TShowDesc::TShowDesc(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_descr(new QLabel(this))
    , m_placement(new TFormPlacement(this))
{
    setObjectName(QStringLiteral("ShowDesc"));
    setWindowTitle(QStringLiteral("Database object Description"));
    m_descr->setObjectName(QStringLiteral("Descr"));
    m_descr->setWordWrap(true);
    m_descr->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_descr->setMargin(4);
    m_descr->setAutoFillBackground(true);
    QPalette palette = m_descr->palette();
    palette.setColor(QPalette::Window, Qt::white);
    m_descr->setPalette(palette);
    m_placement->setObjectName(QStringLiteral("FormPlacement1"));
    m_placement->SetIniFileName(kFormPlacementsKey);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_descr);
    resize(300, 120);
}

void TShowDesc::closeEvent(QCloseEvent* event)
{
    if (KeepOpen && KeepOpen()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
