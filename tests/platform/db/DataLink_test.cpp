// Data sources and data links: what a control hears, DisableControls, and
// the order in which the parts may be destroyed.
#include "VectorDataSet_support.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <gtest/gtest.h>

namespace {

class Links : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FillFiveProducts(ds);
        source.SetDataSet(&ds);
        link.SetDataSource(&source);
    }
    QStringList Take()
    {
        QStringList entries;
        entries.swap(log);
        return entries;
    }

    TVectorDataSet ds;
    TDataSource source;
    QStringList log;
    TRecordingLink link{log};
};

TEST_F(Links, OpenAndCloseTurnTheLinkOnAndOff)
{
    EXPECT_FALSE(link.Active());
    ds.Open();
    EXPECT_TRUE(link.Active());
    EXPECT_EQ(link.DataSet(), &ds);
    EXPECT_EQ(Take(), QStringList({"link:active"}));
    ds.Close();
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(Take(), QStringList({"link:inactive"}));
}

TEST_F(Links, MovesEditsAndPostsAreHeard)
{
    ds.Open();
    Take();
    ds.Next();
    EXPECT_EQ(Take(), QStringList({"link:checkbrowse", "link:scrolled 1"}));
    ds.First();
    EXPECT_EQ(Take(), QStringList({"link:checkbrowse", "link:changed"}));
    ds.Edit();
    EXPECT_EQ(Take(), QStringList({"link:checkbrowse", "link:editing", "link:record"}));
    ds.FieldByName("NAME").SetAsString("Pear");
    EXPECT_EQ(Take(), QStringList({"link:record NAME"}));
    ds.Post();
    EXPECT_EQ(Take(), QStringList({"link:updatedata", "link:checkbrowse", "link:browsing", "link:changed"}));
}

TEST_F(Links, DisableControlsHoldsNoticesUntilEnabled)
{
    ds.Open();
    Take();
    ds.DisableControls();
    ds.DisableControls();
    EXPECT_TRUE(ds.ControlsDisabled());
    while (!ds.Eof())
        ds.Next();
    ds.First();
    EXPECT_TRUE(Take().isEmpty());
    ds.EnableControls();
    EXPECT_TRUE(Take().isEmpty()); // still disabled once
    ds.EnableControls();
    EXPECT_FALSE(ds.ControlsDisabled());
    EXPECT_EQ(Take(), QStringList({"link:changed"}));
    ds.EnableControls(); // unbalanced: ignored
    EXPECT_TRUE(Take().isEmpty());
}

TEST_F(Links, ScrollEventsStillFireWhileControlsAreDisabled)
{
    ds.Open();
    int afterScroll = 0;
    ds.AfterScroll = [&](TDataSet&) { ++afterScroll; };
    ds.DisableControls();
    ds.Next();
    ds.Next();
    ds.EnableControls();
    EXPECT_EQ(afterScroll, 2);
}

TEST_F(Links, StateChangeWhileDisabledIsReportedOnEnable)
{
    ds.Open();
    Take();
    ds.DisableControls();
    ds.Edit();
    EXPECT_TRUE(Take().isEmpty());
    ds.EnableControls();
    EXPECT_EQ(Take(), QStringList({"link:editing", "link:changed"}));
}

TEST_F(Links, ReopenWhileDisabledIsALayoutChange)
{
    ds.Open();
    Take();
    ds.DisableControls();
    ds.Close();
    ds.Open();
    ds.EnableControls();
    EXPECT_EQ(Take(), QStringList({"link:layout"}));
}

TEST_F(Links, DataSourceHandlersAndEnabled)
{
    QStringList events;
    source.OnStateChange = [&](TDataSource& s) { events.append(QString("state %1").arg(s.State())); };
    source.OnDataChange = [&](TDataSource&, TField* f) { events.append(f ? "data " + f->FieldName() : "data"); };
    ds.Open();
    EXPECT_EQ(events, QStringList({"state 1", "data"}));
    events.clear();
    ds.Edit();
    ds.FieldByName("PRICE").SetAsFloat(2);
    EXPECT_EQ(events, QStringList({"state 2", "data", "data PRICE"}));
    ds.Cancel();
    events.clear();
    Take();
    source.SetEnabled(false);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(source.State(), dsInactive);
    ds.Next();
    EXPECT_EQ(Take(), QStringList({"link:inactive"}));
    source.SetEnabled(true);
    EXPECT_TRUE(link.Active());
}

TEST_F(Links, AutoEditPutsTheDatasetIntoEdit)
{
    ds.Open();
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(ds.State(), dsEdit);
    ds.Cancel();
    source.SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(ds.State(), dsBrowse);
    source.SetAutoEdit(true);
    link.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(Links, LinkDestroyedFirstIsForgotten)
{
    ds.Open();
    {
        QStringList other;
        TRecordingLink shortLived(other);
        shortLived.SetDataSource(&source);
        EXPECT_TRUE(shortLived.Active());
    }
    ds.Next(); // would reach a dead link if it were still registered
    EXPECT_EQ(Take().last(), "link:scrolled 1");
}

TEST(LinkLifetime, DataSourceDestroyedFirstDeactivatesItsLinks)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.Open();
    QStringList log;
    TRecordingLink link(log);
    {
        TDataSource source;
        source.SetDataSet(&ds);
        link.SetDataSource(&source);
        EXPECT_TRUE(link.Active());
    }
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.DataSource(), nullptr);
    ds.Next(); // the dataset no longer knows the source
}

TEST(LinkLifetime, DatasetDestroyedFirstLeavesSourceEmpty)
{
    TDataSource source;
    QStringList log;
    TRecordingLink link(log);
    link.SetDataSource(&source);
    {
        TVectorDataSet ds;
        FillFiveProducts(ds);
        source.SetDataSet(&ds);
        ds.Open();
        EXPECT_TRUE(link.Active());
    }
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_FALSE(link.Active());
}

TEST_F(Links, FieldDataLinkFollowsItsField)
{
    TFieldDataLink fieldLink;
    QString shown;
    QString typed;
    fieldLink.OnDataChange = [&] { shown = fieldLink.Field() ? fieldLink.Field()->DisplayText() : QString(); };
    fieldLink.OnUpdateData = [&] { fieldLink.Field()->SetAsString(typed); };
    fieldLink.SetDataSource(&source);
    fieldLink.SetFieldName("NAME");
    EXPECT_EQ(fieldLink.Field(), nullptr);
    ds.Open();
    ASSERT_NE(fieldLink.Field(), nullptr);
    EXPECT_EQ(shown, "Apple");
    ds.Next();
    EXPECT_EQ(shown, "Banana");
    EXPECT_TRUE(fieldLink.Edit());
    typed = "Plantain";
    fieldLink.Modified();
    ds.FieldByName("PRICE").SetAsFloat(9); // another field's change leaves the control's text alone
    EXPECT_TRUE(fieldLink.IsModified());
    ds.Post(); // the control's value is written before the post
    EXPECT_EQ(ds.StoredRow(1).value(1).toString(), "Plantain");
    EXPECT_FALSE(fieldLink.IsModified());
    EXPECT_TRUE(fieldLink.CanModify());
    ds.Close();
    EXPECT_EQ(fieldLink.Field(), nullptr);
}

} // namespace
