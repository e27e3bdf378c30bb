#include "app/shell/TextExport.h"

#include "app/shell/Main.h"
#include "platform/Dialogs.h"
#include "platform/WaitCursor.h"
#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString kBlob = QStringLiteral("(Blob)");
const QString kLineEnd = QStringLiteral("\r\n");

// Controls off and the position remembered while alive; both back at the end.
class ExportScope
{
public:
    explicit ExportScope(TDataSet& dataSet) : m_dataSet(dataSet)
    {
        m_dataSet.DisableControls();
        m_bookmark = m_dataSet.GetBookmark();
    }
    ~ExportScope()
    {
        try {
            if (!m_bookmark.isEmpty() && m_dataSet.Active() && m_dataSet.BookmarkValid(m_bookmark))
                m_dataSet.GotoBookmark(m_bookmark);
        } catch (const std::exception& error) {
            qWarning("Save to File: returning to the record: %s", error.what());
        }
        m_dataSet.EnableControls();
    }
    ExportScope(const ExportScope&) = delete;
    ExportScope& operator=(const ExportScope&) = delete;

private:
    TDataSet& m_dataSet;
    TBookmark m_bookmark;
};

} // namespace

QString ExportValue(const QString& value)
{
    const bool quoted = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"'))
        || value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'));
    if (!quoted)
        return value;
    QString doubled = value;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QString ExportLine(const TDataSet& dataSet)
{
    QString line;
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        if (i > 0)
            line += QLatin1Char(';');
        const TField& field = dataSet.Fields(i);
        line += field.IsBlob() ? kBlob : ExportValue(field.AsString());
    }
    return line;
}

bool IsDbfFileName(const QString& fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0;
}

void ExportDataSet(TDataSet& dataSet, const QString& fileName)
{
    // Written whole or not at all: a failure leaves an older file as it was.
    QSaveFile file(fileName);
    const auto cannotWrite = [&] { return EDatabaseError(QStringLiteral("Cannot create file %1").arg(fileName)); };
    if (!file.open(QIODevice::WriteOnly))
        throw cannotWrite();
    {
        const ExportScope scope(dataSet);
        const qv::WaitCursor wait;
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
            const QByteArray line = (ExportLine(dataSet) + kLineEnd).toUtf8();
            if (file.write(line) != line.size())
                throw cannotWrite();
        }
    }
    if (!file.commit())
        throw cannotWrite();
}

void SaveResultToFile(TDataSet& dataSet)
{
    if (!dataSet.Active())
        return;
    qv::FileDialogRequest request;
    request.kind = qv::FileDialogKind::Save;
    request.title = QStringLiteral("Save To File");
    request.filter = QStringLiteral("CSV files (*.csv)|*.csv|All files (*.*)|*.*");
    request.defaultExt = QStringLiteral("csv");
    request.overwritePrompt = true;
    if (!qv::runFileDialog(request))
        return;
    if (IsDbfFileName(request.fileName)) {
        qv::messageDlg(QStringLiteral("Files of the .dbf format cannot be written. The result was not saved; "
                                      "choose a name with another extension."),
                       qv::mtWarning, qv::mbOK);
        return;
    }
    try {
        ExportDataSet(dataSet, request.fileName);
    } catch (const std::exception& error) {
        qv::showException(ErrorText(error));
    }
}

void TResultWindow::EnableSaveToFile(bool enabled)
{
    if (MainForm && MainForm->SavetoFile)
        MainForm->SavetoFile->setEnabled(enabled);
}
