#pragma once

// The options dialog: fonts and tab width, editor colours with a live
// example, description and tree settings. It works on its own copy of the
// options, read from the registry when shown; OK writes that copy back and
// reloads the options everywhere, Cancel writes nothing.

#include <QDialog>

#include "app/shell/Options.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class TColorGrid;
class TCurrencyEdit;
class TqeCustomEdit;
class TqeGeneralSyn;

// A slot after the colour grid changed: each side with a marker takes that
// cell's colour, a side without one keeps the colour it had (a colour that
// is none of the 16 is never replaced by a guess).
TEditorColorSlot WithGridColors(TEditorColorSlot slot, int foregroundIndex, int backgroundIndex);
// A slot with one style bit set or cleared.
TEditorColorSlot WithStyleBit(TEditorColorSlot slot, std::uint8_t bit, bool on);

class TOptionsDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TOptionsDlg(QWidget* parent = nullptr);
    ~TOptionsDlg() override;

    static const QStringList& ElementNames();
    static const QStringList& ExampleLines();

    // Reads the options into the controls and the working colour record.
    void FormShow();
    // Shows an element's colours and style (its slot in the working copy).
    void SelectElement(int element);
    // OK: writes the options and reloads them; a write that fails is shown
    // and the dialog stays open.
    void OKBtnClick();

    // The options as the controls hold them now.
    TOptions EditedOptions();
    const TEditorColors& WorkingColors() const { return m_options.EditorColors; }

    QTabWidget* PageControl;
    QWidget* DisplayPage;
    QWidget* EditorPage;
    QWidget* PreferencesPage;
    // Display.
    TCurrencyEdit* TabStops;
    QLabel* SampleFont1;
    QLabel* SampleFont2;
    QPushButton* SQLFontBtn;
    QPushButton* DataFontBtn;
    // Editor.
    QListWidget* ElementList;
    TColorGrid* ColorGrid;
    QGroupBox* TextAttributes;
    QCheckBox* BoldBox;
    QCheckBox* ItalicBox;
    QCheckBox* UnderlineBox;
    TCurrencyEdit* RightEdge;
    TqeCustomEdit* ExampleEdit;
    TqeGeneralSyn* ExampleSyntax;
    // Preferences.
    QCheckBox* ShowParamDescr;
    QCheckBox* ShowSysTables;
    QGroupBox* ObjectDescriptions;
    QButtonGroup* DescriptionMode;
    QCheckBox* ShowTriggerType;
    // Buttons.
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* CreateDisplayPage();
    QWidget* CreateEditorPage();
    QWidget* CreatePreferencesPage();
    void SQLFontBtnClick();
    void DataFontBtnClick();
    void ColorGridChange();
    void StyleBoxClick(std::uint8_t bit, bool on);
    void PageChange(int index);
    void PaintExample();
    int SelectedElement() const;

    TOptions m_options;           // fonts, charsets and the working colour record
    bool m_selecting = false;     // the controls are being set from a slot
    bool m_shown = false;
};

// "Options": the dialog, shown modally.
void ShowOptionsDialog(QWidget* parent);
