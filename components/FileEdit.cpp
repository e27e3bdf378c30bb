#include "components/FileEdit.h"

#include "components/CommandLine.h"
#include "components/EditGlyphs.h"
#include "components/FileUtil.h"
#include "platform/Dialogs.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

QStringList LocalFiles(const QMimeData* data)
{
    QStringList names;
    if (!data)
        return names;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            names << url.toLocalFile();
    return names;
}

} // namespace

QString QuoteFileName(const QString& name)
{
    if (name.contains(QLatin1Char(' ')) && !name.startsWith(QLatin1Char('"')))
        return QLatin1Char('"') + name + QLatin1Char('"');
    return name;
}

QString ClipFilename(const QString& text)
{
    if (!text.isEmpty() && QFileInfo::exists(text))
        return text;
    QString program;
    QString params;
    SplitCommandLine(text, program, params);
    return program;
}

QString NormalizeDefaultExt(const QString& ext)
{
    QString result = ext.trimmed();
    if (result.startsWith(QLatin1String("*.")))
        result.remove(0, 2);
    else if (result.startsWith(QLatin1Char('.')))
        result.remove(0, 1);
    return result;
}

// ---------------------------------------------------------------------------
// TFileDirEdit

TFileDirEdit::TFileDirEdit(QWidget* parent)
    : TCustomComboEdit(parent)
{
    SetGlyphKind(TGlyphKind::gkDefault);
    setAcceptDrops(false);
}

QImage TFileDirEdit::GetDefaultBitmap() const
{
    static const QImage glyph = FileEditGlyph();
    return glyph;
}

void TFileDirEdit::SetAcceptFiles(bool accept)
{
    m_acceptFiles = accept;
    setAcceptDrops(accept);
}

void TFileDirEdit::DoBeforeDialog(QString& fileName, bool& action)
{
    if (OnBeforeDialog)
        OnBeforeDialog(this, fileName, action);
}

void TFileDirEdit::DoAfterDialog(QString& fileName, bool& action)
{
    if (OnAfterDialog)
        OnAfterDialog(this, fileName, action);
}

void TFileDirEdit::DropFiles(const QStringList& names)
{
    if (!m_acceptFiles || names.isEmpty())
        return;
    ClearFileList();
    // Names are taken whole, however long.
    for (const QString& name : names) {
        ReceptFileDir(name);
        if (!m_multipleDirs)
            break;
    }
    if (OnDropFiles)
        qv::runGuarded([this] { OnDropFiles(this); });
}

void TFileDirEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_acceptFiles && !LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    TCustomComboEdit::dragEnterEvent(event);
}

void TFileDirEdit::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_acceptFiles && !LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    TCustomComboEdit::dragMoveEvent(event);
}

void TFileDirEdit::dropEvent(QDropEvent* event)
{
    const QStringList names = LocalFiles(event->mimeData());
    if (!m_acceptFiles || names.isEmpty()) {
        TCustomComboEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    qv::runGuarded([&] { DropFiles(names); });
}

// ---------------------------------------------------------------------------
// TFilenameEdit

TFilenameEdit::TFilenameEdit(QWidget* parent)
    : TFileDirEdit(parent)
{
}

QString TFilenameEdit::FileName() const
{
    return ClipFilename(text());
}

void TFilenameEdit::SetFileName(const QString& name)
{
    if (!name.isEmpty() && !IsValidFileName(ClipFilename(name)))
        throw EComboEditError(QStringLiteral("Invalid file name - %1").arg(name));
    setText(QuoteFileName(name));
    ClearFileList();
}

void TFilenameEdit::RestoreFileName(const QString& name) noexcept
{
    try {
        SetFileName(name);
    } catch (const EComboEditError&) {
        // A stored value someone edited by hand: the edit keeps its text.
    }
}

void TFilenameEdit::SetDialogOptions(TOpenOptions options)
{
    m_dialog.options = options;
    SetMultipleDirs(options & ofAllowMultiSelect);
    if (!(options & ofAllowMultiSelect))
        ClearFileList();
}

QString TFilenameEdit::GetLongName() const
{
    return ShortToLongName(FileName());
}

QString TFilenameEdit::GetShortName() const
{
    return LongToShortName(FileName());
}

void TFilenameEdit::ClearFileList()
{
    m_dialog.files.clear();
}

void TFilenameEdit::ReceptFileDir(const QString& fileName)
{
    if (MultipleDirs()) {
        if (m_dialog.files.isEmpty())
            setText(QuoteFileName(fileName));
        m_dialog.files << fileName;
    } else {
        SetFileName(fileName);
    }
}

void TFilenameEdit::ButtonClick()
{
    TFileDirEdit::ButtonClick();
    QString name = ClipFilename(text());
    bool action = true;
    DoBeforeDialog(name, action);
    if (!action)
        return;
    qv::FileDialogRequest request;
    request.kind = m_dialog.kind == TFileDialogKind::dkSave || m_dialog.kind == TFileDialogKind::dkSavePicture
        ? qv::FileDialogKind::Save
        : qv::FileDialogKind::Open;
    request.title = m_dialog.title;
    request.filter = m_dialog.filter;
    request.filterIndex = m_dialog.filterIndex;
    request.defaultExt = m_dialog.defaultExt;
    request.initialDir = m_dialog.initialDir;
    request.allowMultiSelect = m_dialog.options & ofAllowMultiSelect;
    request.overwritePrompt = m_dialog.options & ofOverwritePrompt;
    if (IsValidFileName(name)) {
        const QFileInfo info(name);
        if (DirectoryPresent(info.path()) && info.path() != QLatin1String("."))
            request.initialDir = info.path();
        request.fileName = IsValidFileName(info.fileName()) ? name : QString();
    }
    if (qv::runFileDialog(request)) {
        name = request.fileName;
        m_dialog.fileName = request.fileName;
        m_dialog.filterIndex = request.filterIndex;
        m_dialog.files = request.files;
    } else {
        action = false;
    }
    if (isEnabled() && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::OtherFocusReason);
    DoAfterDialog(name, action);
    if (action) {
        setText(QuoteFileName(name));
        setModified(true);
        m_dialog.initialDir = QFileInfo(name).path();
    }
}
