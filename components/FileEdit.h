#pragma once

// The file-name edit: its button opens a file dialog, and it takes file
// names dropped on it while AcceptFiles is on. A name with a blank in it is
// shown between double quotes; FileName gives it without them.

#include "components/ComboEdit.h"

#include <QStringList>

enum class TFileDialogKind { dkOpen, dkSave, dkOpenPicture, dkSavePicture };
enum class TFileEditStyle { fsEdit, fsComboBox };

// The file dialog's options that mean something here.
enum TOpenOption : unsigned {
    ofReadOnly = 1u << 0,
    ofOverwritePrompt = 1u << 1,
    ofHideReadOnly = 1u << 2,
    ofAllowMultiSelect = 1u << 3,
    ofPathMustExist = 1u << 4,
    ofFileMustExist = 1u << 5,
};
using TOpenOptions = unsigned;

// The name shown in the edit: between double quotes when it holds a blank
// and does not already begin with one.
QString QuoteFileName(const QString& name);
// The name an edit text stands for: the text when such a file exists, else
// its first parameter read as a command line (which drops the quotes).
QString ClipFilename(const QString& text);
// A default extension as the dialog wants it: "*.sql" and ".sql" are "sql".
QString NormalizeDefaultExt(const QString& ext);

// What the edit's file dialog is asked; a new dialog kind keeps all of it.
struct TFileEditDialog
{
    TFileDialogKind kind = TFileDialogKind::dkOpen;
    QString title = QStringLiteral("Browse");
    QString filter = QStringLiteral("All files (*.*)|*.*");
    int filterIndex = 1;
    QString defaultExt;
    QString initialDir;
    QString fileName;
    QStringList historyList;
    QStringList files;
    TOpenOptions options = ofHideReadOnly;
    TFileEditStyle editStyle = TFileEditStyle::fsEdit;
};

class TFileDirEdit : public TCustomComboEdit
{
    Q_OBJECT
public:
    explicit TFileDirEdit(QWidget* parent = nullptr);

    bool AcceptFiles() const { return m_acceptFiles; }
    void SetAcceptFiles(bool accept);
    bool MultipleDirs() const { return m_multipleDirs; }

    // Sender, the name (which the handler may change), whether to go on.
    using TExecOpenDialogEvent = std::function<void(QObject* sender, QString& name, bool& action)>;
    qv::TNotifyEvent OnDropFiles;
    TExecOpenDialogEvent OnBeforeDialog;
    TExecOpenDialogEvent OnAfterDialog;

    // Receives the names of a drop, as a drop from the file manager does.
    void DropFiles(const QStringList& names);

protected:
    virtual QString GetLongName() const = 0;
    virtual QString GetShortName() const = 0;
    virtual void ReceptFileDir(const QString& fileName) = 0;
    virtual void ClearFileList() {}
    void DoBeforeDialog(QString& fileName, bool& action);
    void DoAfterDialog(QString& fileName, bool& action);
    void SetMultipleDirs(bool multiple) { m_multipleDirs = multiple; }
    QImage GetDefaultBitmap() const override;

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool m_acceptFiles = false;
    bool m_multipleDirs = false;
};

class TFilenameEdit : public TFileDirEdit
{
    Q_OBJECT
    // What the windows' stored properties save and restore.
    Q_PROPERTY(QString FileName READ FileName WRITE RestoreFileName)

public:
    explicit TFilenameEdit(QWidget* parent = nullptr);

    // The name without the quotes the edit shows it with.
    QString FileName() const;
    // Raises EComboEditError "Invalid file name - <name>" for a name that
    // cannot be a file's; the text is then unchanged.
    void SetFileName(const QString& name);
    QString LongName() const { return GetLongName(); }
    QString ShortName() const { return GetShortName(); }

    // SetFileName for a stored value: one that is no file name is left out.
    void RestoreFileName(const QString& name) noexcept;

    TFileEditDialog& Dialog() { return m_dialog; }
    const TFileEditDialog& Dialog() const { return m_dialog; }
    TFileDialogKind DialogKind() const { return m_dialog.kind; }
    void SetDialogKind(TFileDialogKind kind) { m_dialog.kind = kind; }
    QString DefaultExt() const { return m_dialog.defaultExt; }
    void SetDefaultExt(const QString& ext) { m_dialog.defaultExt = NormalizeDefaultExt(ext); }
    QString Filter() const { return m_dialog.filter; }
    void SetFilter(const QString& filter) { m_dialog.filter = filter; }
    int FilterIndex() const { return m_dialog.filterIndex; }
    void SetFilterIndex(int index) { m_dialog.filterIndex = index; }
    QString InitialDir() const { return m_dialog.initialDir; }
    void SetInitialDir(const QString& dir) { m_dialog.initialDir = dir; }
    QString DialogTitle() const { return m_dialog.title; }
    void SetDialogTitle(const QString& title) { m_dialog.title = title; }
    TOpenOptions DialogOptions() const { return m_dialog.options; }
    void SetDialogOptions(TOpenOptions options);

protected:
    void ButtonClick() override;
    QString GetLongName() const override;
    QString GetShortName() const override;
    void ReceptFileDir(const QString& fileName) override;
    void ClearFileList() override;

private:
    TFileEditDialog m_dialog;
};
