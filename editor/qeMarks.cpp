#include "editor/qeMarks.h"

#include "editor/qeCustomEdit.h"

TMark::TMark(TqeCustomEdit* edit)
    : m_edit(edit)
{
}

TMark::~TMark() = default;

TqeCustomEdit* TMark::Edit() const
{
    return m_edit;
}

void TMark::Repaint() const
{
    if (m_edit)
        m_edit->InvalidateGutter();
}

void TMark::SetImageIndex(int index)
{
    m_imageIndex = index;
    Repaint();
}

void TMark::SetLine(int line)
{
    m_line = line;
    Repaint();
}

void TMark::SetVisible(bool visible)
{
    m_visible = visible;
    Repaint();
}

void TMark::SetInternalImage(bool on)
{
    m_internalImage = on;
    Repaint();
}

TMarkList::TMarkList(TqeCustomEdit* owner)
    : QObject(owner)
    , m_owner(owner)
{
}

TMarkList::~TMarkList() = default;

int TMarkList::IndexOf(const TMark* mark) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_marks[static_cast<size_t>(i)].get() == mark)
            return i;
    return -1;
}

void TMarkList::Add(std::unique_ptr<TMark> mark)
{
    if (!mark)
        return;
    mark->m_edit = m_owner;
    m_marks.push_back(std::move(mark));
    emit Changed();
}

std::unique_ptr<TMark> TMarkList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    emit MarkRemoved(m_marks[static_cast<size_t>(index)].get());
    std::unique_ptr<TMark> mark = std::move(m_marks[static_cast<size_t>(index)]);
    m_marks.erase(m_marks.begin() + index);
    mark->m_edit = nullptr;
    emit Changed();
    return mark;
}

std::unique_ptr<TMark> TMarkList::Remove(TMark* mark)
{
    return Delete(IndexOf(mark));
}

TMark* TMarkList::Place(std::unique_ptr<TMark> mark)
{
    if (m_owner && m_owner->OnPlaceBookmark)
        m_owner->OnPlaceBookmark(m_owner, mark);
    TMark* placed = mark.get();
    if (mark)
        Add(std::move(mark));
    return placed;
}

void TMarkList::ClearLine(int line)
{
    for (int i = Count() - 1; i >= 0; --i) {
        const TMark* mark = m_marks[static_cast<size_t>(i)].get();
        if (!mark->IsBookmark() && mark->Line() == line) {
            emit MarkRemoved(m_marks[static_cast<size_t>(i)].get());
            m_marks.erase(m_marks.begin() + i);
        }
    }
    emit Changed();
}

void TMarkList::Clear()
{
    if (m_marks.empty())
        return;
    for (const auto& mark : m_marks)
        emit MarkRemoved(mark.get());
    m_marks.clear();
    emit Changed();
}
