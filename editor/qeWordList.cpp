#include "editor/qeWordList.h"

#include <algorithm>

namespace {

inline char16_t upperUnit(char16_t c) noexcept
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
    return QChar::toUpper(c);
}

} // namespace

int qeCompareUpper(QStringView a, QStringView b) noexcept
{
    const qsizetype n = std::min(a.size(), b.size());
    const QChar* pa = a.data();
    const QChar* pb = b.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = upperUnit(pa[i].unicode());
        const char16_t cb = upperUnit(pb[i].unicode());
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int TqeWordList::LowerBound(QStringView word) const
{
    const auto it = std::lower_bound(m_words.cbegin(), m_words.cend(), word,
                                     [](const QString& entry, QStringView w) {
                                         return qeCompareUpper(entry, w) < 0;
                                     });
    return static_cast<int>(it - m_words.cbegin());
}

int TqeWordList::IndexOf(QStringView word) const
{
    const int i = LowerBound(word);
    if (i < Count() && qeCompareUpper(m_words.at(i), word) == 0)
        return i;
    return -1;
}

int TqeWordList::Add(const QString& word)
{
    const int i = LowerBound(word);
    if (i < Count() && qeCompareUpper(m_words.at(i), word) == 0)
        return i;
    m_words.insert(i, word);
    return i;
}

void TqeWordList::Delete(int index)
{
    if (index >= 0 && index < Count())
        m_words.removeAt(index);
}

void TqeWordList::Assign(const QStringList& words)
{
    // Sort once and drop duplicates instead of inserting word by word: a list
    // of thousands of object names is assigned in n log n.
    QStringList sorted = words;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return qeCompareUpper(a, b) < 0;
    });
    const auto last = std::unique(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return qeCompareUpper(a, b) == 0;
    });
    sorted.erase(last, sorted.end());
    m_words = std::move(sorted);
}

QString TqeWordList::Text() const
{
    QString text;
    for (const QString& w : m_words) {
        text += w;
        text += QLatin1String("\r\n");
    }
    return text;
}

void TqeWordList::SetText(const QString& text)
{
    QStringList words;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i == n || text[i] == u'\r' || text[i] == u'\n') {
            if (i < n || i > start)
                words.append(text.mid(start, i - start));
            if (i < n && text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    Assign(words);
}
