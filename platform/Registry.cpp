#include "platform/Registry.h"

#include "platform/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvregistry_detail {

namespace {

const QString kRootName = QStringLiteral("HKEY_CURRENT_USER");
const QByteArray kHeader = QByteArrayLiteral("Windows Registry Editor Version 5.00");
// Far more than any user's settings; a file beyond it is not a registry file.
constexpr qint64 kMaximumFileSize = 16 * 1024 * 1024;

QString tooLarge()
{
    return QStringLiteral("it is larger than %1 MB").arg(kMaximumFileSize / (1024 * 1024));
}

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool lessName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// UTF-8 cannot carry a lone surrogate: it would be written as "?".
bool hasLoneSurrogate(const QString& text)
{
    return !text.isValidUtf16();
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

enum ValueType { StringValue = 1, IntegerValue = 2, BinaryValue = 3 };

struct Value
{
    QString name;
    int type = StringValue;
    QString text;
    quint32 number = 0;
    QByteArray bytes;

    bool sameData(const Value& other) const
    {
        return type == other.type && text == other.text && number == other.number
               && bytes == other.bytes;
    }
};

struct Key
{
    QString name;
    std::vector<Value> values;
    std::vector<std::unique_ptr<Key>> subkeys;   // in case-insensitive order

    Key* child(const QString& childName) const
    {
        const auto it = lowerBound(childName);
        return it != subkeys.end() && sameName((*it)->name, childName) ? it->get() : nullptr;
    }

    Key* addChild(const QString& childName)
    {
        const auto it = lowerBound(childName);
        if (it != subkeys.end() && sameName((*it)->name, childName))
            return it->get();
        auto key = std::make_unique<Key>();
        key->name = childName;
        return subkeys.insert(it, std::move(key))->get();
    }

    bool removeChild(const QString& childName)
    {
        const auto it = lowerBound(childName);
        if (it == subkeys.end() || !sameName((*it)->name, childName))
            return false;
        subkeys.erase(it);
        return true;
    }

    const Value* value(const QString& valueName) const
    {
        for (const Value& v : values)
            if (sameName(v.name, valueName))
                return &v;
        return nullptr;
    }

    Key* find(const QStringList& path)
    {
        Key* key = this;
        for (const QString& part : path)
            if (!(key = key->child(part)))
                return nullptr;
        return key;
    }

private:
    std::vector<std::unique_ptr<Key>>::const_iterator lowerBound(const QString& childName) const
    {
        return std::lower_bound(subkeys.begin(), subkeys.end(), childName,
                                [](const std::unique_ptr<Key>& k, const QString& n) {
                                    return lessName(k->name, n);
                                });
    }
};

// ---- text layout ---------------------------------------------------------

namespace {

QString quoted(const QString& text)
{
    QString result;
    result.reserve(text.size() + 2);
    result += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            result += QLatin1Char('\\');
        result += c;
    }
    result += QLatin1Char('"');
    return result;
}

QString hexList(const QByteArray& bytes)
{
    QString result;
    result.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i)
            result += QLatin1Char(',');
        result += QStringLiteral("%1").arg(quint8(bytes[i]), 2, 16, QLatin1Char('0'));
    }
    return result;
}

QString valueLine(const Value& value)
{
    QString line = value.name.isEmpty() ? QStringLiteral("@") : quoted(value.name);
    line += QLatin1Char('=');
    switch (value.type) {
    case StringValue:
        if (hasControlCharacter(value.text)) {
            // Line breaks would break the layout: such text goes as the
            // export's hex form of a string, UTF-16 with its terminator.
            QByteArray utf16;
            utf16.reserve((value.text.size() + 1) * 2);
            for (const QChar c : value.text)
                utf16.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
            utf16.append('\0').append('\0');
            line += QStringLiteral("hex(1):") + hexList(utf16);
        } else {
            line += quoted(value.text);
        }
        break;
    case IntegerValue:
        line += QStringLiteral("dword:%1").arg(value.number, 8, 16, QLatin1Char('0'));
        break;
    default:
        line += QStringLiteral("hex:") + hexList(value.bytes);
        break;
    }
    return line;
}

void writeKey(const Key& key, const QString& path, bool isRoot, QString& out)
{
    if (!key.values.empty() || (key.subkeys.empty() && !isRoot)) {
        out += QLatin1Char('[') + path + QStringLiteral("]\n");
        for (const Value& value : key.values)
            out += valueLine(value) + QLatin1Char('\n');
        out += QLatin1Char('\n');
    }
    for (const auto& child : key.subkeys)
        writeKey(*child, path + QLatin1Char('\\') + child->name, false, out);
}

// Reads a quoted text starting at pos (on the opening quote); pos ends after
// the closing quote.
bool readQuoted(const QString& line, qsizetype& pos, QString& text)
{
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        return false;
    ++pos;
    text.clear();
    while (pos < line.size()) {
        const QChar c = line[pos++];
        if (c == QLatin1Char('"'))
            return true;
        if (c == QLatin1Char('\\')) {
            if (pos >= line.size())
                return false;
            const QChar escaped = line[pos++];
            if (escaped != QLatin1Char('\\') && escaped != QLatin1Char('"'))
                return false;
            text += escaped;
        } else {
            text += c;
        }
    }
    return false;
}

bool readHexList(const QString& text, QByteArray& bytes)
{
    bytes.clear();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return true;
    for (const QString& item : trimmed.split(QLatin1Char(','))) {
        const QString byte = item.trimmed();
        bool ok = false;
        const uint v = byte.toUInt(&ok, 16);
        if (!ok || byte.size() > 2 || byte.isEmpty() || v > 0xff)
            return false;
        bytes.append(char(v));
    }
    return true;
}

struct ParseFailure
{
    int line = 0;
    QString what;
};

bool parseValueData(const QString& data, Value& value)
{
    if (data.startsWith(QLatin1Char('"'))) {
        qsizetype pos = 0;
        if (!readQuoted(data, pos, value.text) || !data.mid(pos).trimmed().isEmpty())
            return false;
        value.type = StringValue;
        return true;
    }
    if (data.startsWith(QLatin1String("dword:"))) {
        const QString digits = data.mid(6).trimmed();
        bool ok = false;
        value.number = digits.toUInt(&ok, 16);
        value.type = IntegerValue;
        return ok && !digits.isEmpty() && digits.size() <= 8 && !digits.startsWith(QLatin1Char('+'));
    }
    if (data.startsWith(QLatin1String("hex:"))) {
        value.type = BinaryValue;
        return readHexList(data.mid(4), value.bytes);
    }
    if (data.startsWith(QLatin1String("hex(1):"))) {
        QByteArray utf16;
        if (!readHexList(data.mid(7), utf16) || utf16.size() % 2)
            return false;
        QString text;
        text.reserve(utf16.size() / 2);
        for (qsizetype i = 0; i < utf16.size(); i += 2)
            text += QChar(char16_t(quint8(utf16[i]) | (quint8(utf16[i + 1]) << 8)));
        if (text.endsWith(QChar(0)))
            text.chop(1);
        value.type = StringValue;
        value.text = text;
        return true;
    }
    return false;
}

std::unique_ptr<Key> parse(const QByteArray& data, ParseFailure& failure)
{
    auto root = std::make_unique<Key>();
    root->name = kRootName;

    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(data);
    if (decoder.hasError()) {
        failure = {0, QStringLiteral("it is not UTF-8 text")};
        return nullptr;
    }
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);

    const QStringList lines = text.split(QLatin1Char('\n'));
    Key* current = nullptr;
    bool seenContent = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i + 1);
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (!seenContent) {
            seenContent = true;
            if (trimmed == QLatin1String(kHeader))
                continue;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']'))) {
                failure = {lineNumber, QStringLiteral("a key line has no closing bracket")};
                return nullptr;
            }
            const QStringList parts = trimmed.mid(1, trimmed.size() - 2).split(QLatin1Char('\\'));
            if (!sameName(parts.first(), kRootName)) {
                failure = {lineNumber, QStringLiteral("a key lies outside HKEY_CURRENT_USER")};
                return nullptr;
            }
            current = root.get();
            for (qsizetype p = 1; p < parts.size(); ++p) {
                if (parts[p].isEmpty()) {
                    failure = {lineNumber, QStringLiteral("a key path has an empty name")};
                    return nullptr;
                }
                current = current->addChild(parts[p]);
            }
            continue;
        }
        if (!current) {
            failure = {lineNumber, QStringLiteral("a value stands before any key")};
            return nullptr;
        }
        Value value;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (!readQuoted(line, pos, value.name)) {
            failure = {lineNumber, QStringLiteral("the line is neither a key nor a value")};
            return nullptr;
        }
        if (pos >= line.size() || line[pos] != QLatin1Char('=')) {
            failure = {lineNumber, QStringLiteral("a value has no \"=\"")};
            return nullptr;
        }
        QString data = line.mid(pos + 1);
        // Long hex data continues on the next lines after a backslash.
        while (data.trimmed().endsWith(QLatin1Char('\\')) && i + 1 < lines.size()) {
            data = data.trimmed();
            data.chop(1);
            QString next = lines[++i];
            if (next.endsWith(QLatin1Char('\r')))
                next.chop(1);
            data += next.trimmed();
        }
        if (!parseValueData(data, value)) {
            failure = {lineNumber, QStringLiteral("a value's data cannot be read")};
            return nullptr;
        }
        auto existing = std::find_if(current->values.begin(), current->values.end(),
                                     [&](const Value& v) { return sameName(v.name, value.name); });
        if (existing != current->values.end()) {
            value.name = existing->name;
            *existing = value;
        } else {
            current->values.push_back(value);
        }
    }
    return root;
}

QByteArray serialize(const Key& root)
{
    QString out = QLatin1String(kHeader) + QStringLiteral("\n\n");
    writeKey(root, kRootName, true, out);
    return out.toUtf8();
}

// ---- files ---------------------------------------------------------------

struct Identity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modified = 0;

    static Identity of(const struct stat& st)
    {
        return {true, st.st_dev, st.st_ino, st.st_size,
                qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    bool operator==(const Identity&) const = default;
};

Identity identityOf(const QString& fileName)
{
    struct stat st;
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0)
        return {};
    return Identity::of(st);
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// An exclusive lock on "<file>.lock", held while alive. The data file itself
// cannot carry the lock: every write replaces it.
class FileLock
{
public:
    explicit FileLock(const QString& fileName)
        : m_fd(::open(QFile::encodeName(fileName + QStringLiteral(".lock")).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (!m_fd.valid()) {
            m_error = errno;
            return;
        }
        while (::flock(m_fd.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_error = errno;
                return;
            }
        }
        m_locked = true;
    }
    bool locked() const { return m_locked; }
    int error() const { return m_error; }

private:
    FileDescriptor m_fd;   // closing it releases the lock
    bool m_locked = false;
    int m_error = 0;
};

bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Creates the missing folders of a path, each private to the user.
bool makeFolders(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent != folder && !makeFolders(parent))
        return false;
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    ::chmod(name.constData(), 0700);
    return true;
}

std::function<void(const QString&)>& beforeReplaceHook()
{
    static std::function<void(const QString&)> hook;
    return hook;
}

QvRegistry::NoticeHandler& noticeHandler()
{
    static QvRegistry::NoticeHandler handler;
    return handler;
}

void deliverNotice(const QString& text)
{
    const QvRegistry::NoticeHandler handler = noticeHandler();
    if (handler)
        handler(text);
    else
        qv::messageDlg(text, qv::mtWarning, qv::mbOK);
}

} // namespace

// One registry file as this process last saw it, shared by every QvRegistry
// on that file.
class Store
{
public:
    explicit Store(QString fileName) : m_fileName(std::move(fileName)), m_root(emptyRoot()) {}

    static std::shared_ptr<Store> forFile(const QString& fileName)
    {
        static std::mutex mutex;
        static std::map<QString, std::shared_ptr<Store>> stores;
        const std::lock_guard<std::mutex> guard(mutex);
        const QString key = QFileInfo(fileName).absoluteFilePath();
        auto& store = stores[key];
        if (!store)
            store = std::make_shared<Store>(key);
        return store;
    }

    const QString& fileName() const { return m_fileName; }

    template <typename Reader>
    auto read(Reader reader)
    {
        QStringList notices;
        auto finish = [&] {
            for (const QString& notice : notices)
                deliverNotice(notice);
        };
        std::unique_lock<std::recursive_mutex> guard(m_mutex);
        refresh(notices);
        if constexpr (std::is_void_v<decltype(reader(*m_root))>) {
            reader(*m_root);
            guard.unlock();
            finish();
        } else {
            auto result = reader(*m_root);
            guard.unlock();
            finish();
            return result;
        }
    }

    // Applies change to the file's current contents and writes them when it
    // reports a change. Throws EQvRegistryError(failureText + reason).
    void change(const std::function<bool(Key&)>& change, const QString& failureText)
    {
        QStringList notices;
        QString failure;
        {
            const std::lock_guard<std::recursive_mutex> guard(m_mutex);
            failure = changeLocked(change, notices);
        }
        for (const QString& notice : notices)
            deliverNotice(notice);
        if (!failure.isEmpty())
            throw EQvRegistryError(failureText + QLatin1Char('\n') + failure);
    }

private:
    static std::unique_ptr<Key> emptyRoot()
    {
        auto root = std::make_unique<Key>();
        root->name = kRootName;
        return root;
    }

    void refresh(QStringList& notices)
    {
        const Identity now = identityOf(m_fileName);
        if (m_loaded && now == m_identity)
            return;
        if (!now.exists) {
            m_root = emptyRoot();
            m_identity = now;
            m_unusable.clear();
            m_loaded = true;
            return;
        }
        const FileLock lock(m_fileName);
        load(lock.locked(), notices);
    }

    QString changeLocked(const std::function<bool(Key&)>& change, QStringList& notices)
    {
        const QString folder = QFileInfo(m_fileName).absolutePath();
        if (!makeFolders(folder))
            return QStringLiteral("%1: %2").arg(folder, systemError(errno));
        const FileLock lock(m_fileName);
        if (!lock.locked())
            return QStringLiteral("%1.lock: %2").arg(m_fileName, systemError(lock.error()));
        // Another process may have written since: work on what is on disk now.
        load(true, notices);
        if (!m_unusable.isEmpty())
            return m_unusable;
        bool changed = false;
        try {
            changed = change(*m_root);
        } catch (...) {
            m_loaded = false;   // a half-made change must not be read back
            throw;
        }
        if (!changed)
            return {};
        const QString error = commit();
        if (!error.isEmpty())
            m_loaded = false;   // memory holds the unwritten change: read again next time
        return error;
    }

    void load(bool locked, QStringList& notices)
    {
        m_loaded = true;
        m_unusable.clear();
        m_root = emptyRoot();
        // Never blocks: a FIFO put in the file's place opens at once and is refused below.
        FileDescriptor fd(
            ::open(QFile::encodeName(m_fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
        if (!fd.valid()) {
            const int error = errno;
            m_identity = {};
            if (error != ENOENT) {
                // Unreadable, not absent: writing would destroy what it holds.
                m_unusable = QStringLiteral("%1: %2").arg(m_fileName, systemError(error));
                m_identity = identityOf(m_fileName);
            }
            return;
        }
        struct stat st;
        QByteArray data;
        bool readOk = ::fstat(fd.get(), &st) == 0;
        ParseFailure failure;
        if (readOk) {
            m_identity = Identity::of(st);
            if (!S_ISREG(st.st_mode)) {
                failure.what = QStringLiteral("it is not a regular file");
            } else if (st.st_size > kMaximumFileSize) {
                failure.what = tooLarge();
            } else {
                // Bounded even when the file grows while it is read.
                char buffer[65536];
                for (;;) {
                    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n < 0)
                        readOk = false;
                    if (n <= 0)
                        break;
                    data.append(buffer, n);
                    if (data.size() > kMaximumFileSize) {
                        failure.what = tooLarge();
                        break;
                    }
                }
            }
        }
        if (!readOk) {
            m_unusable = QStringLiteral("%1: %2").arg(m_fileName, systemError(errno));
            return;
        }
        if (failure.what.isEmpty()) {
            if (std::unique_ptr<Key> root = parse(data, failure)) {
                m_root = std::move(root);
                return;
            }
        }
        const QString reason = failure.line > 0
                                   ? QStringLiteral("line %1: %2").arg(failure.line).arg(failure.what)
                                   : failure.what;
        const QString keptAs = locked ? moveAside() : QString();
        if (keptAs.isEmpty()) {
            m_unusable = QStringLiteral("%1 cannot be read (%2) and could not be kept aside")
                             .arg(m_fileName, reason);
            notices << QStringLiteral("The settings file \"%1\" cannot be read (%2), and it could "
                                      "not be kept aside. Settings are not saved until it is "
                                      "repaired or removed.")
                           .arg(m_fileName, reason);
            return;
        }
        m_identity = {};
        notices << QStringLiteral("The settings file \"%1\" cannot be read (%2). It was kept as "
                                  "\"%3\" and the settings start empty.")
                       .arg(m_fileName, reason, keptAs);
    }

    // Renames the unreadable file to the first free "<file>.bad", "<file>.bad.1", ...
    QString moveAside()
    {
        for (int n = 0; n < 1000; ++n) {
            const QString target = m_fileName + QStringLiteral(".bad")
                                   + (n ? QStringLiteral(".%1").arg(n) : QString());
            const QByteArray name = QFile::encodeName(target);
            struct stat st;
            if (::lstat(name.constData(), &st) == 0)
                continue;
            // link + unlink never replaces a file that appeared meanwhile.
            if (::link(QFile::encodeName(m_fileName).constData(), name.constData()) != 0)
                return {};
            ::unlink(QFile::encodeName(m_fileName).constData());
            return target;
        }
        return {};
    }

    QString commit()
    {
        const QString tempName = m_fileName + QStringLiteral(".tmp");
        const QByteArray temp = QFile::encodeName(tempName);
        const QByteArray target = QFile::encodeName(m_fileName);
        const QByteArray data = serialize(*m_root);
        auto failed = [&](const QString& what) {
            const QString text = QStringLiteral("%1: %2").arg(what, systemError(errno));
            ::unlink(temp.constData());
            return text;
        };
        {
            FileDescriptor fd(::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
            if (!fd.valid())
                return failed(tempName);
            if (::fchmod(fd.get(), 0600) != 0 || !writeAll(fd.get(), data) || ::fsync(fd.get()) != 0)
                return failed(tempName);
            if (::close(fd.release()) != 0)
                return failed(tempName);
        }
        if (const auto& hook = beforeReplaceHook())
            hook(tempName);
        if (::rename(temp.constData(), target.constData()) != 0)
            return failed(m_fileName);
        const FileDescriptor folder(::open(QFile::encodeName(QFileInfo(m_fileName).absolutePath()).constData(),
                                           O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.valid())
            ::fsync(folder.get());
        m_identity = identityOf(m_fileName);
        return {};
    }

    std::recursive_mutex m_mutex;
    const QString m_fileName;
    std::unique_ptr<Key> m_root;
    Identity m_identity;
    bool m_loaded = false;
    QString m_unusable;   // why the file must not be written, when it must not
};

} // namespace qvregistry_detail

using qvregistry_detail::Key;
using qvregistry_detail::Value;

namespace {

QString failedToSet(const QString& name)
{
    return QStringLiteral("Failed to set data for '%1'").arg(name);
}

} // namespace

QvRegistry::QvRegistry() : QvRegistry(defaultFileName()) {}

QvRegistry::QvRegistry(const QString& fileName)
    : m_store(qvregistry_detail::Store::forFile(fileName))
{
}

QvRegistry::~QvRegistry() = default;

QString QvRegistry::defaultFileName()
{
    const QString explicitFile = qEnvironmentVariable("QORVANE_REGISTRY");
    if (!explicitFile.isEmpty())
        return explicitFile;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Qyl/Qorvane/registry.reg");
}

QString QvRegistry::fileName() const
{
    return m_store->fileName();
}

std::optional<QStringList> QvRegistry::resolve(const QString& key) const
{
    QString path = key;
    const bool absolute = path.startsWith(QLatin1Char('\\'));
    if (absolute)
        path.remove(0, 1);
    if (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    QStringList result = absolute ? QStringList() : m_current;
    if (path.isEmpty())
        return result;
    for (const QString& part : path.split(QLatin1Char('\\'))) {
        if (part.isEmpty() || qvregistry_detail::hasControlCharacter(part)
            || qvregistry_detail::hasLoneSurrogate(part))
            return std::nullopt;
        result << part;
    }
    return result;
}

bool QvRegistry::openKey(const QString& key, bool canCreate)
{
    const std::optional<QStringList> path = resolve(key);
    if (!path)
        return false;
    auto storedPath = [&](Key& root) -> std::optional<QStringList> {
        QStringList names;
        Key* k = &root;
        for (const QString& part : *path) {
            if (!(k = k->child(part)))
                return std::nullopt;
            names << k->name;
        }
        return names;
    };
    std::optional<QStringList> found = m_store->read(storedPath);
    if (!found && canCreate) {
        try {
            m_store->change(
                [&](Key& root) {
                    Key* k = &root;
                    bool created = false;
                    for (const QString& part : *path) {
                        Key* next = k->child(part);
                        if (!next) {
                            next = k->addChild(part);
                            created = true;
                        }
                        k = next;
                    }
                    return created;
                },
                QStringLiteral("Failed to create key '%1'").arg(key));
        } catch (const EQvRegistryError&) {
            return false;
        }
        found = m_store->read(storedPath);
    }
    if (!found)
        return false;
    m_current = *found;
    m_readOnly = false;
    return true;
}

bool QvRegistry::openKeyReadOnly(const QString& key)
{
    if (!openKey(key, false))
        return false;
    m_readOnly = true;
    return true;
}

void QvRegistry::closeKey()
{
    m_current.clear();
    m_readOnly = false;
}

QString QvRegistry::currentPath() const
{
    return m_current.join(QLatin1Char('\\'));
}

bool QvRegistry::keyExists(const QString& key) const
{
    const std::optional<QStringList> path = resolve(key);
    return path && m_store->read([&](Key& root) { return root.find(*path) != nullptr; });
}

bool QvRegistry::deleteKey(const QString& key)
{
    const std::optional<QStringList> path = resolve(key);
    if (!path || path->isEmpty() || m_readOnly)
        return false;
    bool deleted = false;
    try {
        m_store->change(
            [&](Key& root) {
                Key* parent = root.find(path->mid(0, path->size() - 1));
                deleted = parent && parent->removeChild(path->last());
                return deleted;
            },
            QStringLiteral("Failed to delete key '%1'").arg(key));
    } catch (const EQvRegistryError&) {
        return false;
    }
    return deleted;
}

bool QvRegistry::hasSubKeys() const
{
    return m_store->read([&](Key& root) {
        const Key* k = root.find(m_current);
        return k && !k->subkeys.empty();
    });
}

QStringList QvRegistry::keyNames() const
{
    return m_store->read([&](Key& root) {
        QStringList names;
        if (const Key* k = root.find(m_current))
            for (const auto& child : k->subkeys)
                names << child->name;
        return names;
    });
}

QStringList QvRegistry::valueNames() const
{
    return m_store->read([&](Key& root) {
        QStringList names;
        if (const Key* k = root.find(m_current))
            for (const Value& v : k->values)
                names << v.name;
        return names;
    });
}

bool QvRegistry::valueExists(const QString& name) const
{
    return dataType(name) != DataType::Unknown;
}

QvRegistry::DataType QvRegistry::dataType(const QString& name) const
{
    return m_store->read([&](Key& root) {
        const Key* k = root.find(m_current);
        const Value* v = k ? k->value(name) : nullptr;
        if (!v)
            return DataType::Unknown;
        switch (v->type) {
        case qvregistry_detail::StringValue:
            return DataType::String;
        case qvregistry_detail::IntegerValue:
            return DataType::Integer;
        default:
            return DataType::Binary;
        }
    });
}

bool QvRegistry::deleteValue(const QString& name)
{
    if (m_readOnly)
        return false;
    bool deleted = false;
    try {
        m_store->change(
            [&](Key& root) {
                Key* k = root.find(m_current);
                if (!k)
                    return false;
                const auto it = std::find_if(k->values.begin(), k->values.end(), [&](const Value& v) {
                    return qvregistry_detail::sameName(v.name, name);
                });
                deleted = it != k->values.end();
                if (deleted)
                    k->values.erase(it);
                return deleted;
            },
            QStringLiteral("Failed to delete value '%1'").arg(name));
    } catch (const EQvRegistryError&) {
        return false;
    }
    return deleted;
}

namespace {

// The value as stored, or nullopt when absent.
std::optional<Value> storedValue(qvregistry_detail::Store& store, const QStringList& path,
                                 const QString& name)
{
    return store.read([&](Key& root) -> std::optional<Value> {
        const Key* k = root.find(path);
        const Value* v = k ? k->value(name) : nullptr;
        return v ? std::optional<Value>(*v) : std::nullopt;
    });
}

[[noreturn]] void invalidType(const QString& name)
{
    throw EQvRegistryError(QStringLiteral("Invalid data type for '%1'").arg(name));
}

} // namespace

QString QvRegistry::readString(const QString& name) const
{
    const std::optional<Value> v = storedValue(*m_store, m_current, name);
    if (!v)
        return {};
    if (v->type != qvregistry_detail::StringValue)
        invalidType(name);
    return v->text;
}

int QvRegistry::readInteger(const QString& name) const
{
    const std::optional<Value> v = storedValue(*m_store, m_current, name);
    if (!v)
        throw EQvRegistryError(QStringLiteral("Failed to get data for '%1'").arg(name));
    if (v->type != qvregistry_detail::IntegerValue)
        invalidType(name);
    return static_cast<int>(v->number);
}

bool QvRegistry::readBool(const QString& name) const
{
    return readInteger(name) != 0;
}

QByteArray QvRegistry::readBinary(const QString& name) const
{
    const std::optional<Value> v = storedValue(*m_store, m_current, name);
    if (!v)
        return {};
    if (v->type != qvregistry_detail::BinaryValue)
        invalidType(name);
    return v->bytes;
}

void QvRegistry::writeValue(const QString& name, int type, const QString& text, quint32 number,
                            const QByteArray& bytes)
{
    if (m_readOnly)
        throw EQvRegistryError(failedToSet(name) + QStringLiteral("\nthe key is open for reading only"));
    if (qvregistry_detail::hasControlCharacter(name))
        throw EQvRegistryError(failedToSet(name) + QStringLiteral("\na value name cannot hold control characters"));
    if (qvregistry_detail::hasLoneSurrogate(name))
        throw EQvRegistryError(failedToSet(name)
                               + QStringLiteral("\na value name cannot hold a lone UTF-16 surrogate"));
    if (type == qvregistry_detail::StringValue && qvregistry_detail::hasLoneSurrogate(text))
        throw EQvRegistryError(failedToSet(name)
                               + QStringLiteral("\nthe text holds a lone UTF-16 surrogate, which cannot be stored"));
    Value value;
    value.name = name;
    value.type = type;
    value.text = text;
    value.number = number;
    value.bytes = bytes;
    bool keyMissing = false;
    m_store->change(
        [&](Key& root) {
            Key* k = root.find(m_current);
            if (!k) {
                keyMissing = true;
                return false;
            }
            for (Value& existing : k->values) {
                if (qvregistry_detail::sameName(existing.name, name)) {
                    if (existing.sameData(value))
                        return false;
                    value.name = existing.name;   // keeps the case first written
                    existing = value;
                    return true;
                }
            }
            k->values.push_back(value);
            return true;
        },
        failedToSet(name));
    if (keyMissing)
        throw EQvRegistryError(failedToSet(name) + QStringLiteral("\nthe key %1 no longer exists")
                                                       .arg(currentPath()));
}

void QvRegistry::writeString(const QString& name, const QString& value)
{
    writeValue(name, qvregistry_detail::StringValue, value, 0, {});
}

void QvRegistry::writeInteger(const QString& name, int value)
{
    writeValue(name, qvregistry_detail::IntegerValue, {}, static_cast<quint32>(value), {});
}

void QvRegistry::writeBool(const QString& name, bool value)
{
    writeInteger(name, value ? 1 : 0);
}

void QvRegistry::writeBinary(const QString& name, const QByteArray& value)
{
    writeValue(name, qvregistry_detail::BinaryValue, {}, 0, value);
}

QvRegistry::NoticeHandler QvRegistry::setNoticeHandler(NoticeHandler handler)
{
    return std::exchange(qvregistry_detail::noticeHandler(), std::move(handler));
}

void QvRegistry::setBeforeReplaceHook(std::function<void(const QString&)> hook)
{
    qvregistry_detail::beforeReplaceHook() = std::move(hook);
}
