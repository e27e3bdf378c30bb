#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Compares two words by their upper-cased UTF-16 code units, the shorter
// first on a common prefix. No locale is involved, so the order is the same
// on every machine and a binary search finds every entry ("BASE_NAME",
// "RDB$DB_KEY" included).
int qeCompareUpper(QStringView a, QStringView b) noexcept;

// A sorted list of words without duplicates, compared as qeCompareUpper
// does: the keyword, link-word and value-hint lists of the editor.
class TqeWordList
{
public:
    TqeWordList() = default;
    explicit TqeWordList(const QStringList& words) { Assign(words); }

    int Count() const { return static_cast<int>(m_words.size()); }
    bool IsEmpty() const { return m_words.isEmpty(); }
    const QString& Strings(int index) const { return m_words.at(index); }
    const QString& operator[](int index) const { return m_words.at(index); }

    // Adds a word in its place; a word already present (in any letter case)
    // is not added again. Returns the index of the word in the list.
    int Add(const QString& word);
    void Delete(int index);
    void Clear() { m_words.clear(); }
    void Assign(const QStringList& words);

    // Index of the word (any letter case), -1 when absent.
    int IndexOf(QStringView word) const;
    bool Contains(QStringView word) const { return IndexOf(word) >= 0; }

    // Lines joined by CR LF, each line followed by one.
    QString Text() const;
    void SetText(const QString& text);

    const QStringList& ToStringList() const { return m_words; }

    bool operator==(const TqeWordList& other) const { return m_words == other.m_words; }

private:
    // Index of the first entry not less than the word.
    int LowerBound(QStringView word) const;

    QStringList m_words;
};
