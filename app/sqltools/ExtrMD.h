#pragma once

// The "Extract Metadata" dialog: the objects of a registered database in two
// lists, the user moving those to extract into the second; the extract mode
// and options; the run to a file or to the preview, with its progress window.

#include <QDialog>
#include <QTreeWidget>

#include "app/shell/CloseQuery.h"
#include "app/sqltools/ExtractRun.h"
#include "access/QvDatabase.h"

class QCheckBox;
class QComboBox;
class QProgressBar;
class QPushButton;
class TFilenameEdit;
class TFormStorage;

// One of the two object lists: accepts drags only from its partner.
class TExtractList : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TExtractList(QWidget* parent = nullptr);
    void SetPartner(TExtractList* partner) { m_partner = partner; }

signals:
    // Items of the partner were dropped here.
    void DroppedFromPartner();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    TExtractList* m_partner = nullptr;
};

class TExtrMD : public QDialog, public TCloseQuery
{
    Q_OBJECT
public:
    // For the database of a registration, which must be connected. An
    // object of that name, when listed, starts in the selected list.
    explicit TExtrMD(quint64 entryId, const QString& preselected = QString(), QWidget* parent = nullptr);
    ~TExtrMD() override;

    TExtractList* SrcList;
    TExtractList* DstList;
    QPushButton* IncludeBtn;
    QPushButton* IncAllBtn;
    QPushButton* ExcludeBtn;
    QPushButton* ExAllBtn;
    QComboBox* ExtrWhat;
    TFilenameEdit* Filename;
    QCheckBox* DropObj;
    QCheckBox* GenIndices;
    QCheckBox* GenPKFK;
    QCheckBox* UseConnect;
    QCheckBox* UsePasswd;
    QCheckBox* Allobjects;
    QCheckBox* ATable;
    QCheckBox* AView;
    QCheckBox* AStored;
    QCheckBox* ATrigger;
    QCheckBox* ADomain;
    QCheckBox* AGenerator;
    QCheckBox* AUDF;
    QCheckBox* AException;
    QCheckBox* APackage;
    QCheckBox* ACollation;
    QCheckBox* ARole;
    QPushButton* GenerateBtn;
    QPushButton* PreviewBtn;
    QPushButton* CancelBtn;
    TFormStorage* FormStorage1;

    void FormShow();
    void IncludeBtnClick();
    void ExcludeBtnClick();
    void IncAllBtnClick();
    void ExcAllBtnClick();
    void GenerateBtnClick();
    void PreviewBtnClick();
    // The option flags the controls say (without the preview flag).
    int Flags() const;
    // The selected list's objects, in its order.
    QList<TExtractItem> SelectedItems() const;
    // Not while an extraction runs.
    bool QueryClose() override { return !m_running; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Move(TExtractList* from, TExtractList* to, bool all);
    void MoveKind(int kind, bool include);
    void KindClicked(int kind, bool checked);
    void AllobjectsClicked(bool checked);
    void SetButtons();
    void Run(int flags);
    TQvDatabase* Database() const;

    quint64 m_entryId;
    QString m_preselected;
    bool m_running = false;
};

// The progress window of one run.
class TExtractForm : public QDialog
{
    Q_OBJECT
public:
    explicit TExtractForm(QWidget* parent = nullptr);

    QProgressBar* ProgressBar;
    // Whether the output file already existed when the run was asked for.
    bool FileExists = false;

    // Runs the extraction (see ExtractScript) and saves or previews the
    // text; server errors propagate with the work rolled back.
    void Extract(TQvDatabase& database, const TExtractHeader& header, const QList<TExtractItem>& items, int flags,
                 const QString& fileName);
};

// Opens the dialog modally for a registration's database, connecting it
// first as expanding its node does; an object of the given name starts
// selected. Nothing opens when the database cannot be connected.
void ExtractMetadataFor(quint64 entryId, const QString& objectName = QString());
// Makes ExtractMetadataFor the tree's and the main window's "Extract Metadata".
void InstallExtractMetadataCommand();
