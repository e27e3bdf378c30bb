#pragma once

#include <QColor>
#include <QFlags>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <bitset>

class TqeCustomEdit;
class QvRegistry;

// Colours as the registry stores them: 32-bit values, low byte red, then
// green, then blue. Negative values name system colours (0x80000000 plus the
// colour's number) and are read from the application's palette.
int qeColorToInt(const QColor& color);
QColor qeColorFromInt(int value);

// Font style bits; IntegerStyle packs them as bit 0 bold, 1 italic,
// 2 underline, 3 strike-out.
enum TFontStyle : int {
    fsBold = 0x1,
    fsItalic = 0x2,
    fsUnderline = 0x4,
    fsStrikeOut = 0x8,
};
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

// What a highlighter sets while the editor paints: the colours and font
// style of the token just scanned. The editor reads them back to draw it.
struct TqeCanvas
{
    QColor BrushColor;
    QColor FontColor;
    TFontStyles FontStyle;
};

// The characters that count as word characters for word moves, double-click
// selection and the word under the mouse. Characters above 255 have no slot in
// the table; they count as word characters unless they are white space.
class TqeIdentChars
{
public:
    TqeIdentChars() = default;
    // Every character from first to last (both below 256).
    static TqeIdentChars Range(int first, int last);

    bool Contains(QChar c) const
    {
        const char16_t u = c.unicode();
        if (u < 256)
            return m_latin.test(u);
        return m_above255 && !c.isSpace();
    }
    void Include(int c) { m_latin.set(static_cast<size_t>(c)); }
    void SetAbove255(bool on) { m_above255 = on; }

private:
    std::bitset<256> m_latin;
    bool m_above255 = false;
};

// The look of one token kind.
class TqeHighLightAttributes : public QObject
{
    Q_OBJECT
public:
    explicit TqeHighLightAttributes(const QString& name, QObject* parent = nullptr);

    QString Name() const { return m_name; }
    QColor Background() const { return m_background; }
    QColor Foreground() const { return m_foreground; }
    TFontStyles Style() const { return m_style; }
    int IntegerStyle() const { return m_style.toInt(); }

    void SetBackground(const QColor& color);
    void SetForeground(const QColor& color);
    void SetStyle(TFontStyles style);
    void SetIntegerStyle(int bits) { SetStyle(TFontStyles::fromInt(bits & 0xF)); }

    // Copies colours, style and name without firing Changed.
    void Assign(const TqeHighLightAttributes& source);

    // Reads the attribute from another editor's registry layout: with
    // flag set from the comma-separated string value <name> under <key>, else
    // from the values of the subkey <key>\<name>. False when a value is
    // missing or malformed; nothing is changed then. The registry object
    // stands for the root key.
    bool ImportFromRegistry(const QvRegistry& rootKey, const QString& key, bool flag, const QString& name);

signals:
    void Changed();

private:
    QString m_name;
    QColor m_background;
    QColor m_foreground;
    TFontStyles m_style;
};

// The base of every highlighter: splits one line at a time into tokens and,
// while the editor paints, colours the canvas for each token. It also keeps
// the editors that show text through it, and tells them to repaint when its
// colours change or to rescan when its scanning rules change.
class TqeCustomHighLighter : public QObject
{
    Q_OBJECT
public:
    explicit TqeCustomHighLighter(QObject* parent = nullptr);
    ~TqeCustomHighLighter() override;

    virtual TqeIdentChars GetIdentChars() const;
    virtual QString GetLanguageName() const = 0;
    virtual int GetAttribCount() const = 0;
    virtual TqeHighLightAttributes* GetAttribute(int index) const = 0;
    virtual int GetFlags() const;
    virtual QString GetDefaultFilter() const { return m_defaultFilter; }
    virtual void SetDefaultFilter(const QString& filter);
    virtual bool GetEol() const = 0;
    virtual int GetRange() const = 0;
    virtual QString GetToken() const = 0;
    virtual int GetTokenPos() const = 0;
    virtual void Next() = 0;
    virtual void SetCanvas(TqeCanvas* canvas) = 0;
    virtual void SetLine(const QString& text) = 0;
    virtual void SetRange(int range) = 0;
    virtual void ResetRange() = 0;
    virtual bool UseSetting() const { return false; }
    virtual void ListSettings(QStringList& list) const { list.clear(); }
    // The attributes (and, in derived highlighters, more) under a key of the
    // registry; the registry object stands for the root key.
    virtual bool LoadFromRegistry(const QvRegistry& rootKey, const QString& key);
    virtual bool SaveToRegistry(const QvRegistry& rootKey, const QString& key) const;

    // Length of the current token; lets the editor draw it without copying it.
    virtual int GetTokenLen() const = 0;

    QString DefaultFilter() const { return GetDefaultFilter(); }

    // The editors linked to this highlighter (not owned).
    void AddLinkedEditor(TqeCustomEdit* editor);
    void RemoveLinkedEditor(TqeCustomEdit* editor);
    QList<TqeCustomEdit*> LinkedEditors() const;

    // Repaints every linked editor.
    void DefHighlightChange();

signals:
    // Colours or words changed: linked editors repaint.
    void AttributesChanged();
    // The scanner itself changed (comment forms): range states kept by the
    // editors are stale; they rescan their whole text and repaint.
    void ScanRulesChanged();

private:
    QString m_defaultFilter;
    QList<QPointer<TqeCustomEdit>> m_editors;
};
