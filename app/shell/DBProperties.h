#pragma once

// "Database Properties": what the server tells about a connected database
// (file, pages, forced writes, sweep interval, versions, memory), read-only.

#include <QDialog>
#include <QString>

class QLineEdit;
class TQvDatabase;

// The dialog's texts, in the order it shows them.
struct TDBPropertyTexts
{
    QString DBPath;
    QString PageSize;
    QString PageAlloc;
    QString DBSize;
    QString FW;
    QString Sweep;
    QString DBVer;
    QString ODSVer;
    QString Ver;
    QString Buffers;
    QString Mem;
    QString MaxMem;
};

// Reads them from the connection's database information; errors are raised.
TDBPropertyTexts ReadDBProperties(TQvDatabase& database);
// Page size times pages in megabytes, two decimals: "1.50 Mb".
QString DatabaseSizeText(qint64 pageSize, qint64 pages);

class TDBProperties : public QDialog
{
    Q_OBJECT
public:
    // Fills the fields from the connection, which must be connected.
    explicit TDBProperties(TQvDatabase& database, QWidget* parent = nullptr);

    QLineEdit* Field(const char* name) const;

private:
    QLineEdit* AddField(const char* name);
};
