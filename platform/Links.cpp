#include "platform/Links.h"

#include <QDesktopServices>

#include <utility>

namespace qv {

namespace {

LinkOpener& currentOpener()
{
    static LinkOpener opener;
    return opener;
}

} // namespace

bool openLink(const QUrl& url)
{
    // Copied so an opener that replaces itself stays alive while it runs.
    const LinkOpener opener = currentOpener();
    if (opener)
        return opener(url);
    return QDesktopServices::openUrl(url);
}

LinkOpener setLinkOpener(LinkOpener opener)
{
    return std::exchange(currentOpener(), std::move(opener));
}

} // namespace qv
