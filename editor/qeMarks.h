#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class TqeCustomEdit;
class TMarkList;

// One glyph in the gutter: a numbered bookmark (0 to 9) or a plain mark (-1).
class TMark
{
public:
    explicit TMark(TqeCustomEdit* edit = nullptr);
    virtual ~TMark();
    TMark(const TMark&) = delete;
    TMark& operator=(const TMark&) = delete;

    // The editor the mark belongs to.
    virtual TqeCustomEdit* Edit() const;
    int Line() const { return m_line; }
    int Column() const { return m_column; }
    int ImageIndex() const { return m_imageIndex; }
    int BookmarkNumber() const { return m_bookmarkNumber; }
    bool IsBookmark() const { return m_bookmarkNumber >= 0; }
    bool Visible() const { return m_visible; }
    bool InternalImage() const { return m_internalImage; }

    virtual void SetColumn(int column) { m_column = column; }
    virtual void SetImageIndex(int index);
    virtual void SetLine(int line);
    void SetBookmarkNumber(int number) { m_bookmarkNumber = number; }
    // False makes a plain mark (-1), true bookmark 0.
    void SetIsBookmark(bool on) { m_bookmarkNumber = on ? 0 : -1; }
    void SetVisible(bool visible);
    void SetInternalImage(bool on);

private:
    friend class TMarkList;
    void Repaint() const;

    QPointer<TqeCustomEdit> m_edit;
    int m_line = 0;
    int m_column = 0;
    int m_imageIndex = 0;
    int m_bookmarkNumber = 0;
    bool m_visible = false;
    bool m_internalImage = false;
};

// The marks of an editor; marks in the list belong to it.
class TMarkList : public QObject
{
    Q_OBJECT
public:
    explicit TMarkList(TqeCustomEdit* owner = nullptr);
    ~TMarkList() override;

    TqeCustomEdit* Owner() const { return m_owner; }
    int Count() const { return static_cast<int>(m_marks.size()); }
    TMark* Items(int index) const { return m_marks.at(static_cast<size_t>(index)).get(); }
    TMark* operator[](int index) const { return Items(index); }
    int IndexOf(const TMark* mark) const;

    void Add(std::unique_ptr<TMark> mark);
    // Takes the mark out of the list and hands it back.
    std::unique_ptr<TMark> Delete(int index);
    std::unique_ptr<TMark> Remove(TMark* mark);
    // Offers the mark to the owner's OnPlaceBookmark first, which may replace
    // or drop it; what remains is added. The mark placed, or nullptr.
    TMark* Place(std::unique_ptr<TMark> mark);
    // Removes (and frees) every plain mark on the line; bookmarks stay.
    void ClearLine(int line);
    void Clear();

signals:
    void Changed();
    // A mark is about to leave the list (and maybe be freed).
    void MarkRemoved(TMark* mark);

private:
    TqeCustomEdit* m_owner;
    std::vector<std::unique_ptr<TMark>> m_marks;
};
