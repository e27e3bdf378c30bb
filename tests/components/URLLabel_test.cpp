// The hyperlink label's address, link type, display and click, and the
// version information of a program file.

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

#include "components/URLLabel.h"
#include "components/VersionInfo.h"
#include "platform/Links.h"

namespace {

// Records the links opened instead of starting a browser; the desktop can
// open every kind of link unless told otherwise.
class URLLabelTest : public ::testing::Test
{
protected:
    URLLabelTest()
        : opener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        })
        , previousCheck(TURLLabel::SetHandlerCheck([this](TURLLinkType) { return handlerAvailable; }))
    {
    }
    ~URLLabelTest() override { TURLLabel::SetHandlerCheck(previousCheck); }

    std::vector<QUrl> opened;
    bool handlerAvailable = true;
    qv::ScopedLinkOpener opener;
    TURLLabel::THandlerCheck previousCheck;
};

TEST_F(URLLabelTest, TheAddressDecidesTheLinkTypeAndLosesItsPrefix)
{
    TURLLabel label;
    label.SetURL(QStringLiteral("someone@example.org"));
    EXPECT_EQ(label.LinkType(), TURLLinkType::ltMailto);
    EXPECT_EQ(label.text(), QStringLiteral("someone@example.org"));
    label.SetURL(QStringLiteral("HTTP://www.example.org/"));
    EXPECT_EQ(label.LinkType(), TURLLinkType::ltHttp);
    EXPECT_EQ(label.URL(), QStringLiteral("www.example.org/"));
    // Both characters: a web address.
    label.SetURL(QStringLiteral("a@b/c"));
    EXPECT_EQ(label.LinkType(), TURLLinkType::ltHttp);
    EXPECT_EQ(label.LinkUrl(), QUrl(QStringLiteral("http://a@b/c")));
    label.SetURL(QStringLiteral("MailTo:x@y.org"));
    EXPECT_EQ(label.LinkType(), TURLLinkType::ltMailto);
    EXPECT_EQ(label.URL(), QStringLiteral("x@y.org"));
    EXPECT_EQ(label.LinkUrl(), QUrl(QStringLiteral("mailto:x@y.org")));
    // A secure address keeps its own prefix.
    label.SetURL(QStringLiteral("https://www.example.org/a"));
    EXPECT_EQ(label.URL(), QStringLiteral("www.example.org/a"));
    EXPECT_EQ(label.LinkUrl(), QUrl(QStringLiteral("https://www.example.org/a")));
    label.SetShowPrefix(true);
    EXPECT_EQ(label.text(), QStringLiteral("https://www.example.org/a"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("https://www.example.org/a"));

    // Switching the type swaps a placeholder address for the other kind's.
    TURLLabel fresh;
    const QString web = fresh.URL();
    fresh.SetLinkType(TURLLinkType::ltMailto);
    EXPECT_TRUE(fresh.URL().contains(QLatin1Char('@')));
    fresh.SetLinkType(TURLLinkType::ltHttp);
    EXPECT_EQ(fresh.URL(), web);
}

TEST_F(URLLabelTest, AnExplicitCaptionStaysTheHintFollowsTheAddress)
{
    TURLLabel label;
    label.SetCaption(QStringLiteral("Write to us"));
    label.SetURL(QStringLiteral("someone@example.org"));
    EXPECT_EQ(label.text(), QStringLiteral("Write to us"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("someone@example.org"));
    label.SetURLAsHint(false);
    EXPECT_TRUE(label.toolTip().isEmpty());
}

TEST_F(URLLabelTest, OnlyALinkOpensItsAddressAndNeverThroughAShell)
{
    TURLLabel label;
    label.resize(200, 20);
    label.SetURL(QStringLiteral("www.example.org/a b;rm -rf"));
    int clicks = 0;
    label.OnClick = [&](QObject*) { ++clicks; };
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("http"));
    EXPECT_EQ(opened[0].host(), QStringLiteral("www.example.org"));
    EXPECT_EQ(label.font().underline(), true);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));

    label.SetLabelType(TURLLabelType::ltPassive);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(label.font().underline());

    // Auto acts as a link only while the desktop has a program for the type.
    handlerAvailable = false;
    TURLLabel noHandler;
    EXPECT_FALSE(noHandler.ActsAsLink());
    noHandler.Click();
    EXPECT_EQ(opened.size(), 1u);
    noHandler.SetLabelType(TURLLabelType::ltLink);
    noHandler.Click();
    EXPECT_EQ(opened.size(), 2u);
}

TEST(VersionInfo, ARecordGivesItsStringsAMissingOneEmptyTexts)
{
    const TVersionInfo missing(QStringLiteral("/no/such/program"));
    EXPECT_FALSE(missing.Valid());
    EXPECT_EQ(missing.GetFileVersion(), QString());
    EXPECT_EQ(missing.GetComments(), QString());
    EXPECT_EQ(TVersionInfo(QString()).GetFileVersion(), QString());

    const QString file = QStringLiteral("/opt/qv/program");
    TVersionRecord record;
    record.fileVersion = {1, 2, 3, 4};
    record.strings.insert(QStringLiteral("Comments"), QStringLiteral("(beta)"));
    RegisterVersionRecord(file, record);
    const TVersionInfo fixed(file);
    EXPECT_TRUE(fixed.Valid());
    EXPECT_EQ(fixed.GetFileVersion(), QStringLiteral("1.2.3.4"));
    EXPECT_EQ(fixed.GetComments(), QStringLiteral("(beta)"));
    record.strings.insert(QStringLiteral("FileVersion"), QStringLiteral("1.2"));
    RegisterVersionRecord(file, record);
    EXPECT_EQ(TVersionInfo(file).GetFileVersion(), QStringLiteral("1.2"));
    UnregisterVersionRecord(file);
    EXPECT_FALSE(TVersionInfo(file).Valid());
}

} // namespace
