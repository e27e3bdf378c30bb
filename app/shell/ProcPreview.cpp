#include "app/shell/ProcPreview.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "access/Qv.h"
#include "access/QvScriptCodec.h"
#include "app/shell/DataM.h"
#include "app/shell/Options.h"
#include "components/FormPlacement.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/Dialogs.h"

QPointer<TProcPreview> ProcPreview;

TProcPreview::TProcPreview(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("ProcPreview"));
    setWindowTitle(QStringLiteral("Generated procedure"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(560, 420);

    m_formStorage = new TFormStorage(this);
    m_formStorage->setObjectName(QStringLiteral("FormStorage1"));
    m_formStorage->SetIniFileName(kFormPlacementsKey);

    m_memo = new TqeCustomEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo"));
    m_memo->SetReadOnly(true);
    m_memo->SetColor(Qt::white);
    m_memo->SetScrollBars(ssVertical);
    m_memo->SetScrollPastEOL(false);
    m_memo->SetMaxUndo(50);
    if (DM)
        m_memo->SetHighLighter(DM->Syntax());
    m_memo->installEventFilter(this);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    m_okBtn = new QPushButton(QStringLiteral("OK"), panel);
    m_okBtn->setObjectName(QStringLiteral("OkBtn"));
    m_okBtn->setDefault(true);
    m_wordWrap = new QCheckBox(QStringLiteral("Word Wrap"), panel);
    m_wordWrap->setObjectName(QStringLiteral("WordWrap"));
    m_wordWrap->setChecked(true);
    m_wordWrap->hide();
    m_saveAs = new QPushButton(QStringLiteral("Save As..."), panel);
    m_saveAs->setObjectName(QStringLiteral("SaveAs"));

    auto* buttons = new QHBoxLayout(panel);
    buttons->addWidget(m_wordWrap);
    buttons->addStretch(1);
    buttons->addWidget(m_saveAs);
    buttons->addWidget(m_okBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_memo, 1);
    layout->addWidget(panel);

    connect(m_okBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_saveAs, &QPushButton::clicked, this, &TProcPreview::SaveAsClick);
    connect(m_wordWrap, &QCheckBox::clicked, this, &TProcPreview::WordWrapClick);
}

TProcPreview::~TProcPreview() = default;

void TProcPreview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TProcPreview::FormShow()
{
    ApplyEditorOptions(m_memo, qobject_cast<TqeGeneralSyn*>(m_memo->HighLighter()));
    m_memo->setFocus();
}

bool TProcPreview::FormKeyDown(int key)
{
    if (key != Qt::Key_Escape)
        return false;
    close();
    return true;
}

bool TProcPreview::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees the keys before its editor does.
    if (watched == m_memo && event->type() == QEvent::KeyPress)
        return FormKeyDown(static_cast<QKeyEvent*>(event)->key());
    return QDialog::eventFilter(watched, event);
}

void TProcPreview::SaveAsClick()
{
    qv::FileDialogRequest request;
    request.kind = qv::FileDialogKind::Save;
    request.defaultExt = QStringLiteral("sql");
    request.filter = QStringLiteral("Script Files (*.sql)|*.sql|All Files (*.*)|*.*");
    request.overwritePrompt = true;
    if (!qv::runFileDialog(request))
        return;
    // In the character set the text's SET NAMES names, as a script runner
    // reads it back; a text that set cannot carry is not saved at all.
    QByteArray text;
    try {
        text = QvScriptCodec::Encode(m_memo->Text());
    } catch (const EQvError& error) {
        qv::showException(error.Message());
        return;
    }
    // Written whole or not at all: a failed save leaves an older file intact.
    QSaveFile file(request.fileName);
    if (!file.open(QIODevice::WriteOnly)
        || (m_holdsPassword && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        || file.write(text) != text.size() || !file.commit()) {
        qv::showException(QStringLiteral("Cannot create file %1").arg(request.fileName));
        return;
    }
}

void TProcPreview::WordWrapClick()
{
    m_memo->SetScrollBars(m_wordWrap->isChecked() ? ssVertical : ssBoth);
    m_memo->setFocus();
}
