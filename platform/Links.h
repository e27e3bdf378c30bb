#pragma once

// Opening a link in the desktop's browser or mail program goes through one
// hook so tests can see the link without starting anything.

#include <QUrl>

#include <functional>

namespace qv {

using LinkOpener = std::function<bool(const QUrl&)>;

// Opens the link with the current opener (QDesktopServices::openUrl unless replaced).
bool openLink(const QUrl& url);

// Replaces the opener and returns the previous one; an empty opener restores
// the desktop's.
LinkOpener setLinkOpener(LinkOpener opener);

// Puts the previous opener back when it goes out of scope.
class ScopedLinkOpener
{
public:
    explicit ScopedLinkOpener(LinkOpener opener) : m_previous(setLinkOpener(std::move(opener))) {}
    ~ScopedLinkOpener() { setLinkOpener(std::move(m_previous)); }
    ScopedLinkOpener(const ScopedLinkOpener&) = delete;
    ScopedLinkOpener& operator=(const ScopedLinkOpener&) = delete;

private:
    LinkOpener m_previous;
};

} // namespace qv
