#pragma once

// The per-user registry: keys holding named string, integer and binary
// values, kept in one text file in the layout of a registry export
// ($QORVANE_REGISTRY, else $XDG_CONFIG_HOME/Qyl/Qorvane/registry.reg).
//
// Everything lives under HKEY_CURRENT_USER. A key path beginning with "\" is
// taken from there, any other relative to the key opened last. Key and value
// names compare without regard to case and keep the case first written.
//
// Every change is on disk when its call returns, and another running process
// never loses it: the file is locked, read again, changed, written to a
// temporary file and renamed over the old one.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace qvregistry_detail {
class Store;
}

// A registry call that cannot do what it was asked: the message names the value.
class EQvRegistryError : public std::runtime_error
{
public:
    explicit EQvRegistryError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

class QvRegistry
{
public:
    enum class DataType { Unknown, String, Integer, Binary };

    // The user's registry file.
    QvRegistry();
    // Another registry file (tests, tools).
    explicit QvRegistry(const QString& fileName);
    ~QvRegistry();
    QvRegistry(const QvRegistry&) = delete;
    QvRegistry& operator=(const QvRegistry&) = delete;

    // $QORVANE_REGISTRY when set, else $XDG_CONFIG_HOME (default ~/.config)
    // followed by "/Qyl/Qorvane/registry.reg".
    static QString defaultFileName();
    QString fileName() const;

    // Makes key the current key. Without canCreate a missing key gives false;
    // with it the key and its missing parents are created (and written).
    // False also for an empty or malformed path ("a\\b") or a name holding a
    // line break or a lone UTF-16 surrogate.
    bool openKey(const QString& key, bool canCreate);
    // As openKey without creating; writes through this object then fail.
    bool openKeyReadOnly(const QString& key);
    // Back to HKEY_CURRENT_USER itself.
    void closeKey();
    // The current key's path below HKEY_CURRENT_USER, without a leading "\",
    // in the case it was first written ("" for HKEY_CURRENT_USER).
    QString currentPath() const;

    bool keyExists(const QString& key) const;
    // Deletes the key with everything below it. False when it does not
    // exist, or for HKEY_CURRENT_USER itself.
    bool deleteKey(const QString& key);

    // Of the current key. Subkeys in case-insensitive order, values in the
    // order they were first written.
    bool hasSubKeys() const;
    QStringList keyNames() const;
    QStringList valueNames() const;
    bool valueExists(const QString& name) const;
    DataType dataType(const QString& name) const;   // Unknown when absent
    bool deleteValue(const QString& name);

    // A missing string reads as "" and missing binary data as no bytes; a
    // missing integer raises "Failed to get data for '<name>'". A value of
    // another kind raises "Invalid data type for '<name>'".
    QString readString(const QString& name) const;
    int readInteger(const QString& name) const;
    bool readBool(const QString& name) const;   // an integer, true unless 0
    QByteArray readBinary(const QString& name) const;

    // A failed write raises "Failed to set data for '<name>'", followed by the
    // reason; a name or text holding a lone UTF-16 surrogate is refused so.
    void writeString(const QString& name, const QString& value);
    void writeInteger(const QString& name, int value);
    void writeBool(const QString& name, bool value);   // the integer 0 or 1
    void writeBinary(const QString& name, const QByteArray& value);

    // Told when the file could not be read: it was kept aside as
    // "registry.reg.bad" (never overwritten) and the registry starts empty.
    // By default the text is shown in a warning box of the dialog layer.
    using NoticeHandler = std::function<void(const QString& text)>;
    static NoticeHandler setNoticeHandler(NoticeHandler handler);

    // Runs between writing the temporary file and renaming it over the old
    // one; tests stop a write there to stand for a crash.
    static void setBeforeReplaceHook(std::function<void(const QString& tempFile)> hook);

private:
    std::optional<QStringList> resolve(const QString& key) const;
    void writeValue(const QString& name, int type, const QString& text, quint32 number,
                    const QByteArray& bytes);

    std::shared_ptr<qvregistry_detail::Store> m_store;
    QStringList m_current;   // path components of the current key
    bool m_readOnly = false;
};
