// Opening, closing and moving through a dataset: Bof/Eof, RecNo, RecordCount,
// bookmarks and the scroll events.
#include "VectorDataSet_support.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <gtest/gtest.h>

namespace {

int Id(TDataSet& ds)
{
    return ds.FieldByName("ID").AsInteger();
}

TEST(DataSetOpen, OpensOnFirstRecordWithBofSet)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    TEventTrace trace(ds);
    ds.Open();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_FALSE(ds.IsEmpty());
    EXPECT_EQ(Id(ds), 1);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.RecordCount(), 5);
    EXPECT_EQ(trace.Take(), QStringList({"BeforeOpen", "AfterOpen", "AfterScroll"}));
}

TEST(DataSetOpen, EmptyDatasetIsAtBothEndsAndFiresNoScroll)
{
    TVectorDataSet ds;
    FillProducts(ds, {});
    TEventTrace trace(ds);
    ds.Open();
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.FieldByName("NAME").IsNull());
    EXPECT_EQ(trace.Take(), QStringList({"BeforeOpen", "AfterOpen"}));
    ds.Next();
    ds.Prior();
    EXPECT_TRUE(ds.Bof() && ds.Eof());
}

TEST(DataSetOpen, DefaultFieldsComeFromDefinitionsAndGoAtClose)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    EXPECT_EQ(ds.FieldCount(), 0);
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), 3);
    EXPECT_TRUE(ds.DefaultFields());
    EXPECT_EQ(ds.Fields(1).FieldName(), "NAME");
    EXPECT_EQ(ds.Fields(1).FieldNo(), 2);
    EXPECT_NE(dynamic_cast<TStringField*>(&ds.Fields(1)), nullptr);
    EXPECT_NE(dynamic_cast<TFloatField*>(&ds.Fields(2)), nullptr);
    TEventTrace trace(ds);
    ds.Close();
    EXPECT_EQ(trace.Take(), QStringList({"BeforeClose", "AfterClose"}));
    EXPECT_EQ(ds.FieldCount(), 0);
    EXPECT_EQ(ds.State(), dsInactive);
    EXPECT_EQ(ds.InternalCloseCount, 1);
}

TEST(DataSetOpen, FailedOpenLeavesDatasetClosedAndCleanedUp)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.FailureHook = [](const char* step) {
        if (QString(step) == "open")
            throw EDatabaseError("cannot open");
    };
    TEventTrace trace(ds);
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.InternalCloseCount, 1);
    EXPECT_EQ(trace.Take(), QStringList({"BeforeOpen"}));
    // A second open after the cause is gone works (the data view's read-only retry).
    ds.FailureHook = nullptr;
    ds.Open();
    EXPECT_EQ(Id(ds), 1);
}

TEST(DataSetOpen, OperationsOnClosedDatasetAreRefused)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    try {
        ds.First();
        FAIL() << "First on a closed dataset";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot perform this operation on a closed dataset");
    }
    EXPECT_THROW(ds.RecordCount(), EDatabaseError);
    EXPECT_THROW(ds.Edit(), EDatabaseError);
    EXPECT_EQ(ds.RecNo(), -1);
    EXPECT_EQ(ds.GetBookmark(), TBookmark());
}

TEST(DataSetNavigation, NextStopsOnLastRecordAndSetsEof)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.Open();
    QList<int> seen;
    while (!ds.Eof()) {
        seen.append(Id(ds));
        ds.Next();
    }
    EXPECT_EQ(seen, QList<int>({1, 2, 3, 4, 5}));
    EXPECT_EQ(Id(ds), 5); // stays on the last record
    EXPECT_FALSE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 5);
}

TEST(DataSetNavigation, PriorStopsOnFirstRecordAndSetsBof)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.Open();
    ds.Last();
    EXPECT_TRUE(ds.Eof());
    EXPECT_FALSE(ds.Bof());
    QList<int> seen;
    while (!ds.Bof()) {
        seen.append(Id(ds));
        ds.Prior();
    }
    EXPECT_EQ(seen, QList<int>({5, 4, 3, 2, 1}));
    EXPECT_EQ(Id(ds), 1);
    EXPECT_FALSE(ds.Eof());
}

TEST(DataSetNavigation, MoveByReportsHowFarItGot)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.Open();
    EXPECT_EQ(ds.MoveBy(2), 2);
    EXPECT_EQ(Id(ds), 3);
    EXPECT_EQ(ds.MoveBy(10), 2);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.MoveBy(1), 0); // already at the end
    EXPECT_EQ(ds.MoveBy(-3), -3);
    EXPECT_EQ(Id(ds), 2);
    EXPECT_EQ(ds.MoveBy(-5), -1);
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(Id(ds), 1);
}

TEST(DataSetNavigation, ScrollEventsSurroundEveryMove)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.Open();
    TEventTrace trace(ds);
    ds.Next();
    EXPECT_EQ(trace.Take(), QStringList({"BeforeScroll", "AfterScroll"}));
    ds.Last();
    ds.Next(); // at the end: only BeforeScroll, nothing moved
    EXPECT_EQ(trace.Take(), QStringList({"BeforeScroll", "AfterScroll", "BeforeScroll"}));
}

TEST(DataSetNavigation, LazyRowsAreFetchedOnlyAsFarAsTheCursorMoves)
{
    TVectorDataSet ds;
    ds.SetLazy(true);
    FillFiveProducts(ds);
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 1);
    ds.Next();
    ds.Next();
    EXPECT_EQ(ds.RecordCount(), 3);
    ds.Prior();
    ds.Prior();
    EXPECT_EQ(ds.FetchCount, 3); // moving back reads what is at hand
    ds.Last();
    EXPECT_EQ(ds.RecordCount(), 5);
    EXPECT_EQ(Id(ds), 5);
}

TEST(DataSetNavigation, SetRecNoMovesAndIgnoresUnknownPositions)
{
    TVectorDataSet ds;
    ds.SetLazy(true);
    FillFiveProducts(ds);
    ds.Open();
    ds.SetRecNo(4); // beyond the fetched rows: fetched up to it
    EXPECT_EQ(Id(ds), 4);
    EXPECT_EQ(ds.RecNo(), 4);
    ds.SetRecNo(0);
    EXPECT_EQ(Id(ds), 4);
    ds.SetRecNo(9);
    EXPECT_EQ(Id(ds), 4);
    ds.SetRecNo(5);
    EXPECT_EQ(Id(ds), 5);
}

TEST(DataSetNavigation, RefreshReadsChangedStoreAndKeepsPosition)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.Open();
    ds.Next();
    ds.SetStoredValue(1, 1, "Plantain");
    EXPECT_EQ(ds.FieldByName("NAME").AsString(), "Banana");
    TEventTrace trace(ds);
    ds.Refresh();
    EXPECT_EQ(Id(ds), 2);
    EXPECT_EQ(ds.FieldByName("NAME").AsString(), "Plantain");
    EXPECT_EQ(trace.Take(), QStringList({"BeforeRefresh", "AfterRefresh"}));
}

TEST(DataSetFilter, FilterSeesEachCandidateInFilterState)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    QStringList states;
    ds.SetOnFilterRecord([&](TDataSet& d, bool& accept) {
        states.append(d.State() == dsFilter ? "filter" : "other");
        EXPECT_THROW(d.FieldByName("NAME").SetAsString("x"), EDatabaseError);
        accept = d.FieldByName("PRICE").AsFloat() > 2;
    });
    ds.SetFiltered(true);
    ds.Open();
    QStringList names;
    for (; !ds.Eof(); ds.Next())
        names.append(ds.FieldByName("NAME").AsString());
    EXPECT_EQ(names, QStringList({"cherry", "Date"}));
    EXPECT_FALSE(states.isEmpty());
    EXPECT_FALSE(states.contains("other"));
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.Prior();
    EXPECT_EQ(ds.FieldByName("NAME").AsString(), "cherry");
}

TEST(Bookmarks, GotoBookmarkReturnsToTheRecord)
{
    TVectorDataSet ds;
    ds.SetLazy(true);
    FillFiveProducts(ds);
    ds.Open();
    ds.MoveBy(2);
    const TBookmark third = ds.GetBookmark();
    ASSERT_FALSE(third.isEmpty());
    EXPECT_TRUE(ds.BookmarkValid(third));
    ds.Last();
    const TBookmark last = ds.GetBookmark();
    EXPECT_LT(ds.CompareBookmarks(third, last), 0);
    EXPECT_GT(ds.CompareBookmarks(last, third), 0);
    EXPECT_EQ(ds.CompareBookmarks(third, third), 0);
    EXPECT_LT(ds.CompareBookmarks(TBookmark(), third), 0);
    TEventTrace trace(ds);
    ds.GotoBookmark(third);
    EXPECT_EQ(Id(ds), 3);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(trace.Take(), QStringList({"BeforeScroll", "AfterScroll"}));
    ds.Next();
    EXPECT_EQ(Id(ds), 4); // the cursor continues from the bookmarked record
}

TEST(Bookmarks, BookmarkOfDeletedRecordIsInvalidAndGotoFails)
{
    TVectorDataSet ds;
    FillFiveProducts(ds);
    ds.Open();
    ds.Next();
    const TBookmark second = ds.GetBookmark();
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(second));
    EXPECT_EQ(Id(ds), 3);
    EXPECT_THROW(ds.GotoBookmark(second), EDatabaseError);
    EXPECT_EQ(Id(ds), 3); // still where it was
    ds.Next();
    EXPECT_EQ(Id(ds), 4);
}

TEST(Bookmarks, NoBookmarkWhileEmptyOrInserting)
{
    TVectorDataSet ds;
    FillProducts(ds, {});
    ds.Open();
    EXPECT_TRUE(ds.GetBookmark().isEmpty());
    ds.Insert();
    EXPECT_TRUE(ds.GetBookmark().isEmpty());
    ds.GotoBookmark(TBookmark()); // an empty bookmark goes nowhere
    EXPECT_EQ(ds.State(), dsInsert);
}

} // namespace
