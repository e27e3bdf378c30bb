#include "components/DataSetUtils.h"

#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <QList>

namespace {

bool TextMatches(QString value, QString key, TLocateOptions options)
{
    if (options.testFlag(loPartialKey))
        value.truncate(key.size());
    if (options.testFlag(loCaseInsensitive)) {
        value = value.toLower();
        key = key.toLower();
    }
    return QString::localeAwareCompare(value, key) == 0;
}

bool FieldMatches(const TField& field, const QVariant& key, TLocateOptions options)
{
    if (field.DataType() != ftString)
        return field.MatchesKey(key, {});
    if (!key.isValid())
        return field.IsNull();
    return TextMatches(field.AsString(), key.toString(), options);
}

bool RecordMatches(const QList<TField*>& fields, const QVariantList& keys, TLocateOptions options)
{
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (!FieldMatches(*fields[i], keys[i], options))
            return false;
    return true;
}

// While the scan steps: the controls stay quiet, and whatever ends the scan
// early puts the dataset back where it was.
class ScanScope
{
public:
    explicit ScanScope(TDataSet& dataSet)
        : m_dataSet(dataSet)
    {
        m_dataSet.DisableControls();
        m_bookmark = m_dataSet.GetBookmark();
    }

    ~ScanScope()
    {
        if (m_finished)
            return;
        try {
            RestorePosition();
        } catch (...) {
            // The scan's own error is the one to report.
        }
        try {
            m_dataSet.EnableControls();
        } catch (...) {
        }
    }

    ScanScope(const ScanScope&) = delete;
    ScanScope& operator=(const ScanScope&) = delete;

    void Finish(bool found)
    {
        m_finished = true;
        if (!found) {
            try {
                RestorePosition();
            } catch (...) {
                m_dataSet.EnableControls();
                throw;
            }
        }
        m_dataSet.EnableControls();
    }

private:
    void RestorePosition()
    {
        if (!m_bookmark.isEmpty() && m_dataSet.BookmarkValid(m_bookmark))
            m_dataSet.GotoBookmark(m_bookmark);
    }

    TDataSet& m_dataSet;
    TBookmark m_bookmark;
    bool m_finished = false;
};

} // namespace

bool DataSetLocateScan(TDataSet& dataSet, const QString& keyFields, const QVariant& keyValues,
                       TLocateOptions options)
{
    dataSet.CheckBrowseMode();
    if (dataSet.Bof() && dataSet.Eof())
        return false;
    const QList<TField*> fields = dataSet.GetFieldList(keyFields);
    QVariantList keys;
    if (keyValues.typeId() == QMetaType::QVariantList && !(fields.size() == 1 && keyValues.toList().size() != 1))
        keys = keyValues.toList();
    else
        keys.append(keyValues);
    if (fields.isEmpty() || keys.size() != fields.size())
        DatabaseError(QString::fromLatin1(DbMessages::KeyValueCount).arg(fields.size()).arg(keys.size()));

    if (RecordMatches(fields, keys, options))
        return true;

    ScanScope scope(dataSet);
    bool found = false;
    dataSet.First();
    while (!dataSet.Eof()) {
        if (RecordMatches(fields, keys, options)) {
            found = true;
            break;
        }
        dataSet.Next();
    }
    scope.Finish(found);
    return found;
}

bool DataSetEmpty(const TDataSet* dataSet)
{
    return !dataSet || !dataSet->Active() || (dataSet->Bof() && dataSet->Eof());
}
