#pragma once

// The databases the user has registered, read from the registry when the list
// is created, written back whenever a registration changes (so a killed
// program loses none) and once more when the list is freed. Windows name a
// database by the entry's identity (GetId), or by its number, the 1-based
// position in this list.

#include <QPointer>
#include <QString>

#include <memory>
#include <stdexcept>
#include <vector>

class TQvDatabase;

// A registration the list refuses; the message is for the user.
class EDBListError : public std::runtime_error
{
public:
    explicit EDBListError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// A table, view or procedure name of a database, with its kind
// (1 table, 2 view, 3 procedure): the words SQL texts show as links.
struct TDBObjectName
{
    QString Name;
    int Kind = 0;
};
using TDBObjectNames = std::vector<TDBObjectName>;

class TDBList
{
public:
    // Reads the registered databases from the registry.
    TDBList();
    // Writes them back; a failure is shown, never thrown.
    ~TDBList();
    TDBList(const TDBList&) = delete;
    TDBList& operator=(const TDBList&) = delete;

    // Every operation that changes a registration writes the registry at once
    // (a failure is shown, never thrown); inside an update the writes wait
    // for its end (TDBListUpdate).
    void BeginUpdate() { ++m_updateDepth; }
    void EndUpdate();

    // Appends an entry with empty fields and returns its index. Refuses, with
    // EDBListError, a name that is empty, holds "\" or a line break, or
    // equals another entry's name without regard to case: each would lose a
    // registration in the registry, where the name is the key.
    int Add(const QString& name);
    // Removes the entry; its connection is not freed here.
    void Delete(int index);
    // The first entry whose name equals name without regard to case, or -1.
    int IndexOf(const QString& name) const;
    int Count() const { return int(m_entries.size()); }

    QString GetName(int index) const { return m_entries[index]->name; }
    QString GetPath(int index) const { return m_entries[index]->path; }
    QString GetUser(int index) const { return m_entries[index]->user; }
    QString GetPassword(int index) const { return m_entries[index]->password; }
    QString GetCharset(int index) const { return m_entries[index]->charset; }
    // Refuses names as Add does (the entry's own name in another case is fine).
    void SetName(int index, const QString& name);
    void SetPath(int index, const QString& path) { SetField(m_entries[index]->path, path); }
    void SetUser(int index, const QString& user) { SetField(m_entries[index]->user, user); }
    void SetPassword(int index, const QString& password) { SetField(m_entries[index]->password, password); }
    void SetCharset(int index, const QString& charset) { SetField(m_entries[index]->charset, charset); }

    // The entry's connection, set by the tree on its first connect and owned
    // there; none before, and none again once the tree has freed it.
    TQvDatabase* GetDatabase(int index) const;
    void SetDatabase(int index, TQvDatabase* database);

    // The entry's object names; the reference stays valid while the entry exists.
    TDBObjectNames& GetObjectNames(int index) { return m_entries[index]->objectNames; }

    // An identity of the entry that no other entry ever has, for windows that
    // must find their database again after entries before it were deleted.
    quint64 GetId(int index) const { return m_entries[index]->id; }
    // The index of the entry with that identity, or -1 once it is deleted.
    int IndexOfId(quint64 id) const;

    // Run by the constructor and the destructor; public for the shell's use.
    void LoadFromRegistry();
    void SaveToRegistry();

private:
    struct Entry
    {
        QString name;
        QString path;
        QString user;
        QString password;
        QString charset;
        QPointer<TQvDatabase> database;
        TDBObjectNames objectNames;
        quint64 id = 0;
    };

    void CheckName(const QString& name, int exceptIndex) const;
    int Append(const QString& name);
    void SetField(QString& field, const QString& value);
    // Writes the registry now, or at the end of the open update.
    void Changed();
    void SaveShowingErrors() noexcept;

    std::vector<std::unique_ptr<Entry>> m_entries;
    // The subkeys found at load: only these may be deleted at save, so a
    // database another running instance registered meanwhile survives.
    std::vector<QString> m_loadedNames;
    quint64 m_nextId = 1;
    int m_updateDepth = 0;
    bool m_changed = false;
};

// Changes to the list made while alive are written once, at its end.
class TDBListUpdate
{
public:
    explicit TDBListUpdate(TDBList& list) : m_list(list) { m_list.BeginUpdate(); }
    ~TDBListUpdate() { m_list.EndUpdate(); }
    TDBListUpdate(const TDBListUpdate&) = delete;
    TDBListUpdate& operator=(const TDBListUpdate&) = delete;

private:
    TDBList& m_list;
};

// The program's one list, present from start-up until the last window is gone.
extern TDBList* DBList;

// Creates DBList for its lifetime and frees it (writing the registry) at its end.
class TDBListScope
{
public:
    TDBListScope();
    ~TDBListScope();
    TDBListScope(const TDBListScope&) = delete;
    TDBListScope& operator=(const TDBListScope&) = delete;

private:
    std::unique_ptr<TDBList> m_list;
};
