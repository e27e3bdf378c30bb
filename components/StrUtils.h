#pragma once

// Word and string routines used wherever SQL text, registry values and tree
// captions are taken apart. Positions are 1-based; 0 means "not found".
// Comparisons are exact (UTF-16 code units) unless a routine says otherwise.

#include <QString>
#include <QStringView>

#include <bitset>
#include <initializer_list>

// A set of characters: the delimiter set of the word routines. Latin-1
// characters are kept in a bit set; the rare others in a short sorted list.
class TCharSet
{
public:
    TCharSet() = default;
    TCharSet(std::initializer_list<char16_t> chars);
    explicit TCharSet(QStringView chars);
    explicit TCharSet(const char* latin1Chars);

    bool contains(QChar c) const;
    bool isEmpty() const { return m_latin1.none() && m_others.isEmpty(); }

    TCharSet& insert(QChar c);
    TCharSet& remove(QChar c);
    TCharSet united(const TCharSet& other) const;
    TCharSet operator+(const TCharSet& other) const { return united(other); }

    bool operator==(const TCharSet& other) const = default;

private:
    std::bitset<256> m_latin1;
    QString m_others; // sorted, no duplicates
};

bool StrAllInSet(const QString& s, const TCharSet& chars);
QString StrReplaceAll(const QString& s, const QString& search, const QString& replace);
QString StrDeleteChar(const QString& s, QChar c);
QString StrDeleteSpaces(const QString& s);
QString StrTrimLeadingSpaces(const QString& s);
QString StrTrimTrailingSpaces(const QString& s);
QString StrTrimSpaces(const QString& s);
QString StrOfChar(QChar c, int n);
int StrPosNth(const QString& substr, const QString& s, int n);

int StrWordCount(const QString& s, const TCharSet& delims);
int StrWordPosition(int n, const QString& s, const TCharSet& delims);
QString ExtractWordN(int n, const QString& s, const TCharSet& delims);
QString ExtractWordNPos(int n, const QString& s, const TCharSet& delims, int& pos);

// The text cut to at most maxLength code units, between two characters as
// the user sees them: never inside a surrogate pair, nor between a letter
// and the marks or joined parts that belong to it.
QString StrLeftWhole(const QString& s, qsizetype maxLength);

// Installed where a hook asks for a text by an identifier that is the text.
QString IdentStr(const QString& s);
