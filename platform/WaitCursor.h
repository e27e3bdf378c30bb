#pragma once

// The SQL hourglass (crSQLWait): shown while the guard lives, the previous
// cursor back when it goes, on every path out of the handler.

namespace qv {

class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    // How many guards are alive (tests read it).
    static int depth();
};

} // namespace qv
