#include "components/PickDate.h"

#include "components/DateUtil.h"
#include "components/EditGlyphs.h"
#include "components/LocaleSettings.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace {

std::optional<QDate> g_pinnedToday;

// Qt counts Monday 1 to Sunday 7; the calendar counts Sunday 0 to Saturday 6.
int WeekDayIndex(const QDate& date)
{
    return date.dayOfWeek() % 7;
}

bool NoShiftKeys(Qt::KeyboardModifiers modifiers)
{
    return !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

// ---------------------------------------------------------------------------
// Month arithmetic

TDayOfWeekName CalendarColumnDay(TDayOfWeekName startOfWeek, int column)
{
    return static_cast<TDayOfWeekName>((int(startOfWeek) + column) % 7);
}

int CalendarMonthOffset(const QDate& date, TDayOfWeekName startOfWeek)
{
    const QDate first(date.year(), date.month(), 1);
    // Day of the week counted 1 for Sunday to 7 for Saturday.
    const int dayOfWeek = WeekDayIndex(first) + 1;
    const int offset = 2 - ((dayOfWeek + 7 - int(startOfWeek)) % 7);
    return offset == 2 ? -5 : offset;
}

QPoint CalendarCellOfDay(const QDate& date, TDayOfWeekName startOfWeek)
{
    const int index = date.day() - CalendarMonthOffset(date, startOfWeek);
    return {index % 7, index / 7 + 1};
}

int CalendarDayOfCell(const QDate& date, TDayOfWeekName startOfWeek, int column, int row)
{
    if (row < 1 || column < 0 || column > 6)
        return 0;
    const int day = CalendarMonthOffset(date, startOfWeek) + column + (row - 1) * 7;
    return day >= 1 && day <= date.daysInMonth() ? day : 0;
}

QString CalendarCellText(const QDate& date, TDayOfWeekName startOfWeek, int column, int row)
{
    if (row == 0) {
        const QStringList& names = LocaleSettings().shortDayNames;
        const int day = int(CalendarColumnDay(startOfWeek, column));
        return day < names.size() ? names.at(day) : QString();
    }
    const int day = CalendarDayOfCell(date, startOfWeek, column, row);
    return day > 0 ? QString::number(day) : QString();
}

QDate CalendarChangeMonth(const QDate& date, int delta)
{
    if (!date.isValid() || delta == 0)
        return date;
    // From the first (back) or the last day (forward) one day over the edge.
    const QDate edge = delta < 0 ? QDate(date.year(), date.month(), 1).addDays(-1)
                                 : QDate(date.year(), date.month(), date.daysInMonth()).addDays(1);
    const int day = std::min(date.day(), edge.daysInMonth());
    return QDate(edge.year(), edge.month(), day);
}

QDate CalendarWithYear(const QDate& date, int year)
{
    if (!date.isValid())
        return date;
    const int day = std::min(date.day(), DaysInMonthOf(year, date.month()));
    return QDate(year, date.month(), day);
}

QDate CalendarChangeYear(const QDate& date, int delta)
{
    if (!date.isValid())
        return date;
    QDate start = date;
    if (date.month() == 2 && date.day() == 29)
        start = QDate(date.year(), 2, 28);
    return CalendarWithYear(start, date.year() + delta);
}

QString CalendarTitle(const QDate& date)
{
    if (!date.isValid())
        return {};
    const QStringList& months = LocaleSettings().longMonthNames;
    const QString month = date.month() <= months.size() ? months.at(date.month() - 1) : QString::number(date.month());
    return month + QStringLiteral(", ") + QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
}

QDate CalendarToday()
{
    return g_pinnedToday ? *g_pinnedToday : QDate::currentDate();
}

TTodayScope::TTodayScope(const QDate& today)
    : m_previous(g_pinnedToday)
{
    g_pinnedToday = today;
}

TTodayScope::~TTodayScope()
{
    g_pinnedToday = m_previous;
}

// ---------------------------------------------------------------------------
// TQcCalendar

TQcCalendar::TQcCalendar(QWidget* parent)
    : QWidget(parent)
    , m_date(CalendarToday())
    , m_fixedColor(palette().color(QPalette::Button))
{
    setObjectName(QStringLiteral("Calendar"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
    resize(218, 107);
    CalendarUpdate(false);
}

void TQcCalendar::SetCalendarDate(const QDate& date)
{
    if (!date.isValid() || date == m_date)
        return;
    m_date = date;
    CalendarUpdate(false);
    Change();
}

void TQcCalendar::ChangeDate(const QDate& date, bool dayOnly)
{
    if (!date.isValid() || date == m_date)
        return;
    m_date = date;
    m_useCurrentDate = false;
    CalendarUpdate(dayOnly);
    Change();
}

void TQcCalendar::SetDay(int day)
{
    if (day < 1 || day > m_date.daysInMonth())
        return;
    ChangeDate(QDate(m_date.year(), m_date.month(), day), true);
}

void TQcCalendar::SetMonth(int month)
{
    if (month < 1 || month > 12)
        return;
    const int day = std::min(m_date.day(), DaysInMonthOf(m_date.year(), month));
    ChangeDate(QDate(m_date.year(), month, day), false);
}

void TQcCalendar::SetYear(int year)
{
    if (year < 1)
        return;
    // 29 February of a year without one would not be a date: the 28th.
    ChangeDate(CalendarWithYear(m_date, year), false);
}

void TQcCalendar::SetStartOfWeek(TDayOfWeekName day)
{
    if (day == m_startOfWeek)
        return;
    m_startOfWeek = day;
    UpdateCalendar();
}

void TQcCalendar::SetUseCurrentDate(bool use)
{
    if (use == m_useCurrentDate)
        return;
    m_useCurrentDate = use;
    if (use) {
        m_date = CalendarToday();
        UpdateCalendar();
    }
}

void TQcCalendar::SetWeekends(const TDaysOfWeek& days)
{
    if (days == m_weekends)
        return;
    m_weekends = days;
    UpdateCalendar();
}

void TQcCalendar::SetWeekendColor(const QColor& color)
{
    if (color == m_weekendColor)
        return;
    m_weekendColor = color;
    update();
}

void TQcCalendar::SetFixedColor(const QColor& color)
{
    m_fixedColor = color;
    update();
}

void TQcCalendar::SetGridLines(bool all)
{
    m_allGridLines = all;
    update();
}

void TQcCalendar::SetFrameToday(bool frame)
{
    m_frameToday = frame;
    update();
}

void TQcCalendar::UpdateCalendar()
{
    CalendarUpdate(false);
}

void TQcCalendar::CalendarUpdate(bool dayOnly)
{
    m_updating = true;
    m_monthOffset = CalendarMonthOffset(m_date, m_startOfWeek);
    const QPoint previous = m_currentCell;
    m_currentCell = CalendarCellOfDay(m_date, m_startOfWeek);
    if (dayOnly) {
        update(CellRect(previous.x(), previous.y()));
        update(CellRect(m_currentCell.x(), m_currentCell.y()));
    } else {
        update();
    }
    m_updating = false;
}

void TQcCalendar::Change()
{
    if (OnChange)
        qv::runGuarded([this] { OnChange(this); });
}

void TQcCalendar::PrevMonth()
{
    ChangeDate(CalendarChangeMonth(m_date, -1), false);
}

void TQcCalendar::NextMonth()
{
    ChangeDate(CalendarChangeMonth(m_date, 1), false);
}

void TQcCalendar::PrevYear()
{
    ChangeDate(CalendarChangeYear(m_date, -1), false);
}

void TQcCalendar::NextYear()
{
    ChangeDate(CalendarChangeYear(m_date, 1), false);
}

QString TQcCalendar::CellText(int column, int row) const
{
    return CalendarCellText(m_date, m_startOfWeek, column, row);
}

int TQcCalendar::ColumnWidth() const
{
    return std::max(1, (width() - (m_allGridLines ? 6 : 0)) / 7);
}

int TQcCalendar::RowHeight() const
{
    return std::max(1, (height() - 6) / 7);
}

QRect TQcCalendar::CellRect(int column, int row) const
{
    const int line = m_allGridLines ? 1 : 0;
    return QRect(column * (ColumnWidth() + line), row * (RowHeight() + 1), ColumnWidth(), RowHeight());
}

QPoint TQcCalendar::CellAt(const QPoint& pos) const
{
    for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 7; ++column)
            if (CellRect(column, row).adjusted(0, 0, 1, 1).contains(pos))
                return {column, row};
    return {-1, -1};
}

bool TQcCalendar::SelectCell(int column, int row)
{
    if (row < 1 || CellText(column, row).isEmpty())
        return false;
    return !m_readOnly || m_updating;
}

void TQcCalendar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Base));
    painter.fillRect(QRect(0, 0, width(), RowHeight()), m_fixedColor);
    const QColor lineColor = pal.color(QPalette::Mid);
    if (m_allGridLines) {
        painter.setPen(lineColor);
        for (int column = 1; column < 7; ++column) {
            const int x = CellRect(column, 0).left() - 1;
            painter.drawLine(x, 0, x, height());
        }
        for (int row = 1; row < 7; ++row) {
            const int y = CellRect(0, row).top() - 1;
            painter.drawLine(0, y, width(), y);
        }
    } else {
        painter.setPen(lineColor);
        painter.drawLine(0, RowHeight(), width(), RowHeight());
    }
    const QDate today = CalendarToday();
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 7; ++column) {
            const QString text = CellText(column, row);
            const QRect cell = CellRect(column, row);
            const bool selected = row > 0 && QPoint(column, row) == m_currentCell;
            QColor ink = pal.color(QPalette::Text);
            if (selected) {
                painter.fillRect(cell, pal.color(QPalette::Highlight));
                ink = pal.color(QPalette::HighlightedText);
            } else if (m_weekends.contains(CalendarColumnDay(m_startOfWeek, column))) {
                ink = m_weekendColor;
            }
            if (m_frameToday && row > 0 && m_date.year() == today.year() && m_date.month() == today.month()
                && CalendarDayOfCell(m_date, m_startOfWeek, column, row) == today.day()) {
                const QRect frame = cell.adjusted(0, 0, -1, -1);
                painter.setPen(pal.color(QPalette::Dark));
                painter.drawLine(frame.topLeft(), frame.topRight());
                painter.drawLine(frame.topLeft(), frame.bottomLeft());
                painter.setPen(pal.color(QPalette::Light));
                painter.drawLine(frame.bottomLeft(), frame.bottomRight());
                painter.drawLine(frame.topRight(), frame.bottomRight());
            }
            if (text.isEmpty())
                continue;
            painter.setPen(ink);
            painter.drawText(cell, Qt::AlignCenter, text);
        }
    }
}

void TQcCalendar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint cell = CellAt(event->position().toPoint());
    if (cell.x() >= 0 && SelectCell(cell.x(), cell.y()))
        SetDay(CalendarDayOfCell(m_date, m_startOfWeek, cell.x(), cell.y()));
}

void TQcCalendar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && OnMouseRelease) {
        const QPoint cell = CellAt(event->position().toPoint());
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        qv::runGuarded([&] { OnMouseRelease(modifiers, cell); });
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TQcCalendar::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && OnDblClick) {
        qv::runGuarded([this] { OnDblClick(this); });
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void TQcCalendar::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (text == QLatin1String("T") || text == QLatin1String("t")) {
        SetCalendarDate(CalendarToday());
        return;
    }
    if (!NoShiftKeys(event->modifiers())) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Minus:
        if (!keypad)
            break;
        [[fallthrough]];
    case Qt::Key_Left:
        if (Day() > 1)
            SetDay(Day() - 1);
        else
            SetCalendarDate(m_date.addDays(-1));
        return;
    case Qt::Key_Plus:
        if (!keypad)
            break;
        [[fallthrough]];
    case Qt::Key_Right:
        if (Day() < m_date.daysInMonth())
            SetDay(Day() + 1);
        else
            SetCalendarDate(m_date.addDays(1));
        return;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int row = m_currentCell.y() + (event->key() == Qt::Key_Up ? -1 : 1);
        if (SelectCell(m_currentCell.x(), row))
            SetDay(CalendarDayOfCell(m_date, m_startOfWeek, m_currentCell.x(), row));
        return;
    }
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------------------

TLocCalendar::TLocCalendar(QWidget* parent)
    : TQcCalendar(parent)
{
    // The edit keeps the focus; the calendar still takes the mouse.
    setFocusPolicy(Qt::NoFocus);
    SetGridLines(false);
    SetFrameToday(true);
    SetUseCurrentDate(false);
}

TQcTimerSpeedButton::TQcTimerSpeedButton(QWidget* parent)
    : TQcSpeedButton(parent)
{
    setAllowTimer(true);
    setStyle(TButtonStyle::bsWin31);
    setFocusPolicy(Qt::NoFocus);
}

QStringList DefaultCalendarHints()
{
    return {QStringLiteral("Previous Year"), QStringLiteral("Previous Month"), QStringLiteral("Next Month"),
            QStringLiteral("Next Year")};
}

namespace {

// The four step buttons of a calendar window, wired to the calendar.
void MakeStepButtons(std::array<TQcTimerSpeedButton*, CalendarButtonCount>& buttons, QWidget* parent,
                     TQcCalendar* calendar)
{
    static const char* const names[] = {"PrevYearBtn", "PrevMonthBtn", "NextMonthBtn", "NextYearBtn"};
    const QStringList hints = DefaultCalendarHints();
    for (int i = 0; i < CalendarButtonCount; ++i) {
        auto* button = new TQcTimerSpeedButton(parent);
        button->setObjectName(QString::fromLatin1(names[i]));
        button->setGlyph(CalendarStepGlyph(i));
        button->setToolTip(hints.at(i));
        buttons[i] = button;
    }
    buttons[0]->OnClick = [calendar](QObject*) { calendar->PrevYear(); };
    buttons[1]->OnClick = [calendar](QObject*) { calendar->PrevMonth(); };
    buttons[2]->OnClick = [calendar](QObject*) { calendar->NextMonth(); };
    buttons[3]->OnClick = [calendar](QObject*) { calendar->NextYear(); };
}

} // namespace

// ---------------------------------------------------------------------------
// TPopupCalendar

TPopupCalendar::TPopupCalendar(QWidget* owner)
    : TPopupWindow(owner)
    , m_calendar(nullptr)
    , m_titleLabel(nullptr)
{
    setObjectName(QStringLiteral("PopupCalendar"));
    const QSize size(std::max(PopupCalendarSize.width(), 180), std::max(PopupCalendarSize.height(), 120));
    resize(size);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    QFont font;
    FontSetDefault(font);
    setFont(font);

    // A plain border round a back panel that holds the title row and the calendar.
    auto* back = new QFrame(this);
    back->setObjectName(QStringLiteral("BackPanel"));
    back->setFrameStyle(QFrame::Box | QFrame::Plain);
    back->setGeometry(0, 0, size.width(), size.height());
    auto* top = new QWidget(back);
    top->setObjectName(QStringLiteral("TopPanel"));
    top->setGeometry(1, 1, size.width() - 4, 18);

    m_calendar = new TLocCalendar(back);
    m_calendar->setGeometry(1, 19, size.width() - 2, size.height() - 20);
    QPalette calendarPalette = m_calendar->palette();
    calendarPalette.setColor(QPalette::Base, pal.color(QPalette::Window));
    m_calendar->setPalette(calendarPalette);
    m_calendar->SetFixedColor(pal.color(QPalette::Window));
    m_calendar->SetCalendarDate(CalendarToday());

    MakeStepButtons(m_btns, top, m_calendar);
    const int panelWidth = top->width();
    const int xs[] = {-1, 12, panelWidth - 26, panelWidth - 13};
    for (int i = 0; i < CalendarButtonCount; ++i)
        m_btns[i]->setGeometry(xs[i], -1, 14, 14);

    m_titleLabel = new QLabel(top);
    m_titleLabel->setObjectName(QStringLiteral("TitleLabel"));
    m_titleLabel->setGeometry(29, 1, panelWidth - 58, 14);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->installEventFilter(this);

    m_calendar->OnChange = [this](QObject*) { UpdateTitle(); };
    m_calendar->OnMouseRelease = [this](Qt::KeyboardModifiers modifiers, QPoint cell) {
        if (NoShiftKeys(modifiers) && cell.y() >= 1 && !m_calendar->CellText(cell.x(), cell.y()).isEmpty())
            CloseUp(true);
    };
    UpdateTitle();
}

void TPopupCalendar::UpdateTitle()
{
    m_titleLabel->setText(CalendarTitle(m_calendar->CalendarDate()));
}

QVariant TPopupCalendar::GetValue() const
{
    return m_calendar->CalendarDate();
}

void TPopupCalendar::SetValue(const QVariant& value)
{
    QDate date;
    if (value.metaType().id() == QMetaType::QDate) {
        date = value.toDate();
    } else if (value.isValid() && !value.isNull()) {
        QString text = value.toString();
        text.remove(LocaleSettings().dateSeparator);
        text.remove(QLatin1Char('/'));
        if (!text.trimmed().isEmpty())
            date = StrToDateOrDefault(DefaultDateFormat(FourDigitYear()), value.toString(), QDate());
    }
    // Anything that is not a date shows today.
    m_calendar->SetCalendarDate(date.isValid() ? date : CalendarToday());
    UpdateTitle();
}

void TPopupCalendar::keyPressEvent(QKeyEvent* event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_PageUp:
        control ? m_calendar->PrevYear() : m_calendar->PrevMonth();
        return;
    case Qt::Key_PageDown:
        control ? m_calendar->NextYear() : m_calendar->NextMonth();
        return;
    default:
        QCoreApplication::sendEvent(m_calendar, event);
        return;
    }
}

bool TPopupCalendar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_titleLabel && event->type() == QEvent::MouseButtonDblClick) {
        m_calendar->SetCalendarDate(CalendarToday());
        return true;
    }
    return TPopupWindow::eventFilter(watched, event);
}

std::unique_ptr<TPopupCalendar> CreatePopupCalendar(QWidget* owner)
{
    auto popup = std::make_unique<TPopupCalendar>(owner);
    if (owner)
        popup->Calendar()->setFont(owner->font());
    QFont font;
    FontSetDefault(font);
    popup->setFont(font);
    return popup;
}

void SetupPopupCalendar(TPopupWindow* popup, TDayOfWeekName startOfWeek, const TDaysOfWeek& weekends,
                        const QColor& weekendColor, const QStringList& buttonHints)
{
    auto* calendar = qobject_cast<TPopupCalendar*>(popup);
    if (!calendar)
        return;
    calendar->Calendar()->SetStartOfWeek(startOfWeek);
    calendar->Calendar()->SetWeekendColor(weekendColor);
    calendar->Calendar()->SetWeekends(weekends);
    for (int i = 0; i < std::min<int>(int(buttonHints.size()), CalendarButtonCount); ++i)
        if (!buttonHints.at(i).isEmpty())
            calendar->Button(i)->setToolTip(buttonHints.at(i));
}

// ---------------------------------------------------------------------------
// TSelectDateDlg

TSelectDateDlg::TSelectDateDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_calendar(nullptr)
    , m_titleLabel(nullptr)
{
    setObjectName(QStringLiteral("SelectDateDlg"));
    setWindowTitle(QStringLiteral("Select a Date"));
    setFixedSize(222, 154);
    QFont font;
    FontSetDefault(font);
    setFont(font);

    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("TopPanel"));
    top->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    top->setGeometry(0, 0, 222, 22);
    m_titleLabel = new QLabel(top);
    m_titleLabel->setObjectName(QStringLiteral("TitleLabel"));
    m_titleLabel->setGeometry(35, 4, 152, 14);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    QFont bold = font;
    bold.setBold(true);
    m_titleLabel->setFont(bold);
    QPalette titlePalette = m_titleLabel->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::blue);
    m_titleLabel->setPalette(titlePalette);
    m_titleLabel->installEventFilter(this);

    auto* calendarPanel = new QFrame(this);
    calendarPanel->setObjectName(QStringLiteral("CalendarPanel"));
    calendarPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    calendarPanel->setGeometry(0, 22, 222, 111);
    m_calendar = new TQcCalendar(calendarPanel);
    m_calendar->setGeometry(2, 2, 218, 107);
    QPalette calendarPalette = m_calendar->palette();
    calendarPalette.setColor(QPalette::Base, Qt::white);
    m_calendar->setPalette(calendarPalette);
    m_calendar->SetUseCurrentDate(false);
    m_calendar->SetCalendarDate(CalendarToday());
    m_calendar->installEventFilter(this);

    MakeStepButtons(m_btns, top, m_calendar);
    const int xs[] = {3, 18, 188, 203};
    for (int i = 0; i < CalendarButtonCount; ++i)
        m_btns[i]->setGeometry(xs[i], 3, 16, 16);

    auto* bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("BottomPanel"));
    bottom->setGeometry(0, 133, 222, 21);
    auto* ok = new QPushButton(QStringLiteral("OK"), bottom);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setGeometry(0, 0, 112, 21);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), bottom);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(111, 0, 111, 21);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QPushButton* button : {ok, cancel})
        button->installEventFilter(this);

    m_calendar->OnChange = [this](QObject*) { UpdateTitle(); };
    m_calendar->OnDblClick = [this](QObject*) { accept(); };
    m_calendar->setFocus();
    UpdateTitle();
}

QDate TSelectDateDlg::Date() const
{
    return m_calendar->CalendarDate();
}

void TSelectDateDlg::SetDate(const QDate& date)
{
    m_calendar->SetCalendarDate(date.isValid() ? date : CalendarToday());
    UpdateTitle();
}

void TSelectDateDlg::UpdateTitle()
{
    m_titleLabel->setText(CalendarTitle(m_calendar->CalendarDate()));
}

bool TSelectDateDlg::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool control = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return true;
    case Qt::Key_PageUp:
        control ? m_calendar->PrevYear() : m_calendar->PrevMonth();
        break;
    case Qt::Key_PageDown:
        control ? m_calendar->NextYear() : m_calendar->NextMonth();
        break;
    case Qt::Key_Tab:
        if (modifiers & Qt::ShiftModifier)
            m_calendar->PrevMonth();
        else
            m_calendar->NextMonth();
        break;
    case Qt::Key_Backtab:
        m_calendar->PrevMonth();
        break;
    default:
        return false;
    }
    m_titleLabel->repaint();
    return true;
}

bool TSelectDateDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_titleLabel && event->type() == QEvent::MouseButtonDblClick) {
        m_calendar->SetCalendarDate(CalendarToday());
        return true;
    }
    // The window sees the keys before its controls do.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key->key(), key->modifiers()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

std::unique_ptr<TSelectDateDlg> CreateDateDialog(const QString& caption)
{
    auto dialog = std::make_unique<TSelectDateDlg>(QApplication::activeWindow());
    if (!caption.isEmpty())
        dialog->setWindowTitle(caption);
    return dialog;
}

bool SelectDate(QDate& date, const QString& caption, TDayOfWeekName startOfWeek, const TDaysOfWeek& weekends,
                const QColor& weekendColor, const QStringList& buttonHints)
{
    const std::unique_ptr<TSelectDateDlg> dialog = CreateDateDialog(caption);
    dialog->SetDate(date);
    dialog->Calendar()->SetStartOfWeek(startOfWeek);
    dialog->Calendar()->SetWeekends(weekends);
    dialog->Calendar()->SetWeekendColor(weekendColor);
    for (int i = 0; i < std::min<int>(int(buttonHints.size()), CalendarButtonCount); ++i)
        if (!buttonHints.at(i).isEmpty())
            dialog->Button(i)->setToolTip(buttonHints.at(i));
    if (qv::showModal(*dialog) != qv::mrOk)
        return false;
    date = dialog->Date();
    return true;
}

void FontSetDefault(QFont& font)
{
    font = QApplication::font("QMessageBox");
}
