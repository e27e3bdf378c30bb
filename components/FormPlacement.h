#pragma once

// Windows that come back where, how large and in which state the user left
// them: TFormPlacement stores its form's placement in the registry when the
// form's close is accepted or the form is destroyed, and restores it when
// the form is shown; TFormStorage also stores chosen properties of the
// form's components ("Panel1.Width"). Values live under
// HKEY_CURRENT_USER\<IniFileName>\<IniSection>, one key per window class.

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QMdiSubWindow;
class QvRegistry;
class TFormPlacement;
class TIniLink;
class TQcWindowHook;

// A stored coordinate or extent as a number the window geometry can do
// arithmetic on: a hand-edited or damaged value far outside any screen
// (e.g. "-2147483648") is brought within a million pixels either way.
int BoundedStoredCoordinate(qint64 value);
// The stored text as such a number; false when it is no number at all.
bool ReadStoredCoordinate(const QString& text, int& value);

// Where this application keeps every window's placement.
inline const QString kFormPlacementsKey = QStringLiteral("Software\\Qyl\\Qorvane\\FormPlacements");

// The open storage of a placement: a registry key whose subkeys are sections.
// Every value is a registry string; integers are written in decimal. A value
// of another type reads as absent.
class TRegIniStorage
{
public:
    // rootKey below HKEY_CURRENT_USER, with or without a leading "\".
    explicit TRegIniStorage(const QString& rootKey);
    ~TRegIniStorage();
    TRegIniStorage(const TRegIniStorage&) = delete;
    TRegIniStorage& operator=(const TRegIniStorage&) = delete;

    QString RootKey() const { return m_rootKey; }

    QString ReadString(const QString& section, const QString& ident, const QString& def) const;
    void WriteString(const QString& section, const QString& ident, const QString& value);
    int ReadInteger(const QString& section, const QString& ident, int def) const;
    void WriteInteger(const QString& section, const QString& ident, int value);
    bool ValueExists(const QString& section, const QString& ident) const;
    // The names of a section's values; none when the section does not exist
    // (it is not created).
    QStringList ValueNames(const QString& section) const;
    void EraseSection(const QString& section);

private:
    QString keyOf(const QString& section) const;

    QString m_rootKey;
    std::unique_ptr<QvRegistry> m_registry;
};

// Reading from no storage gives the default; writing to none does nothing.
QString IniReadString(const TRegIniStorage* storage, const QString& section,
                      const QString& ident, const QString& def);
void IniWriteString(TRegIniStorage* storage, const QString& section, const QString& ident,
                    const QString& value);
int IniReadInteger(const TRegIniStorage* storage, const QString& section, const QString& ident,
                   int def);
void IniWriteInteger(TRegIniStorage* storage, const QString& section, const QString& ident,
                     int value);
void IniEraseSection(TRegIniStorage* storage, const QString& section);

// A window's placement in the registry's terms. normalPosition is the
// restored geometry (of the MDI sub-window for an MDI child) with right and
// bottom one past the last pixel.
struct TWindowPlacement
{
    int flags = 0;          // 1: use minPosition, 2: restore to maximized
    int showCmd = 1;        // 0 hidden, 1 normal, 2 minimized, 3 maximized
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    QRect normalPosition;   // QRect(left, top, right - left, bottom - top)
};

// The MDI sub-window showing a form, or none.
QMdiSubWindow* MdiSubWindowOf(const QWidget* form);
// A main window whose central widget is an MDI area.
bool IsMdiParent(const QWidget* form);

// The current placement of a form's window.
TWindowPlacement FormWindowPlacement(const QWidget* form);

// "(1024x768)": the resolution suffix of position values.
QString ScreenResolutionSuffix();
int ScreenPixelsPerInch();

// The section of a component: a form's class name; a control on a form: the
// form's class name and the control's name; another component of a form:
// "<form class>.<name>"; a control without form: its parent's name and its name.
QString ComponentSectionName(const QObject* component);
// "Software\<organization>\<application>", the organization part only when set.
QString DefaultIniRegKey();

void WriteFormPlacementTo(const QWidget* form, TRegIniStorage& storage, const QString& section);
void WriteFormPlacementTo(const TWindowPlacement& placement, TRegIniStorage& storage,
                          const QString& section);
void ReadFormPlacementFrom(QWidget* form, TRegIniStorage& storage, const QString& section,
                           bool loadPosition, bool loadState);

enum TPlacementOption : unsigned {
    fpState = 1u << 0,
    fpPosition = 1u << 1,
    fpActiveControl = 1u << 2,
};
using TPlacementOptions = unsigned;

// Size limits of a form's window; all zero means none.
class TWinMinMaxInfo
{
public:
    int MaxPosLeft() const { return m_values[0]; }
    int MaxPosTop() const { return m_values[1]; }
    int MaxSizeHeight() const { return m_values[2]; }
    int MaxSizeWidth() const { return m_values[3]; }
    int MaxTrackHeight() const { return m_values[4]; }
    int MaxTrackWidth() const { return m_values[5]; }
    int MinTrackHeight() const { return m_values[6]; }
    int MinTrackWidth() const { return m_values[7]; }
    void SetMaxPosLeft(int value) { set(0, value); }
    void SetMaxPosTop(int value) { set(1, value); }
    void SetMaxSizeHeight(int value) { set(2, value); }
    void SetMaxSizeWidth(int value) { set(3, value); }
    void SetMaxTrackHeight(int value) { set(4, value); }
    void SetMaxTrackWidth(int value) { set(5, value); }
    void SetMinTrackHeight(int value) { set(6, value); }
    void SetMinTrackWidth(int value) { set(7, value); }

    void Assign(const TWinMinMaxInfo& other);
    bool DefaultMinMaxInfo() const;

private:
    friend class TFormPlacement;
    void set(int index, int value);

    int m_values[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    std::function<void()> m_onChange;
};

class TFormPlacement : public QObject
{
    Q_OBJECT
public:
    // owner: the form; anything else stores nothing but its links.
    explicit TFormPlacement(QObject* owner);
    ~TFormPlacement() override;

    bool Active() const { return m_active; }
    void SetActive(bool active) { m_active = active; }
    QString IniFileName() const;   // the registry key; DefaultIniRegKey() when not set
    void SetIniFileName(const QString& name) { m_iniFileName = name; }
    QString IniSection() const;    // ComponentSectionName of the owner when not set
    void SetIniSection(const QString& section) { m_iniSection = section; }
    TPlacementOptions Options() const { return m_options; }
    void SetOptions(TPlacementOptions options) { m_options = options; }
    bool PreventResize() const { return m_preventResize; }
    void SetPreventResize(bool prevent);
    TWinMinMaxInfo& MinMaxInfo() { return m_minMaxInfo; }
    const TWinMinMaxInfo& MinMaxInfo() const { return m_minMaxInfo; }
    void SetMinMaxInfo(const TWinMinMaxInfo& info) { m_minMaxInfo.Assign(info); }

    void SetOnSavePlacement(std::function<void(QObject*)> handler) { m_onSave = std::move(handler); }
    void SetOnRestorePlacement(std::function<void(QObject*)> handler) { m_onRestore = std::move(handler); }

    void SaveFormPlacement();
    void RestoreFormPlacement();

    // Open a storage for the call when none is open.
    virtual QString ReadString(const QString& section, const QString& ident, const QString& def);
    virtual void WriteString(const QString& section, const QString& ident, const QString& value);

    // The storage while a save or restore runs, else none.
    TRegIniStorage* IniObject() const { return m_storage.get(); }
    QWidget* Form() const { return m_form; }
    bool IsSaved() const { return m_saved; }
    bool IsRestored() const { return m_restored; }

protected:
    virtual void SavePlacement();
    virtual void RestorePlacement();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Saves once more unless already saved; every destructor down the class
    // chain calls it first, while its own overrides still run.
    void saveOnDestruction() noexcept;
    bool IsDestroying() const { return m_destroying; }

    bool m_restored = false;

private:
    friend class TIniLink;
    class StorageScope;

    void addLink(TIniLink* link);
    void removeLink(TIniLink* link);
    void saveOnFinish();
    void watchSubWindow();
    void updateHook();
    void applyLimits();
    TWindowPlacement currentPlacement() const;

    QPointer<QWidget> m_form;
    QPointer<QWidget> m_subWindow;   // the form's MDI sub-window, seen as a plain widget
    QRect m_subWindowNormal;         // its last geometry while neither maximized nor minimized
    QString m_section;               // fixed once known: the class name is gone while destroying
    bool m_active = true;
    QString m_iniFileName;
    QString m_iniSection;
    TPlacementOptions m_options = 0;
    bool m_preventResize = false;
    QSize m_freeMinimum;             // the form's limits before PreventResize fixed them
    QSize m_freeMaximum;
    bool m_hadMaximizeButton = true;
    TWinMinMaxInfo m_minMaxInfo;
    std::function<void(QObject*)> m_onSave;
    std::function<void(QObject*)> m_onRestore;
    std::unique_ptr<TRegIniStorage> m_storage;
    QList<TIniLink*> m_links;
    bool m_saved = false;
    bool m_destroying = false;
    bool m_closeQueried = false;
    bool m_shown = false;
    QPointer<TQcWindowHook> m_hook;
};

class TFormStorage : public TFormPlacement
{
    Q_OBJECT
public:
    explicit TFormStorage(QObject* owner);
    ~TFormStorage() override;

    // "Component.Property" entries.
    QStringList StoredProps() const;
    void SetStoredProps(const QStringList& entries);

    virtual void SaveProperties();
    virtual void RestoreProperties();

protected:
    void SavePlacement() override;
    void RestorePlacement() override;

private:
    struct Entry
    {
        QString text;
        QPointer<QObject> component;
        QString property;
        bool resolved = false;
    };
    // Binds entries to the form's components; entries that do not parse or
    // name no component are dropped.
    void resolveEntries();

    QList<Entry> m_entries;
};

// Lets another component save and load its own values whenever its
// placement does.
class TIniLink
{
public:
    TIniLink() = default;
    virtual ~TIniLink();
    TIniLink(const TIniLink&) = delete;
    TIniLink& operator=(const TIniLink&) = delete;

    TFormPlacement* PreStorage() const { return m_placement; }
    void SetPreStorage(TFormPlacement* placement);
    TRegIniStorage* IniObject() const;
    // The placement's section followed by "\", or "" without a placement.
    QString RootSection() const;

    void SetOnSave(std::function<void()> handler) { m_onSave = std::move(handler); }
    void SetOnLoad(std::function<void()> handler) { m_onLoad = std::move(handler); }

    virtual void SaveToIni();
    virtual void LoadFromIni();

private:
    friend class TFormPlacement;
    QPointer<TFormPlacement> m_placement;
    std::function<void()> m_onSave;
    std::function<void()> m_onLoad;
};
