#pragma once

// A window of the main window that asks before it goes. The quit asks every
// window first, then its own question, and closes them only when it goes
// ahead: a window that answered goes on working when the quit does not.

#include <utility>

class TCloseQuery
{
public:
    virtual ~TCloseQuery() = default;

    // Asks what closing the window needs asked (unsaved changes, work not
    // committed) and keeps the answers; it closes, commits, rolls back and
    // lets go of nothing. False: the window stays.
    virtual bool QueryClose() = 0;
    // The next close goes ahead on the answers kept, asking nothing again.
    void CloseAsAnswered() { m_answered = true; }
    void ForgetCloseAnswers() { m_answered = false; }

protected:
    // For the close handler: true once when the quit asked already.
    bool TakeAnswered() { return std::exchange(m_answered, false); }

private:
    bool m_answered = false;
};
