#pragma once

// A label that shows a web or mail address and opens it with the desktop's
// program when clicked (through qv::openLink, which tests replace).

#include "components/ComponentEvents.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QUrl>

#include <functional>

enum class TURLLinkType { ltHttp, ltMailto };
enum class TURLLabelType { ltAuto, ltPassive, ltLink };

class TURLLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TURLLabel(QWidget* parent = nullptr);

    // The address without its "http://", "https://" or "mailto:" prefix.
    QString URL() const { return m_url; }
    // "@" makes the link a mail address, "/" a web address (both: web); a
    // leading "http://", "https://" or "mailto:" in any case is taken off.
    void SetURL(const QString& url);
    TURLLinkType LinkType() const { return m_linkType; }
    void SetLinkType(TURLLinkType type);
    TURLLabelType LabelType() const { return m_labelType; }
    void SetLabelType(TURLLabelType type);
    bool ShowPrefix() const { return m_showPrefix; }
    void SetShowPrefix(bool show);
    bool URLAsHint() const { return m_urlAsHint; }
    void SetURLAsHint(bool asHint);
    QFont LinkFont() const { return m_linkFont; }
    void SetLinkFont(const QFont& font);
    QColor LinkColor() const { return m_linkColor; }
    QFont PassiveFont() const { return m_passiveFont; }
    void SetPassiveFont(const QFont& font);
    QString Caption() const { return text(); }
    // From now on changes of the address leave the caption alone.
    void SetCaption(const QString& caption);

    // The prefix of the link type ("http://" or "https://", "mailto:").
    QString Prefix() const;
    // The text shown when no caption was set: the address, with ShowPrefix after its prefix.
    QString DisplayText() const;
    // What a click opens.
    QUrl LinkUrl() const;
    // Whether the label acts as a link: Link, or Auto while the desktop can open the link type.
    bool ActsAsLink() const;
    bool HandlerAvailable() const { return m_handlerAvailable; }

    // The click: OnClick, then the link is opened when the label acts as one.
    void Click();
    qv::TNotifyEvent OnClick;

    // Whether the desktop can open links of a type; replaceable for tests.
    using THandlerCheck = std::function<bool(TURLLinkType)>;
    static THandlerCheck SetHandlerCheck(THandlerCheck check);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void CheckHandler();
    void UpdateDisplay();
    void UpdateAppearance();
    void UpdateHint();

    QFont m_linkFont;
    QFont m_passiveFont;
    QColor m_linkColor{0, 0, 255};
    QString m_url;
    QString m_webPrefix = QStringLiteral("http://");
    bool m_showPrefix = false;
    bool m_captionSet = false;
    TURLLabelType m_labelType = TURLLabelType::ltAuto;
    TURLLinkType m_linkType = TURLLinkType::ltHttp;
    bool m_handlerAvailable = false;
    bool m_urlAsHint = true;
};
