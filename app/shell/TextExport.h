#pragma once

// "Save to File": a result set written as semicolon-separated text, one
// line per record (no header), CR LF line ends, UTF-8. A blob or memo field
// is written as "(Blob)"; a value holding ";", a double quote or a line
// break is put between double quotes with its double quotes doubled.

#include <QString>

class QWidget;
class TDataSet;

// A window whose result can be saved: the SQL editor, the data view.
class TResultWindow
{
public:
    virtual ~TResultWindow() = default;
    // The result shown, or none while there is nothing to save.
    virtual TDataSet* ResultDataSet() const = 0;

protected:
    // The main window's Save to File command, on while this window has a
    // result to save.
    static void EnableSaveToFile(bool enabled);
};

// One value as it stands in a line.
QString ExportValue(const QString& value);
// The active record as one line, without its line end.
QString ExportLine(const TDataSet& dataSet);
// Whether a file name asks for the table format this program does not write.
bool IsDbfFileName(const QString& fileName);

// Writes every record of an open dataset to the file, whole or not at all.
// The dataset's controls, its position and the cursor are restored on
// every path; a failure raises.
void ExportDataSet(TDataSet& dataSet, const QString& fileName);

// The command: the save dialog, then the export; failures are shown.
void SaveResultToFile(TDataSet& dataSet);
