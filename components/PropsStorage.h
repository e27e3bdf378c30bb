#pragma once

// Chosen properties of a component written as texts and read back, one
// value per property, through read/write handlers of whoever stores them.
// Qt's geometry properties are read-only, so a widget's "Left", "Top",
// "Width", "Height" and "Align" go through a small adapter instead.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class TPropsStorage
{
public:
    using ReadStringEvent =
        std::function<QString(const QString& section, const QString& item, const QString& def)>;
    using WriteStringEvent =
        std::function<void(const QString& section, const QString& item, const QString& value)>;
    using EraseSectionEvent = std::function<void(const QString& section)>;

    // object: whose properties are handled; ownerForm: the form stored
    // component references are relative to.
    TPropsStorage(QObject* object, QWidget* ownerForm, const QString& prefix,
                  const QString& section);
    virtual ~TPropsStorage() = default;
    TPropsStorage(const TPropsStorage&) = delete;
    TPropsStorage& operator=(const TPropsStorage&) = delete;

    void SetOnReadString(ReadStringEvent handler) { m_onReadString = std::move(handler); }
    void SetOnWriteString(WriteStringEvent handler) { m_onWriteString = std::move(handler); }
    void SetOnEraseSection(EraseSectionEvent handler) { m_onEraseSection = std::move(handler); }

    QObject* Object() const { return m_object; }
    QString Prefix() const { return m_prefix; }
    QString Section() const { return m_section; }

    virtual QString ReadString(const QString& section, const QString& item, const QString& def);
    virtual void WriteString(const QString& section, const QString& item, const QString& value);
    virtual void EraseSection(const QString& section);
    virtual QString GetItemName(const QString& propName) const;

    // The property of that name (letter case aside): false when the object
    // has none that can be stored.
    bool StoreProperty(const QString& propName);
    bool LoadProperty(const QString& propName);

    // True when the object has a storable property of that name.
    static bool HasStorableProperty(const QObject* object, const QString& propName);

private:
    struct Property;
    bool findProperty(const QString& propName, Property& property) const;
    QString storedText(const Property& property, bool& writeEmpty) const;
    void applyText(const Property& property, const QString& text);
    void storeStringList(const Property& property);
    void loadStringList(const Property& property);
    QString componentText(const QObject* component) const;
    QObject* componentFromText(const QString& text) const;

    QPointer<QObject> m_object;
    QPointer<QWidget> m_ownerForm;
    QString m_prefix;
    QString m_section;
    ReadStringEvent m_onReadString;
    WriteStringEvent m_onWriteString;
    EraseSectionEvent m_onEraseSection;
};

// The form a component sits on: the nearest widget up its parents that is a
// window of its own or the content of an MDI sub-window.
QWidget* FormOfComponent(const QObject* component);
bool IsForm(const QWidget* widget);

// Leading and trailing blanks and control characters removed.
QString TrimStoredValue(const QString& value);
