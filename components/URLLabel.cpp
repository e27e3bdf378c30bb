#include "components/URLLabel.h"

#include "components/QcConst.h"
#include "platform/Links.h"

#include <QMouseEvent>
#include <QStandardPaths>

#include <utility>

namespace {

const QString kWebPlaceholder = QStringLiteral("www.example.org");
const QString kMailPlaceholder = QStringLiteral("someone@example.org");
const QString kHttp = QStringLiteral("http://");
const QString kHttps = QStringLiteral("https://");
const QString kMailto = QStringLiteral("mailto:");

bool DefaultHandlerCheck(TURLLinkType)
{
    // The desktop opens web and mail links through xdg-open.
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

TURLLabel::THandlerCheck& HandlerCheck()
{
    static TURLLabel::THandlerCheck check;
    return check;
}

} // namespace

TURLLabel::THandlerCheck TURLLabel::SetHandlerCheck(THandlerCheck check)
{
    return std::exchange(HandlerCheck(), std::move(check));
}

TURLLabel::TURLLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    CheckHandler();
    m_linkFont = font();
    m_linkFont.setUnderline(true);
    m_passiveFont = font();
    m_url = kWebPlaceholder;
    UpdateDisplay();
    UpdateAppearance();
}

void TURLLabel::SetURL(const QString& url)
{
    if (url.contains(QLatin1Char('@')))
        SetLinkType(TURLLinkType::ltMailto);
    if (url.contains(QLatin1Char('/')))
        SetLinkType(TURLLinkType::ltHttp);
    const QString head = url.left(8).toLower();
    if (head.startsWith(kHttps)) {
        m_webPrefix = kHttps;
        m_url = url.mid(kHttps.size());
    } else if (head.startsWith(kHttp)) {
        m_webPrefix = kHttp;
        m_url = url.mid(kHttp.size());
    } else if (head.startsWith(kMailto)) {
        m_url = url.mid(kMailto.size());
    } else {
        m_webPrefix = kHttp;
        m_url = url;
    }
    UpdateDisplay();
}

void TURLLabel::SetLinkType(TURLLinkType type)
{
    if (type == m_linkType)
        return;
    m_linkType = type;
    CheckHandler();
    if (type == TURLLinkType::ltHttp && m_url == kMailPlaceholder)
        m_url = kWebPlaceholder;
    else if (type == TURLLinkType::ltMailto && m_url == kWebPlaceholder)
        m_url = kMailPlaceholder;
    UpdateDisplay();
    UpdateAppearance();
}

void TURLLabel::SetLabelType(TURLLabelType type)
{
    if (type == m_labelType)
        return;
    m_labelType = type;
    UpdateAppearance();
}

void TURLLabel::SetShowPrefix(bool show)
{
    m_showPrefix = show;
    UpdateDisplay();
}

void TURLLabel::SetURLAsHint(bool asHint)
{
    if (asHint == m_urlAsHint)
        return;
    m_urlAsHint = asHint;
    UpdateHint();
}

void TURLLabel::SetLinkFont(const QFont& font)
{
    m_linkFont = font;
    UpdateAppearance();
}

void TURLLabel::SetPassiveFont(const QFont& font)
{
    m_passiveFont = font;
    UpdateAppearance();
}

void TURLLabel::SetCaption(const QString& caption)
{
    m_captionSet = true;
    setText(caption);
}

QString TURLLabel::Prefix() const
{
    return m_linkType == TURLLinkType::ltMailto ? kMailto : m_webPrefix;
}

QString TURLLabel::DisplayText() const
{
    return m_showPrefix ? Prefix() + m_url : m_url;
}

QUrl TURLLabel::LinkUrl() const
{
    return QUrl(Prefix() + m_url, QUrl::TolerantMode);
}

bool TURLLabel::ActsAsLink() const
{
    return m_labelType == TURLLabelType::ltLink || (m_labelType == TURLLabelType::ltAuto && m_handlerAvailable);
}

void TURLLabel::CheckHandler()
{
    const THandlerCheck& check = HandlerCheck();
    m_handlerAvailable = check ? check(m_linkType) : DefaultHandlerCheck(m_linkType);
}

void TURLLabel::UpdateDisplay()
{
    if (!m_captionSet)
        setText(DisplayText());
    UpdateHint();
}

void TURLLabel::UpdateHint()
{
    setToolTip(m_urlAsHint ? DisplayText() : QString());
}

void TURLLabel::UpdateAppearance()
{
    QPalette pal = palette();
    if (ActsAsLink()) {
        setFont(m_linkFont);
        pal.setColor(QPalette::WindowText, m_linkColor);
        setCursor(CursorById(crHand));
    } else {
        setFont(m_passiveFont);
        pal.setColor(QPalette::WindowText, QPalette().color(QPalette::WindowText));
        unsetCursor();
    }
    setPalette(pal);
}

void TURLLabel::Click()
{
    if (OnClick)
        qv::runGuarded([this] { OnClick(this); });
    if (ActsAsLink())
        qv::openLink(LinkUrl());
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Click();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}
