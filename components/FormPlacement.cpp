#include "components/FormPlacement.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <exception>

#include "components/PropsStorage.h"
#include "components/WindowHooks.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"

namespace {

const QString kFlags = QStringLiteral("Flags");
const QString kShowCmd = QStringLiteral("ShowCmd");
const QString kPixelsPerInch = QStringLiteral("PixelsPerInch");
const QString kMinMaxPos = QStringLiteral("MinMaxPos");
const QString kNormPos = QStringLiteral("NormPos");
const QString kActiveControl = QStringLiteral("ActiveControl");
const QString kVisible = QStringLiteral("Visible");

enum ShowCommand { swHide = 0, swShowNormal = 1, swShowMinimized = 2, swShowMaximized = 3 };
enum PlacementFlag { wpfSetMinPosition = 1, wpfRestoreToMaximized = 2 };

constexpr qint64 kCoordinateLimit = 1000000;

QString positionText(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

// Words 1 to 4 split at blanks and commas; a missing or malformed word
// takes its default.
void parsePosition(const QString& text, int (&values)[4])
{
    static const QRegularExpression delimiters(QStringLiteral("[ ,]+"));
    const QStringList words = text.split(delimiters, Qt::SkipEmptyParts);
    for (int i = 0; i < 4 && i < words.size(); ++i) {
        int value = 0;
        values[i] = ReadStoredCoordinate(words.at(i), value) ? value : 0;
    }
}

// The resolution-specific value first, the plain one when that is empty.
QString readPosition(const TRegIniStorage& storage, const QString& section, const QString& name)
{
    const QString specific =
        storage.ReadString(section, name + ScreenResolutionSuffix(), QString());
    return specific.isEmpty() ? storage.ReadString(section, name, QString()) : specific;
}

bool hasFixedSize(const QWidget* form)
{
    if (form->windowFlags() & Qt::MSWindowsFixedSizeDialogHint)
        return true;
    if (form->layout() && form->layout()->sizeConstraint() == QLayout::SetFixedSize)
        return true;
    return form->minimumSize() == form->maximumSize();
}

// A rectangle that no screen (for an MDI child: no part of the MDI area)
// shows is moved onto the first one, as much of it as fits.
QRect ontoVisibleArea(const QRect& rect, const QList<QRect>& areas)
{
    if (areas.isEmpty())
        return rect;
    for (const QRect& area : areas) {
        if (area.intersects(rect))
            return rect;
    }
    const QRect& area = areas.first();
    QRect moved = rect;
    const int left = std::max(area.left(), std::min(rect.left(), area.right() + 1 - rect.width()));
    const int top = std::max(area.top(), std::min(rect.top(), area.bottom() + 1 - rect.height()));
    moved.moveTo(left, top);
    return moved;
}

QList<QRect> visibleAreas(const QWidget* frame, bool mdiChild)
{
    QList<QRect> areas;
    if (mdiChild) {
        if (const QWidget* viewport = frame->parentWidget())
            areas << viewport->rect();
        return areas;
    }
    if (QScreen* primary = QGuiApplication::primaryScreen())
        areas << primary->availableGeometry();
    const auto screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        if (screen != QGuiApplication::primaryScreen())
            areas << screen->availableGeometry();
    }
    return areas;
}

TWindowPlacement placementOfFrame(const QWidget* form, const QWidget* frame, bool mdiChild)
{
    TWindowPlacement placement;
    const Qt::WindowStates state = frame->windowState();
    if (state & Qt::WindowMinimized) {
        placement.showCmd = swShowMinimized;
        if (state & Qt::WindowMaximized)
            placement.flags |= wpfRestoreToMaximized;
        if (mdiChild) {
            placement.flags |= wpfSetMinPosition;
            placement.minPosition = frame->pos();
        }
    } else if (state & Qt::WindowMaximized) {
        placement.showCmd = swShowMaximized;
    } else {
        placement.showCmd = swShowNormal;
    }
    if (mdiChild) {
        placement.normalPosition = frame->geometry();
    } else {
        const QRect normal = form->normalGeometry();
        placement.normalPosition = normal.isValid() ? normal : form->geometry();
    }
    return placement;
}

void report(const std::exception& error) noexcept
{
    try {
        qv::showException(QString::fromUtf8(error.what()));
    } catch (...) {
        // Nothing left to tell the user with; the form goes on as it is.
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Storage

TRegIniStorage::TRegIniStorage(const QString& rootKey)
    : m_rootKey(rootKey)
    , m_registry(std::make_unique<QvRegistry>())
{
    while (m_rootKey.startsWith(QLatin1Char('\\')))
        m_rootKey.remove(0, 1);
}

TRegIniStorage::~TRegIniStorage() = default;

QString TRegIniStorage::keyOf(const QString& section) const
{
    QString key = QLatin1Char('\\') + m_rootKey;
    if (!section.isEmpty())
        key += QLatin1Char('\\') + section;
    return key;
}

bool TRegIniStorage::ValueExists(const QString& section, const QString& ident) const
{
    return m_registry->openKeyReadOnly(keyOf(section))
           && m_registry->dataType(ident) == QvRegistry::DataType::String;
}

QStringList TRegIniStorage::ValueNames(const QString& section) const
{
    if (!m_registry->openKeyReadOnly(keyOf(section)))
        return {};
    return m_registry->valueNames();
}

QString TRegIniStorage::ReadString(const QString& section, const QString& ident,
                                   const QString& def) const
{
    if (!ValueExists(section, ident))
        return def;
    try {
        return m_registry->readString(ident);
    } catch (const EQvRegistryError&) {
        return def;
    }
}

void TRegIniStorage::WriteString(const QString& section, const QString& ident,
                                 const QString& value)
{
    if (!m_registry->openKey(keyOf(section), true))
        throw EQvRegistryError(QStringLiteral("Failed to set data for '%1'").arg(ident));
    m_registry->writeString(ident, value);
}

int TRegIniStorage::ReadInteger(const QString& section, const QString& ident, int def) const
{
    bool ok = false;
    const int value = TrimStoredValue(ReadString(section, ident, QString())).toInt(&ok);
    return ok ? value : def;
}

void TRegIniStorage::WriteInteger(const QString& section, const QString& ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

void TRegIniStorage::EraseSection(const QString& section)
{
    m_registry->deleteKey(keyOf(section));
}

QString IniReadString(const TRegIniStorage* storage, const QString& section,
                      const QString& ident, const QString& def)
{
    return storage ? storage->ReadString(section, ident, def) : def;
}

void IniWriteString(TRegIniStorage* storage, const QString& section, const QString& ident,
                    const QString& value)
{
    if (storage)
        storage->WriteString(section, ident, value);
}

int IniReadInteger(const TRegIniStorage* storage, const QString& section, const QString& ident,
                   int def)
{
    return storage ? storage->ReadInteger(section, ident, def) : def;
}

void IniWriteInteger(TRegIniStorage* storage, const QString& section, const QString& ident,
                     int value)
{
    if (storage)
        storage->WriteInteger(section, ident, value);
}

void IniEraseSection(TRegIniStorage* storage, const QString& section)
{
    if (storage)
        storage->EraseSection(section);
}

// ---------------------------------------------------------------------------
// Placement values

int BoundedStoredCoordinate(qint64 value)
{
    return int(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

bool ReadStoredCoordinate(const QString& text, int& value)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    if (ok)
        value = BoundedStoredCoordinate(number);
    return ok;
}

QMdiSubWindow* MdiSubWindowOf(const QWidget* form)
{
    if (!form)
        return nullptr;
    auto* subWindow = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    return subWindow && subWindow->widget() == form ? subWindow : nullptr;
}

bool IsMdiParent(const QWidget* form)
{
    const auto* window = qobject_cast<const QMainWindow*>(form);
    return window && qobject_cast<const QMdiArea*>(window->centralWidget());
}

TWindowPlacement FormWindowPlacement(const QWidget* form)
{
    const QMdiSubWindow* subWindow = MdiSubWindowOf(form);
    return placementOfFrame(form, subWindow ? subWindow : form, subWindow != nullptr);
}

QString ScreenResolutionSuffix()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : QSize();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

int ScreenPixelsPerInch()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

QString ComponentSectionName(const QObject* component)
{
    if (!component)
        return {};
    const QString name = component->objectName();
    if (component->isWidgetType()) {
        const auto* widget = static_cast<const QWidget*>(component);
        if (IsForm(widget))
            return QString::fromLatin1(widget->metaObject()->className());
        if (const QWidget* form = FormOfComponent(widget))
            return QString::fromLatin1(form->metaObject()->className()) + name;
        const QWidget* parent = widget->parentWidget();
        return (parent ? parent->objectName() : QString()) + name;
    }
    if (const QWidget* form = FormOfComponent(component->parent()))
        return QString::fromLatin1(form->metaObject()->className()) + QLatin1Char('.') + name;
    return name;
}

QString DefaultIniRegKey()
{
    QString key = QStringLiteral("Software\\");
    const QString company = QCoreApplication::organizationName();
    if (!company.isEmpty())
        key += company + QLatin1Char('\\');
    return key + QCoreApplication::applicationName();
}

void WriteFormPlacementTo(const TWindowPlacement& placement, TRegIniStorage& storage,
                          const QString& section)
{
    const QString resolution = ScreenResolutionSuffix();
    const QRect& normal = placement.normalPosition;
    const QString minMax = positionText(placement.minPosition.x(), placement.minPosition.y(),
                                        placement.maxPosition.x(), placement.maxPosition.y());
    const QString norm = positionText(normal.left(), normal.top(), normal.left() + normal.width(),
                                      normal.top() + normal.height());
    storage.WriteInteger(section, kFlags, placement.flags);
    storage.WriteInteger(section, kShowCmd, placement.showCmd);
    storage.WriteInteger(section, kPixelsPerInch, ScreenPixelsPerInch());
    storage.WriteString(section, kMinMaxPos + resolution, minMax);
    storage.WriteString(section, kMinMaxPos, minMax);
    storage.WriteString(section, kNormPos + resolution, norm);
    storage.WriteString(section, kNormPos, norm);
}

void WriteFormPlacementTo(const QWidget* form, TRegIniStorage& storage, const QString& section)
{
    WriteFormPlacementTo(FormWindowPlacement(form), storage, section);
}

void ReadFormPlacementFrom(QWidget* form, TRegIniStorage& storage, const QString& section,
                           bool loadPosition, bool loadState)
{
    if (!form || !(loadPosition || loadState))
        return;
    QMdiSubWindow* subWindow = MdiSubWindowOf(form);
    QWidget* frame = subWindow ? static_cast<QWidget*>(subWindow) : form;
    TWindowPlacement placement = placementOfFrame(form, frame, subWindow != nullptr);
    if (!frame->isVisible())
        placement.showCmd = swHide;

    if (loadPosition) {
        placement.flags = storage.ReadInteger(section, kFlags, placement.flags);
        bool found = false;
        const QString minMax = readPosition(storage, section, kMinMaxPos);
        if (!minMax.isEmpty()) {
            int values[4] = {0, 0, 0, 0};
            parsePosition(minMax, values);
            placement.minPosition = QPoint(values[0], values[1]);
            placement.maxPosition = QPoint(values[2], values[3]);
            found = true;
        }
        const QString norm = readPosition(storage, section, kNormPos);
        QRect rect = frame->geometry();
        if (!norm.isEmpty()) {
            int values[4] = {rect.left(), rect.top(), rect.left() + rect.width(),
                             rect.top() + rect.height()};
            parsePosition(norm, values);
            rect = QRect(QPoint(values[0], values[1]), QPoint(values[2] - 1, values[3] - 1));
            found = true;
        }
        // Positions taken at another pixel density would put the window
        // somewhere else entirely.
        if (storage.ReadInteger(section, kPixelsPerInch, ScreenPixelsPerInch())
            != ScreenPixelsPerInch())
            found = false;
        if (found) {
            if (hasFixedSize(form))
                rect.setSize(frame->size());
            if (rect.right() >= rect.left()) {
                rect = ontoVisibleArea(rect, visibleAreas(frame, subWindow != nullptr));
                frame->setGeometry(rect);
            }
        }
    }

    if (loadState) {
        const bool mainForm = IsMdiParent(form);
        Qt::WindowState state = mainForm ? Qt::WindowMaximized : Qt::WindowNoState;
        switch (storage.ReadInteger(section, kShowCmd, 0)) {
        case 1:
        case 5:
        case 9:
            state = Qt::WindowNoState;
            break;
        case 2:
        case 6:
        case 7:
            state = Qt::WindowMinimized;
            break;
        case 3:
            state = Qt::WindowMaximized;
            break;
        default:
            break;
        }
        if (state == Qt::WindowMinimized && mainForm) {
            // The whole application goes to the task bar once it is up.
            form->setWindowState(Qt::WindowNoState);
            QMetaObject::invokeMethod(form, &QWidget::showMinimized, Qt::QueuedConnection);
            return;
        }
        // Re-setting the state an MDI sub-window already has would throw its
        // geometry back to what it had before.
        constexpr Qt::WindowStates sizing =
            Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
        if ((frame->windowState() & sizing) != Qt::WindowStates(state))
            frame->setWindowState((frame->windowState() & ~sizing) | state);
        if (state == Qt::WindowMinimized && subWindow && (placement.flags & wpfSetMinPosition)
            && loadPosition)
            frame->move(placement.minPosition);
    }
    form->update();
}

// ---------------------------------------------------------------------------
// TWinMinMaxInfo

void TWinMinMaxInfo::set(int index, int value)
{
    if (m_values[index] == value)
        return;
    m_values[index] = value;
    if (m_onChange)
        m_onChange();
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo& other)
{
    std::copy(std::begin(other.m_values), std::end(other.m_values), std::begin(m_values));
    if (m_onChange)
        m_onChange();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const
{
    return std::all_of(std::begin(m_values), std::end(m_values), [](int v) { return v == 0; });
}

// ---------------------------------------------------------------------------
// TFormPlacement

// Keeps the storage open for one save, restore, read or write; nested scopes
// share the outer one.
class TFormPlacement::StorageScope
{
public:
    explicit StorageScope(TFormPlacement& placement)
        : m_placement(placement)
        , m_opened(!placement.m_storage)
    {
        if (m_opened)
            m_placement.m_storage = std::make_unique<TRegIniStorage>(m_placement.IniFileName());
    }
    ~StorageScope()
    {
        if (m_opened)
            m_placement.m_storage.reset();
    }
    StorageScope(const StorageScope&) = delete;
    StorageScope& operator=(const StorageScope&) = delete;

private:
    TFormPlacement& m_placement;
    bool m_opened;
};

TFormPlacement::TFormPlacement(QObject* owner)
    : QObject(owner)
{
    m_form = owner && owner->isWidgetType() ? static_cast<QWidget*>(owner) : nullptr;
    if (m_form) {
        m_options = fpState | fpPosition;
        m_hadMaximizeButton = m_form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
        m_form->installEventFilter(this);
        // A dialog ended by accept or reject closes without a close event.
        if (auto* dialog = qobject_cast<QDialog*>(m_form.data()))
            connect(dialog, &QDialog::finished, this, [this] { saveOnFinish(); });
    }
    m_minMaxInfo.m_onChange = [this] {
        updateHook();
        applyLimits();
    };
}

TFormPlacement::~TFormPlacement()
{
    saveOnDestruction();
    m_minMaxInfo.m_onChange = nullptr;
    for (TIniLink* link : std::as_const(m_links))
        link->m_placement.clear();
}

void TFormPlacement::saveOnDestruction() noexcept
{
    if (!m_form || !m_active || m_saved)
        return;
    m_destroying = true;
    try {
        SaveFormPlacement();
    } catch (const std::exception& error) {
        report(error);
    } catch (...) {
    }
    m_saved = true;
    m_destroying = false;
}

void TFormPlacement::saveOnFinish()
{
    if (!m_active || m_saved)
        return;  // a close event of the dialog saved already
    m_shown = false;
    try {
        SaveFormPlacement();
    } catch (const std::exception& error) {
        report(error);
    }
}

QString TFormPlacement::IniFileName() const
{
    return m_iniFileName.isEmpty() ? DefaultIniRegKey() : m_iniFileName;
}

QString TFormPlacement::IniSection() const
{
    if (!m_iniSection.isEmpty())
        return m_iniSection;
    // While the form is destroyed its own class is already gone.
    if (!m_section.isEmpty() || m_destroying)
        return m_section;
    return ComponentSectionName(parent());
}

QString TFormPlacement::ReadString(const QString& section, const QString& ident,
                                   const QString& def)
{
    StorageScope scope(*this);
    return m_storage->ReadString(section, ident, def);
}

void TFormPlacement::WriteString(const QString& section, const QString& ident,
                                 const QString& value)
{
    StorageScope scope(*this);
    m_storage->WriteString(section, ident, value);
}

void TFormPlacement::watchSubWindow()
{
    QMdiSubWindow* subWindow = MdiSubWindowOf(m_form);
    if (subWindow == m_subWindow)
        return;
    if (m_subWindow)
        m_subWindow->removeEventFilter(this);
    m_subWindow = subWindow;
    m_subWindowNormal = QRect();
    if (subWindow) {
        subWindow->installEventFilter(this);
        if (!(subWindow->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            m_subWindowNormal = subWindow->geometry();
    }
}

TWindowPlacement TFormPlacement::currentPlacement() const
{
    if (!m_subWindow)
        return placementOfFrame(m_form, m_form, false);
    // Only the plain widget is used: the sub-window may be half destroyed.
    const QWidget* frame = m_subWindow.data();
    TWindowPlacement placement = placementOfFrame(m_form, frame, true);
    if ((frame->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        && m_subWindowNormal.isValid())
        placement.normalPosition = m_subWindowNormal;
    return placement;
}

void TFormPlacement::SaveFormPlacement()
{
    if (m_active && !m_restored)
        return;  // never shown: what is stored stays as it is
    if (m_form && !m_destroying)
        watchSubWindow();
    StorageScope scope(*this);
    SavePlacement();
    if (m_onSave)
        m_onSave(this);
    m_saved = true;
}

void TFormPlacement::SavePlacement()
{
    const QString section = IniSection();
    if (m_form && (m_options & (fpState | fpPosition))) {
        WriteFormPlacementTo(currentPlacement(), *m_storage, section);
        if (m_options & fpActiveControl) {
            const QWidget* focus = m_destroying ? nullptr : m_form->focusWidget();
            if (focus && focus != m_form && !focus->objectName().isEmpty())
                m_storage->WriteString(section, kActiveControl, focus->objectName());
        }
        m_storage->WriteString(section, kVisible,
                               m_destroying ? QStringLiteral("1") : QStringLiteral("0"));
    }
    for (TIniLink* link : std::as_const(m_links))
        link->SaveToIni();
}

void TFormPlacement::RestoreFormPlacement()
{
    m_saved = false;
    if (m_form) {
        if (m_iniSection.isEmpty())
            m_section = ComponentSectionName(m_form);
        watchSubWindow();
    }
    StorageScope scope(*this);
    RestorePlacement();
    m_restored = true;
    if (m_onRestore)
        m_onRestore(this);
    if (m_form && (m_options & fpActiveControl)) {
        const QString name = m_storage->ReadString(IniSection(), kActiveControl, QString());
        if (!name.isEmpty()) {
            const auto widgets = m_form->findChildren<QWidget*>();
            for (QWidget* widget : widgets) {
                if (widget->objectName().compare(name, Qt::CaseInsensitive) == 0) {
                    if (widget->focusPolicy() != Qt::NoFocus && widget->isEnabled())
                        widget->setFocus();
                    break;
                }
            }
        }
    }
    if (m_subWindow
        && !(m_subWindow->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        m_subWindowNormal = m_subWindow->geometry();
}

void TFormPlacement::RestorePlacement()
{
    if (m_form && (m_options & (fpState | fpPosition)))
        ReadFormPlacementFrom(m_form, *m_storage, IniSection(), m_options & fpPosition,
                              m_options & fpState);
    for (TIniLink* link : std::as_const(m_links))
        link->LoadFromIni();
}

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_subWindow && m_subWindow) {
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize)
            && !(m_subWindow->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            m_subWindowNormal = m_subWindow->geometry();
        return false;
    }
    if (watched != m_form || !m_form)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        // Setting an MDI sub-window's state shows the form once more from
        // within the restore: that show is part of this one.
        // An MDI sub-window changing its state shows its form again without
        // hiding it first: only a show after a hide counts.
        if (event->spontaneous() || m_shown)
            break;
        m_shown = true;
        if (m_active) {
            try {
                RestoreFormPlacement();
            } catch (const std::exception& error) {
                report(error);
            }
        }
        break;
    case QEvent::Close:
        // The form's own close handler runs after this filter; an accepted
        // close hides the form right away, within the same call.
        m_closeQueried = true;
        QTimer::singleShot(0, this, [this] { m_closeQueried = false; });
        break;
    case QEvent::Hide:
        // An MDI sub-window hides and shows itself and its form whenever it
        // changes state; an MDI child counts as hidden only once closed.
        if (!event->spontaneous() && (m_closeQueried || !m_subWindow))
            m_shown = false;
        if (m_closeQueried && !event->spontaneous()) {
            m_closeQueried = false;
            if (m_active) {
                try {
                    SaveFormPlacement();
                } catch (const std::exception& error) {
                    report(error);
                }
            }
        }
        break;
    default:
        break;
    }
    return false;
}

void TFormPlacement::SetPreventResize(bool prevent)
{
    if (m_preventResize == prevent)
        return;
    m_preventResize = prevent;
    if (m_form && m_form->isWindow()) {
        const bool wasVisible = m_form->isVisible();
        if (prevent) {
            m_hadMaximizeButton = m_form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
            m_form->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
        } else if (m_hadMaximizeButton && !(m_form->windowFlags() & Qt::MSWindowsFixedSizeDialogHint)) {
            m_form->setWindowFlag(Qt::WindowMaximizeButtonHint, true);
        }
        if (wasVisible)
            m_form->show();  // changing window flags hides a window
    }
    updateHook();
    applyLimits();
}

void TFormPlacement::updateHook()
{
    const bool needed = m_form && (m_preventResize || !m_minMaxInfo.DefaultMinMaxInfo());
    if (needed && !m_hook) {
        auto* hook = new TQcWindowHook(this);
        hook->SetBeforeMessage([this](TQcWindowHook&, THookMessage& message, bool&) {
            switch (message.event->type()) {
            case QEvent::Show:
                applyLimits();
                break;
            case QEvent::WindowStateChange:
                if (m_preventResize && m_form && (m_form->windowState() & Qt::WindowMaximized)) {
                    // A window that may not be resized may not be maximized either.
                    QTimer::singleShot(0, m_form, [form = m_form] {
                        if (form)
                            form->setWindowState(form->windowState() & ~Qt::WindowMaximized);
                    });
                }
                break;
            default:
                break;
            }
        });
        hook->SetWinControl(m_form);
        m_hook = hook;
    } else if (!needed && m_hook) {
        delete m_hook.data();
    }
}

void TFormPlacement::applyLimits()
{
    if (!m_form)
        return;
    QWidget* frame = m_subWindow ? m_subWindow.data() : m_form.data();
    const bool limited = m_preventResize || !m_minMaxInfo.DefaultMinMaxInfo();
    if (limited && !m_freeMinimum.isValid()) {
        m_freeMinimum = frame->minimumSize();
        m_freeMaximum = frame->maximumSize();
    }
    if (!limited) {
        if (m_freeMinimum.isValid()) {
            frame->setMinimumSize(m_freeMinimum);
            frame->setMaximumSize(m_freeMaximum);
            m_freeMinimum = m_freeMaximum = QSize();
        }
        return;
    }
    if (m_preventResize) {
        if (frame->isVisible())
            frame->setFixedSize(frame->size());
        return;
    }
    QSize minimum = m_freeMinimum;
    QSize maximum = m_freeMaximum;
    if (m_minMaxInfo.MinTrackWidth())
        minimum.setWidth(m_minMaxInfo.MinTrackWidth());
    if (m_minMaxInfo.MinTrackHeight())
        minimum.setHeight(m_minMaxInfo.MinTrackHeight());
    if (m_minMaxInfo.MaxTrackWidth())
        maximum.setWidth(m_minMaxInfo.MaxTrackWidth());
    if (m_minMaxInfo.MaxTrackHeight())
        maximum.setHeight(m_minMaxInfo.MaxTrackHeight());
    frame->setMinimumSize(minimum);
    frame->setMaximumSize(maximum);
}

void TFormPlacement::addLink(TIniLink* link)
{
    if (!m_links.contains(link))
        m_links.append(link);
}

void TFormPlacement::removeLink(TIniLink* link)
{
    m_links.removeAll(link);
}

// ---------------------------------------------------------------------------
// TFormStorage

TFormStorage::TFormStorage(QObject* owner)
    : TFormPlacement(owner)
{
}

TFormStorage::~TFormStorage()
{
    saveOnDestruction();
}

QStringList TFormStorage::StoredProps() const
{
    QStringList entries;
    for (const Entry& entry : m_entries)
        entries << entry.text;
    return entries;
}

void TFormStorage::SetStoredProps(const QStringList& entries)
{
    m_entries.clear();
    for (const QString& text : entries)
        m_entries.append(Entry{text, nullptr, QString(), false});
}

void TFormStorage::resolveEntries()
{
    QObject* owner = Form() ? static_cast<QObject*>(Form()) : parent();
    const bool canLook = owner && !IsDestroying();
    QList<Entry> kept;
    for (Entry& entry : m_entries) {
        if (!entry.resolved) {
            if (!canLook) {
                kept.append(entry);
                continue;
            }
            const qsizetype dot = entry.text.indexOf(QLatin1Char('.'));
            if (dot < 0)
                continue;
            const QString componentName = entry.text.left(dot).trimmed();
            const QString propertyName = entry.text.mid(dot + 1).trimmed();
            if (componentName.isEmpty() || propertyName.isEmpty())
                continue;
            QObject* component = nullptr;
            const auto children = owner->findChildren<QObject*>();
            for (QObject* child : children) {
                if (child->objectName().compare(componentName, Qt::CaseInsensitive) == 0) {
                    component = child;
                    break;
                }
            }
            if (!component)
                continue;  // no such component (any more): the entry goes
            entry.component = component;
            entry.property = propertyName;
            entry.resolved = true;
        }
        if (!entry.component)
            continue;  // its component was destroyed
        entry.text = entry.component->objectName() + QLatin1Char('.') + entry.property;
        kept.append(entry);
    }
    m_entries = kept;
}

void TFormStorage::SaveProperties()
{
    resolveEntries();
    const QString section = IniSection();
    for (const Entry& entry : std::as_const(m_entries)) {
        if (!entry.component)
            continue;
        TPropsStorage storage(entry.component, Form(), entry.component->objectName() + QLatin1Char('_'),
                              section);
        storage.SetOnWriteString([this](const QString& s, const QString& item, const QString& value) {
            WriteString(s, item, value);
        });
        storage.SetOnEraseSection([this](const QString& s) { IniEraseSection(IniObject(), s); });
        storage.StoreProperty(entry.property);
    }
}

void TFormStorage::RestoreProperties()
{
    resolveEntries();
    const QString section = IniSection();
    for (const Entry& entry : std::as_const(m_entries)) {
        if (!entry.component)
            continue;
        TPropsStorage storage(entry.component, Form(), entry.component->objectName() + QLatin1Char('_'),
                              section);
        storage.SetOnReadString([this](const QString& s, const QString& item, const QString& def) {
            return ReadString(s, item, def);
        });
        storage.LoadProperty(entry.property);
    }
}

void TFormStorage::SavePlacement()
{
    TFormPlacement::SavePlacement();
    SaveProperties();
}

void TFormStorage::RestorePlacement()
{
    TFormPlacement::RestorePlacement();
    m_restored = true;
    RestoreProperties();
}

// ---------------------------------------------------------------------------
// TIniLink

TIniLink::~TIniLink()
{
    if (m_placement)
        m_placement->removeLink(this);
}

void TIniLink::SetPreStorage(TFormPlacement* placement)
{
    if (m_placement == placement)
        return;
    if (m_placement)
        m_placement->removeLink(this);
    m_placement = placement;
    if (m_placement)
        m_placement->addLink(this);
}

TRegIniStorage* TIniLink::IniObject() const
{
    return m_placement ? m_placement->IniObject() : nullptr;
}

QString TIniLink::RootSection() const
{
    return m_placement ? m_placement->IniSection() + QLatin1Char('\\') : QString();
}

void TIniLink::SaveToIni()
{
    if (m_onSave)
        m_onSave();
}

void TIniLink::LoadFromIni()
{
    if (m_onLoad)
        m_onLoad();
}
