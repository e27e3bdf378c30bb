#include "components/SpinEdit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStyle>

#include <cmath>

#include "components/LocaleSettings.h"
#include "components/SystemUtils.h"

namespace {

// Standard keys that change the text without typing a character.
bool IsEditingCommand(const QKeyEvent* event)
{
    for (const QKeySequence::StandardKey key :
         {QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo, QKeySequence::Redo,
          QKeySequence::Delete, QKeySequence::Backspace, QKeySequence::DeleteStartOfWord,
          QKeySequence::DeleteEndOfWord, QKeySequence::DeleteEndOfLine,
          QKeySequence::DeleteCompleteLine}) {
        if (event->matches(key))
            return true;
    }
    return event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
}

} // namespace

TQcSpinEdit::TQcSpinEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setText(QStringLiteral("0"));
    connect(this, &QLineEdit::textChanged, this, &TQcSpinEdit::TextChanged);
    RecreateButton();
}

TQcSpinEdit::~TQcSpinEdit()
{
    m_destroying = true;
    disconnect(this, &QLineEdit::textChanged, this, &TQcSpinEdit::TextChanged);
}

QChar TQcSpinEdit::DecimalSeparator() const
{
    return LocaleSettings().decimalSeparator;
}

void TQcSpinEdit::Beep()
{
    DefaultBeep();
}

// ---------------------------------------------------------------------------
// Value

double TQcSpinEdit::CheckValue(double value) const
{
    return SpinCheckValue(value, m_minValue, m_maxValue);
}

double TQcSpinEdit::Value() const
{
    if (m_valueType == TValueType::vtFloat) {
        const std::optional<double> value = SpinTextToFloat(text(), DecimalSeparator());
        return value ? *value : m_minValue;
    }
    const TSpinInteger value = SpinTextToInteger(text());
    return value.ok ? double(value.value) : std::trunc(m_minValue);
}

void TQcSpinEdit::setValue(double value)
{
    value = CheckValue(value);
    if (m_valueType == TValueType::vtFloat)
        setText(SpinFloatToText(value, m_decimal, DecimalSeparator()));
    else
        setText(QString::number(SpinRoundToInteger(value)));
}

int TQcSpinEdit::AsInteger() const
{
    return SpinRoundToInteger(Value());
}

bool TQcSpinEdit::TextHoldsValue() const
{
    if (m_valueType == TValueType::vtFloat)
        return SpinTextToFloat(text(), DecimalSeparator()).has_value();
    const TSpinInteger value = SpinTextToInteger(text());
    return value.ok && !value.clamped;
}

void TQcSpinEdit::setValueType(TValueType type)
{
    if (type == m_valueType)
        return;
    // Read as the old type: "1.50" is 1.5, not a failed integer.
    const double current = Value();
    m_valueType = type;
    if (type == TValueType::vtInteger) {
        m_increment = std::nearbyint(m_increment);
        if (m_increment == 0)
            m_increment = 1;
    }
    setValue(current);
}

void TQcSpinEdit::setDecimal(int decimals)
{
    decimals = qBound(0, decimals, 18);
    if (decimals == m_decimal)
        return;
    const double current = Value();
    m_decimal = decimals;
    setValue(current);
}

void TQcSpinEdit::setEditorEnabled(bool enabled)
{
    m_editorEnabled = enabled;
    setAcceptDrops(enabled);
}

bool TQcSpinEdit::IsValidChar(QChar key) const
{
    return SpinIsValidChar(key, text(), m_valueType, m_editorEnabled, DecimalSeparator());
}

// ---------------------------------------------------------------------------
// Steps

void TQcSpinEdit::UpClick(QObject*)
{
    Step(m_increment, OnTopClick);
}

void TQcSpinEdit::DownClick(QObject*)
{
    Step(-m_increment, OnBottomClick);
}

void TQcSpinEdit::Step(double delta, const qv::TNotifyEvent& clickEvent)
{
    if (isReadOnly()) {
        Beep();
        return;
    }
    const QString old = text();
    {
        const QScopedValueRollback<bool> changing(m_changing, true);
        setValue(Value() + delta);
    }
    if (text().compare(old, Qt::CaseInsensitive) != 0) {
        setModified(true);
        FireChange();
    }
    if (clickEvent)
        clickEvent(this);
}

void TQcSpinEdit::TextChanged()
{
    if (!m_changing && !m_destroying)
        FireChange();
}

void TQcSpinEdit::FireChange()
{
    if (OnChange)
        qv::runGuarded([this] { OnChange(this); });
}

// ---------------------------------------------------------------------------
// Buttons

void TQcSpinEdit::setArrowKeys(bool arrowKeys)
{
    m_arrowKeys = arrowKeys;
    RecreateButton();
}

void TQcSpinEdit::setButtonKind(TSpinButtonKind kind)
{
    if (kind == m_buttonKind)
        return;
    m_buttonKind = kind;
    RecreateButton();
}

void TQcSpinEdit::setRepeatTimerFactory(TRepeatTimerFactory factory)
{
    m_timerFactory = std::move(factory);
    if (m_button)
        m_button->setRepeatTimerFactory(m_timerFactory);
    if (m_upDown)
        m_upDown->setRepeatTimerFactory(m_timerFactory);
}

void TQcSpinEdit::RecreateButton()
{
    if (m_destroying)
        return;
    // A handler of the old button may be what changed the kind: it goes
    // once its event is over.
    for (QWidget* old : {m_btnWindow.data(), static_cast<QWidget*>(m_upDown.data())}) {
        if (old) {
            old->hide();
            old->deleteLater();
        }
    }
    m_btnWindow.clear();
    m_button.clear();
    m_upDown.clear();

    if (m_buttonKind == TSpinButtonKind::bkDiagonal) {
        auto* holder = new QWidget(this);
        holder->setCursor(Qt::ArrowCursor);
        auto* button = new TQcSpinButton(holder);
        button->setFocusControl(this);
        button->setRepeatTimerFactory(m_timerFactory);
        button->OnTopClick = [this](QObject* sender) { UpClick(sender); };
        button->OnBottomClick = [this](QObject* sender) { DownClick(sender); };
        m_btnWindow = holder;
        m_button = button;
        holder->show();
    } else {
        auto* upDown = new TQcUpDown(this);
        upDown->setCursor(Qt::ArrowCursor);
        upDown->setRepeatTimerFactory(m_timerFactory);
        upDown->OnClick = [this](QObject*, TUDBtnType button) { UpDownClick(button); };
        m_upDown = upDown;
        upDown->show();
    }
    PlaceButton();
}

void TQcSpinEdit::UpDownClick(TUDBtnType button)
{
    const auto done = qScopeGuard([this] {
        if ((focusPolicy() & Qt::TabFocus) && isEnabled() && isVisible())
            setFocus(Qt::OtherFocusReason);
        if (m_upDown)
            m_upDown->setPosition(0);
    });
    if (button == TUDBtnType::btNext)
        UpClick(m_upDown.data());
    else
        DownClick(m_upDown.data());
}

int TQcSpinEdit::ButtonWidth() const
{
    if (m_upDown)
        return m_upDown->width();
    if (m_btnWindow)
        return m_btnWindow->width();
    return TQcUpDown::DefaultWidth(this);
}

int TQcSpinEdit::MinHeight() const
{
    // The font, a border above and below the text on each side of the
    // frame, and one pixel.
    return fontMetrics().height() + 4 * 1 + 1;
}

void TQcSpinEdit::PlaceButton()
{
    const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this)
                                 : 0;
    const int inner = qMax(0, height() - 2 * frame);
    if (m_btnWindow && m_button) {
        m_btnWindow->setGeometry(width() - frame - inner, frame, inner, inner);
        m_button->setGeometry(0, 0, inner, inner);
    }
    if (m_upDown) {
        const int w = TQcUpDown::DefaultWidth(this);
        m_upDown->setGeometry(width() - frame - w, frame, w, inner);
    }
    setTextMargins(0, 0, ButtonWidth() + 2, 0);
}

// ---------------------------------------------------------------------------
// Events

void TQcSpinEdit::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers shortcutKeys =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const int key = event->key();
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && m_arrowKeys
        && !(event->modifiers() & shortcutKeys)) {
        const TUDBtnType button = key == Qt::Key_Up ? TUDBtnType::btNext : TUDBtnType::btPrev;
        qv::runGuarded([&] {
            if (m_upDown)
                m_upDown->Click(button);
            else if (button == TUDBtnType::btNext)
                UpClick(this);
            else
                DownClick(this);
        });
        event->accept();
        return;
    }
    if (!m_editorEnabled && IsEditingCommand(event)) {
        Beep();
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool character = !typed.isEmpty() && !(event->modifiers() & shortcutKeys)
        && typed != QString(QChar(0x7F));
    if (character) {
        for (const QChar c : typed) {
            if (!IsValidChar(c)) {
                Beep();
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TQcSpinEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (m_autoSelect && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        selectAll();
}

void TQcSpinEdit::focusOutEvent(QFocusEvent* event)
{
    // A popup menu or another window taking the focus is no exit.
    const bool exit = event->reason() != Qt::PopupFocusReason
        && event->reason() != Qt::ActiveWindowFocusReason;
    // A text that is no number (pasted, or half typed) is written again as
    // the value it reads as, like one out of range.
    if (exit && !m_destroying && (!TextHoldsValue() || CheckValue(Value()) != Value()))
        setValue(Value());
    QLineEdit::focusOutEvent(event);
}

void TQcSpinEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    if (height() < MinHeight()) {
        resize(width(), MinHeight());
        return;
    }
    PlaceButton();
}

void TQcSpinEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::EnabledChange:
    case QEvent::StyleChange:
        PlaceButton();
        break;
    default:
        break;
    }
}

QMenu* TQcSpinEdit::EditMenu()
{
    // The edit's usual commands, built here so the ones that change the
    // text can follow EditorEnabled as well as ReadOnly.
    auto* menu = new QMenu(this);
    const bool mayEdit = MayEdit();
    const bool selected = hasSelectedText();
    const auto add = [&](const QString& name, const QString& caption, QKeySequence::StandardKey key,
                         bool enabled, auto slot) {
        QAction* action = menu->addAction(caption, this, slot);
        action->setObjectName(name);
        action->setShortcut(key);
        action->setEnabled(enabled);
    };
    add(QStringLiteral("edit-undo"), tr("&Undo"), QKeySequence::Undo, mayEdit && isUndoAvailable(),
        &QLineEdit::undo);
    add(QStringLiteral("edit-redo"), tr("&Redo"), QKeySequence::Redo, mayEdit && isRedoAvailable(),
        &QLineEdit::redo);
    menu->addSeparator();
    add(QStringLiteral("edit-cut"), tr("Cu&t"), QKeySequence::Cut, mayEdit && selected,
        &QLineEdit::cut);
    add(QStringLiteral("edit-copy"), tr("&Copy"), QKeySequence::Copy, selected, &QLineEdit::copy);
    add(QStringLiteral("edit-paste"), tr("&Paste"), QKeySequence::Paste,
        mayEdit && !QGuiApplication::clipboard()->text().isEmpty(), &QLineEdit::paste);
    add(QStringLiteral("edit-delete"), tr("Delete"), QKeySequence::Delete, mayEdit && selected,
        &QLineEdit::del);
    menu->addSeparator();
    add(QStringLiteral("select-all"), tr("Select All"), QKeySequence::SelectAll, !text().isEmpty(),
        &QLineEdit::selectAll);
    return menu;
}

void TQcSpinEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = EditMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TQcSpinEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection where the system has one.
    if (event->button() == Qt::MiddleButton && !m_editorEnabled) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}
