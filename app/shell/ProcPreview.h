#pragma once

// The modal, read-only window in which every generated text is shown: object
// DDL, the editors' generated texts and extracted scripts. Callers create it,
// put the text into Memo, set the caption, show it modally and free it.

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QPushButton;
class TFormStorage;
class TqeCustomEdit;

class TProcPreview : public QDialog
{
    Q_OBJECT
public:
    explicit TProcPreview(QWidget* owner = nullptr);
    ~TProcPreview() override;

    TqeCustomEdit* Memo() const { return m_memo; }
    QPushButton* OkBtn() const { return m_okBtn; }
    QCheckBox* WordWrap() const { return m_wordWrap; }
    QPushButton* SaveAs() const { return m_saveAs; }
    TFormStorage* FormStorage1() const { return m_formStorage; }

    void FormShow();
    // Esc closes the window; true when the key was taken.
    bool FormKeyDown(int key);
    // Asks for a file name and writes the text there with CR LF line ends,
    // in the character set its SET NAMES names; nothing is written when the
    // dialog is cancelled or that set cannot carry the text.
    void SaveAsClick();
    // The text holds a password: a saved copy is readable by its owner alone.
    void SetHoldsPassword(bool holds) { m_holdsPassword = holds; }
    void WordWrapClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TqeCustomEdit* m_memo;
    QPushButton* m_okBtn;
    QCheckBox* m_wordWrap;
    QPushButton* m_saveAs;
    TFormStorage* m_formStorage;
    bool m_holdsPassword = false;
};

// The window while a caller uses it.
extern QPointer<TProcPreview> ProcPreview;
