#include "app/shell/OptionsDlg.h"

#include "app/shell/DataM.h"
#include "app/shell/MainTreeF.h"
#include "components/ColorGrid.h"
#include "components/CurrEdit.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/Registry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kHelpContext = 1000;
// Lines of the example marked as execution point and breakpoint (0-based).
constexpr int kExecutionPointLine = 4;
constexpr int kBreakPointLine = 5;

QLabel* makeSample(const QString& name, QWidget* parent)
{
    auto* sample = new QLabel(QStringLiteral("Sample AaBbCcDd 12345"), parent);
    sample->setObjectName(name);
    sample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sample->setAlignment(Qt::AlignCenter);
    sample->setMinimumHeight(48);
    sample->setAutoFillBackground(true);
    return sample;
}

TCurrencyEdit* makeNumberEdit(const QString& name, double minimum, double maximum, QWidget* parent)
{
    auto* edit = new TCurrencyEdit(parent);
    edit->setObjectName(name);
    edit->SetDecimalPlaces(0);
    edit->SetDisplayFormat(QStringLiteral("0"));
    edit->SetZeroEmpty(false);
    edit->SetMinValue(minimum);
    edit->SetMaxValue(maximum);
    edit->setMaximumWidth(80);
    return edit;
}

QCheckBox* makeCheckBox(const QString& name, const QString& caption, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

TEditorColorSlot WithGridColors(TEditorColorSlot slot, int foregroundIndex, int backgroundIndex)
{
    if (foregroundIndex >= 0 && foregroundIndex < kGridColorCount)
        slot.Foreground = GridColor(foregroundIndex);
    if (backgroundIndex >= 0 && backgroundIndex < kGridColorCount)
        slot.Background = GridColor(backgroundIndex);
    return slot;
}

TEditorColorSlot WithStyleBit(TEditorColorSlot slot, std::uint8_t bit, bool on)
{
    slot.Style = on ? std::uint8_t(slot.Style | bit) : std::uint8_t(slot.Style & ~bit);
    return slot;
}

const QStringList& TOptionsDlg::ElementNames()
{
    static const QStringList names{
        QStringLiteral("Whitespace"), QStringLiteral("Comment"), QStringLiteral("Reserved Word"),
        QStringLiteral("Identifier"), QStringLiteral("Symbol"), QStringLiteral("String"),
        QStringLiteral("Number"), QStringLiteral("Execution Point"), QStringLiteral("Breakpoint"),
        QStringLiteral("Hyperlink"),
    };
    return names;
}

const QStringList& TOptionsDlg::ExampleLines()
{
    static const QStringList lines{
        QStringLiteral("/* Example */"),
        QStringLiteral("select * from Test_Table"),
        QStringLiteral("where Test_Number>10 and "),
        QStringLiteral("Test_Name='Test'"),
        QStringLiteral("for select test from .... /*Execution Point*/"),
        QStringLiteral("text_var='test text' /*BreakPoint */"),
    };
    return lines;
}

TOptionsDlg::TOptionsDlg(QWidget* parent)
    : QDialog(parent)
    , m_options(TOptions::Defaults())
{
    setObjectName(QStringLiteral("OptionsDlg"));
    setWindowTitle(QStringLiteral("Options"));

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    DisplayPage = CreateDisplayPage();
    EditorPage = CreateEditorPage();
    PreferencesPage = CreatePreferencesPage();
    PageControl->addTab(DisplayPage, QStringLiteral("Display"));
    PageControl->addTab(EditorPage, QStringLiteral("Editor"));
    PageControl->addTab(PreferencesPage, QStringLiteral("Preferences"));
    connect(PageControl, &QTabWidget::currentChanged, this, &TOptionsDlg::PageChange);

    auto* buttons = new QDialogButtonBox(this);
    OKBtn = buttons->addButton(QDialogButtonBox::Ok);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = buttons->addButton(QDialogButtonBox::Cancel);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    HelpBtn = buttons->addButton(QDialogButtonBox::Help);
    HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
    // OK closes only once the options are written.
    connect(OKBtn, &QPushButton::clicked, this, &TOptionsDlg::OKBtnClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [] { qv::showHelpTopic(QStringLiteral("Program_Options")); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addWidget(buttons);
}

TOptionsDlg::~TOptionsDlg() = default;

QWidget* TOptionsDlg::CreateDisplayPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("DisplayPage"));

    TabStops = makeNumberEdit(QStringLiteral("TabStops"), 1, 64, page);
    auto* tabRow = new QHBoxLayout;
    auto* tabLabel = new QLabel(QStringLiteral("Tab spaces:"), page);
    tabLabel->setBuddy(TabStops);
    tabRow->addWidget(tabLabel);
    tabRow->addWidget(TabStops);
    tabRow->addStretch(1);

    SampleFont1 = makeSample(QStringLiteral("SampleFont1"), page);
    SQLFontBtn = new QPushButton(QStringLiteral("Set SQL Editor Font"), page);
    SQLFontBtn->setObjectName(QStringLiteral("SQLFontBtn"));
    connect(SQLFontBtn, &QPushButton::clicked, this, &TOptionsDlg::SQLFontBtnClick);
    SampleFont2 = makeSample(QStringLiteral("SampleFont2"), page);
    DataFontBtn = new QPushButton(QStringLiteral("Set Data View Font"), page);
    DataFontBtn->setObjectName(QStringLiteral("DataFontBtn"));
    connect(DataFontBtn, &QPushButton::clicked, this, &TOptionsDlg::DataFontBtnClick);

    auto* fonts = new QGridLayout;
    fonts->addWidget(SampleFont1, 0, 0);
    fonts->addWidget(SQLFontBtn, 0, 1, Qt::AlignVCenter);
    fonts->addWidget(SampleFont2, 1, 0);
    fonts->addWidget(DataFontBtn, 1, 1, Qt::AlignVCenter);
    fonts->setColumnStretch(0, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(tabRow);
    layout->addLayout(fonts);
    layout->addStretch(1);
    return page;
}

QWidget* TOptionsDlg::CreateEditorPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("EditorPage"));

    ElementList = new QListWidget(page);
    ElementList->setObjectName(QStringLiteral("ElementList"));
    ElementList->addItems(ElementNames());
    ElementList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ElementList->setSelectionMode(QAbstractItemView::SingleSelection);
    ElementList->setMaximumWidth(150);
    connect(ElementList, &QListWidget::currentRowChanged, this, &TOptionsDlg::SelectElement);

    ColorGrid = new TColorGrid(page);
    ColorGrid->setObjectName(QStringLiteral("ColorGrid"));
    ColorGrid->setToolTip(QStringLiteral("Left button: foreground, right button: background"));
    connect(ColorGrid, &TColorGrid::Changed, this, &TOptionsDlg::ColorGridChange);

    TextAttributes = new QGroupBox(QStringLiteral("&Text attributes:"), page);
    TextAttributes->setObjectName(QStringLiteral("TextAttributes"));
    BoldBox = makeCheckBox(QStringLiteral("BoldBox"), QStringLiteral("&Bold"), TextAttributes);
    ItalicBox = makeCheckBox(QStringLiteral("ItalicBox"), QStringLiteral("&Italic"), TextAttributes);
    UnderlineBox = makeCheckBox(QStringLiteral("UnderlineBox"), QStringLiteral("&Underline"), TextAttributes);
    auto* attributes = new QVBoxLayout(TextAttributes);
    for (auto [box, bit] : {std::pair{BoldBox, esBold}, std::pair{ItalicBox, esItalic},
                            std::pair{UnderlineBox, esUnderline}}) {
        attributes->addWidget(box);
        connect(box, &QCheckBox::toggled, this,
                [this, bit = std::uint8_t(bit)](bool on) { StyleBoxClick(bit, on); });
    }

    RightEdge = makeNumberEdit(QStringLiteral("RightEdge"), 1, 1024, page);
    connect(RightEdge, &QLineEdit::textEdited, this, [this] { PaintExample(); });
    auto* edgeRow = new QHBoxLayout;
    auto* edgeLabel = new QLabel(QStringLiteral("Right Edge:"), page);
    edgeLabel->setBuddy(RightEdge);
    edgeRow->addWidget(edgeLabel);
    edgeRow->addWidget(RightEdge);
    edgeRow->addStretch(1);

    ExampleSyntax = new TqeGeneralSyn(this);
    ExampleSyntax->setObjectName(QStringLiteral("ExampleSyntax"));
    ExampleSyntax->SetComments(csCStyle);
    ExampleSyntax->SetKeyWords(TDM::SQLKeywords());
    ExampleEdit = new TqeCustomEdit(page);
    ExampleEdit->setObjectName(QStringLiteral("ExampleEdit"));
    ExampleEdit->SetHighLighter(ExampleSyntax);
    ExampleEdit->SetLines(ExampleLines());
    ExampleEdit->SetReadOnly(true);
    ExampleEdit->setMinimumHeight(130);

    auto* right = new QVBoxLayout;
    right->addWidget(TextAttributes);
    right->addLayout(edgeRow);
    right->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(ElementList);
    top->addWidget(ColorGrid, 1);
    top->addLayout(right);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(ExampleEdit, 1);

    // Alt+T is the group's own mnemonic; these two live while the page shows.
    for (const auto& [key, widget] : {std::pair{Qt::Key_E, static_cast<QWidget*>(ElementList)},
                                      std::pair{Qt::Key_C, static_cast<QWidget*>(ColorGrid)}}) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | key), page);
        connect(shortcut, &QShortcut::activated, widget,
                [target = widget] { target->setFocus(Qt::ShortcutFocusReason); });
    }
    return page;
}

QWidget* TOptionsDlg::CreatePreferencesPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PreferencesPage"));

    ShowParamDescr = makeCheckBox(QStringLiteral("ShowParamDescr"),
                                  QStringLiteral("Show description for table fields and procedure parameters"), page);
    ShowSysTables = makeCheckBox(QStringLiteral("ShowSysTables"), QStringLiteral("Show System Tables"), page);

    ObjectDescriptions = new QGroupBox(QStringLiteral("Object descriptions"), page);
    ObjectDescriptions->setObjectName(QStringLiteral("ObjectDescriptions"));
    DescriptionMode = new QButtonGroup(this);
    auto* modes = new QVBoxLayout(ObjectDescriptions);
    const QStringList captions{
        QStringLiteral("Show description in topmost window"), QStringLiteral("Show description after object name"),
        QStringLiteral("Show description in status bar"), QStringLiteral("Show description as hint")};
    for (int mode = 0; mode < captions.size(); ++mode) {
        auto* button = new QRadioButton(captions.at(mode), ObjectDescriptions);
        button->setObjectName(QStringLiteral("DescriptionMode%1").arg(mode));
        DescriptionMode->addButton(button, mode);
        modes->addWidget(button);
    }

    auto* additional = new QGroupBox(QStringLiteral("Additional Object Parameters"), page);
    additional->setObjectName(QStringLiteral("AdditionalParameters"));
    ShowTriggerType = makeCheckBox(QStringLiteral("ShowTriggerType"), QStringLiteral("Show trigger types and Tables"),
                                   additional);
    auto* additionalLayout = new QVBoxLayout(additional);
    additionalLayout->addWidget(ShowTriggerType);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(ShowParamDescr);
    layout->addWidget(ShowSysTables);
    layout->addWidget(ObjectDescriptions);
    layout->addWidget(additional);
    layout->addStretch(1);
    return page;
}

void TOptionsDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TOptionsDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        qv::showHelpContext(kHelpContext);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TOptionsDlg::FormShow()
{
    m_options = ReadOptions();
    TabStops->SetValue(m_options.TabStopCount);
    RightEdge->SetValue(m_options.EditorRightEdge);
    SampleFont1->setFont(m_options.SQLFont);
    SampleFont2->setFont(m_options.DataFont);
    ShowParamDescr->setChecked(m_options.ShowProcParameterDescription);
    ShowSysTables->setChecked(m_options.ShowSystemTables);
    ShowTriggerType->setChecked(m_options.ShowTriggerType);
    // A stored mode outside the four checks none of them (and is written back as read).
    if (QAbstractButton* mode = DescriptionMode->button(m_options.ShowDescription))
        mode->setChecked(true);
    ExampleEdit->SetFont(m_options.SQLFont);
    PaintExample();
    PageControl->setCurrentWidget(DisplayPage);
    ElementList->setCurrentRow(0);
    SelectElement(0);
    ExampleSyntax->LineColors().Clear();
    ExampleSyntax->LineColors().Add(kExecutionPointLine, TLineColorMark::ExecutionPoint);
    ExampleSyntax->LineColors().Add(kBreakPointLine, TLineColorMark::BreakPoint);
    ExampleEdit->update();
}

int TOptionsDlg::SelectedElement() const
{
    return ElementList->currentRow();
}

void TOptionsDlg::SelectElement(int element)
{
    if (element < 0 || element >= ElementNames().size())
        return;
    const TEditorColorSlot slot = m_options.EditorColors.Slot(element);
    m_selecting = true;
    ColorGrid->SetForegroundIndex(ColorToGridIndex(slot.Foreground));
    ColorGrid->SetBackgroundIndex(ColorToGridIndex(slot.Background));
    BoldBox->setChecked(slot.Style & esBold);
    ItalicBox->setChecked(slot.Style & esItalic);
    UnderlineBox->setChecked(slot.Style & esUnderline);
    m_selecting = false;
}

void TOptionsDlg::ColorGridChange()
{
    const int element = SelectedElement();
    if (m_selecting || element < 0)
        return;
    m_options.EditorColors.SetSlot(element, WithGridColors(m_options.EditorColors.Slot(element),
                                                           ColorGrid->ForegroundIndex(),
                                                           ColorGrid->BackgroundIndex()));
    PaintExample();
}

void TOptionsDlg::StyleBoxClick(std::uint8_t bit, bool on)
{
    const int element = SelectedElement();
    if (m_selecting || element < 0)
        return;
    m_options.EditorColors.SetSlot(element, WithStyleBit(m_options.EditorColors.Slot(element), bit, on));
    PaintExample();
}

void TOptionsDlg::PaintExample()
{
    ExampleEdit->SetRightEdge(RoundOptionValue(RightEdge->Value()));
    ApplyEditorColors(ExampleEdit, ExampleSyntax, m_options.EditorColors);
}

void TOptionsDlg::PageChange(int index)
{
    if (PageControl->widget(index) == EditorPage)
        ElementList->setFocus(Qt::TabFocusReason);
}

void TOptionsDlg::SQLFontBtnClick()
{
    QFont font = SampleFont1->font();
    if (!qv::runFontDialog(font, true))
        return;
    SampleFont1->setFont(font);
    ExampleEdit->SetFont(font);
}

void TOptionsDlg::DataFontBtnClick()
{
    QFont font = SampleFont2->font();
    if (qv::runFontDialog(font, false))
        SampleFont2->setFont(font);
}

TOptions TOptionsDlg::EditedOptions()
{
    TOptions options = m_options;
    options.SQLFont = SampleFont1->font();
    options.DataFont = SampleFont2->font();
    options.ShowDescription = DescriptionMode->checkedId() >= 0 ? DescriptionMode->checkedId()
                                                                : m_options.ShowDescription;
    options.ShowTriggerType = ShowTriggerType->isChecked();
    options.ShowProcParameterDescription = ShowParamDescr->isChecked();
    options.TabStopCount = RoundOptionValue(TabStops->Value());
    options.ShowSystemTables = ShowSysTables->isChecked();
    options.EditorRightEdge = RoundOptionValue(RightEdge->Value());
    return options;
}

void TOptionsDlg::OKBtnClick()
{
    try {
        WriteOptions(EditedOptions());
    } catch (const EQvRegistryError& error) {
        qv::messageDlg(error.message(), qv::mtError, qv::mbOK);
        return;
    }
    LoadOptions();
    if (MainTree)
        MainTree->ReadDescriptionMode();
    accept();
}

void ShowOptionsDialog(QWidget* parent)
{
    if (MainTree)
        MainTree->HideHint();
    TOptionsDlg dialog(parent);
    qv::showModal(dialog);
}
