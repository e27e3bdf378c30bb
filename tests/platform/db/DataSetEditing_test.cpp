// The edit/insert/post/cancel/delete state machine, its events and its error
// events.
#include "VectorDataSet_support.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <gtest/gtest.h>

namespace {

QString Name(TDataSet& ds)
{
    return ds.FieldByName("NAME").AsString();
}

class Editing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FillFiveProducts(ds);
        ds.Open();
    }
    QStringList StoredNames() const
    {
        QStringList names;
        for (int i = 0; i < ds.StoredCount(); ++i)
            names.append(ds.StoredRow(i).value(1).toString());
        return names;
    }

    TVectorDataSet ds;
};

TEST_F(Editing, EditPostStoresTheValueWithEventsInOrder)
{
    ds.Next();
    TEventTrace trace(ds);
    ds.Edit();
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_FALSE(ds.Modified());
    ds.FieldByName("NAME").SetAsString("Plantain");
    EXPECT_TRUE(ds.Modified());
    EXPECT_EQ(ds.StoredRow(1).value(1).toString(), "Banana"); // not before the post
    ds.Post();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.StoredRow(1).value(1).toString(), "Plantain");
    EXPECT_EQ(Name(ds), "Plantain");
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(trace.Take(), QStringList({"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost"}));
}

TEST_F(Editing, CancelRestoresTheRecord)
{
    ds.Edit();
    ds.FieldByName("NAME").SetAsString("Pear");
    EXPECT_EQ(Name(ds), "Pear");
    TEventTrace trace(ds);
    ds.Cancel();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Name(ds), "Apple");
    EXPECT_EQ(ds.StoredRow(0).value(1).toString(), "Apple");
    EXPECT_EQ(trace.Take(), QStringList({"BeforeCancel", "AfterCancel"}));
}

TEST_F(Editing, WritingOutsideEditIsRefused)
{
    try {
        ds.FieldByName("NAME").SetAsString("Pear");
        FAIL() << "write in browse state";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
    EXPECT_THROW(ds.Post(), EDatabaseError);
    ds.Cancel(); // nothing to cancel: no error
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(Editing, ReadOnlyFieldIsRefused)
{
    ds.FieldByName("ID").SetReadOnly(true);
    ds.Edit();
    try {
        ds.FieldByName("ID").SetAsInteger(9);
        FAIL() << "write to a read-only field";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'ID' cannot be modified");
    }
    EXPECT_FALSE(ds.FieldByName("ID").CanModify());
    EXPECT_TRUE(ds.FieldByName("NAME").CanModify());
}

TEST_F(Editing, ReadOnlyDatasetRefusesEditAndInsertButNotMoves)
{
    ds.SetReadOnly(true);
    EXPECT_FALSE(ds.CanModify());
    EXPECT_FALSE(ds.FieldByName("NAME").CanModify());
    try {
        ds.Edit();
        FAIL() << "edit of a read-only dataset";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot modify a read-only dataset");
    }
    EXPECT_THROW(ds.Insert(), EDatabaseError);
    EXPECT_THROW(ds.Append(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.Next();
    EXPECT_EQ(Name(ds), "Banana");
}

TEST_F(Editing, MovingPostsAModifiedRecordAndDropsAnUntouchedInsert)
{
    ds.Edit();
    ds.FieldByName("NAME").SetAsString("Pear");
    ds.Next();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.StoredRow(0).value(1).toString(), "Pear");
    EXPECT_EQ(Name(ds), "Banana");

    TEventTrace trace(ds);
    ds.Insert();
    ds.Next(); // nothing typed: the new record is cancelled, not posted
    EXPECT_EQ(ds.StoredCount(), 5);
    EXPECT_TRUE(trace.Take().contains("AfterCancel"));
}

TEST_F(Editing, InsertGoesBeforeTheActiveRecord)
{
    ds.MoveBy(2); // cherry
    TEventTrace trace(ds);
    ds.Insert();
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_TRUE(ds.FieldByName("NAME").IsNull());
    EXPECT_EQ(ds.ActiveRow(), 2);
    ds.FieldByName("ID").SetAsInteger(10);
    ds.FieldByName("NAME").SetAsString("Blueberry");
    ds.Post();
    EXPECT_EQ(trace.Take(), QStringList({"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll",
                                         "BeforePost", "AfterPost"}));
    EXPECT_EQ(StoredNames(), QStringList({"Apple", "Banana", "Blueberry", "cherry", "Date", "apricot"}));
    EXPECT_EQ(Name(ds), "Blueberry");
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ds.RecordCount(), 6);
    ds.Next();
    EXPECT_EQ(Name(ds), "cherry");
}

TEST_F(Editing, AppendGoesToTheEndEvenWhenRowsAreStillToCome)
{
    TVectorDataSet lazy;
    lazy.SetLazy(true);
    FillFiveProducts(lazy);
    lazy.Open();
    lazy.Append();
    EXPECT_EQ(lazy.ActiveRow(), 5);
    EXPECT_TRUE(lazy.Eof());
    lazy.FieldByName("NAME").SetAsString("Fig");
    lazy.Post();
    EXPECT_EQ(lazy.StoredCount(), 6);
    EXPECT_EQ(lazy.StoredRow(5).value(1).toString(), "Fig");
    EXPECT_EQ(lazy.RecNo(), 6);
    lazy.Prior();
    EXPECT_EQ(Name(lazy), "apricot");
}

TEST_F(Editing, CancelOfInsertReturnsToThePreviousRecord)
{
    ds.Next();
    ds.Insert();
    ds.FieldByName("NAME").SetAsString("Kiwi");
    TEventTrace trace(ds);
    ds.Cancel();
    EXPECT_EQ(Name(ds), "Banana");
    EXPECT_EQ(ds.StoredCount(), 5);
    EXPECT_EQ(trace.Take(), QStringList({"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
    ds.Append();
    ds.Cancel();
    EXPECT_EQ(Name(ds), "apricot"); // an appended record gives way to the last one
}

TEST_F(Editing, InsertIntoEmptyDatasetAndEditOfEmptyInserts)
{
    TVectorDataSet empty;
    FillProducts(empty, {});
    empty.Open();
    empty.Edit(); // nothing to edit: inserts
    EXPECT_EQ(empty.State(), dsInsert);
    EXPECT_FALSE(empty.IsEmpty());
    empty.FieldByName("NAME").SetAsString("Lime");
    empty.Post();
    EXPECT_EQ(empty.StoredCount(), 1);
    EXPECT_EQ(empty.RecordCount(), 1);
    EXPECT_EQ(Name(empty), "Lime");
    EXPECT_FALSE(empty.Bof() && empty.Eof());
}

TEST_F(Editing, OnNewRecordDefaultsDoNotCountAsChanges)
{
    ds.OnNewRecord = [](TDataSet& d) { d.FieldByName("PRICE").SetAsFloat(1); };
    ds.Insert();
    EXPECT_DOUBLE_EQ(ds.FieldByName("PRICE").AsFloat(), 1);
    EXPECT_FALSE(ds.Modified());
    ds.CheckBrowseMode();
    EXPECT_EQ(ds.StoredCount(), 5);
}

TEST_F(Editing, FailingOnNewRecordLeavesBrowseState)
{
    ds.Next();
    ds.OnNewRecord = [](TDataSet&) { throw EDatabaseError("no defaults"); };
    EXPECT_THROW(ds.Insert(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Name(ds), "Banana");
}

TEST_F(Editing, DeleteMovesToFollowerAndThenToNewLast)
{
    ds.Next();
    TEventTrace trace(ds);
    ds.Delete();
    EXPECT_EQ(trace.Take(), QStringList({"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(Name(ds), "cherry");
    EXPECT_EQ(ds.RecordCount(), 4);
    ds.Last();
    ds.Delete();
    EXPECT_EQ(Name(ds), "Date");
    EXPECT_EQ(StoredNames(), QStringList({"Apple", "cherry", "Date"}));
}

TEST_F(Editing, DeletingEverythingLeavesAnEmptyDataset)
{
    for (int i = 0; i < 5; ++i)
        ds.Delete();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Bof() && ds.Eof());
    try {
        ds.Delete();
        FAIL() << "delete in an empty dataset";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot perform this operation on an empty dataset");
    }
}

TEST_F(Editing, DeleteWhileInsertingCancels)
{
    ds.Insert();
    ds.FieldByName("NAME").SetAsString("Kiwi");
    ds.Delete();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.StoredCount(), 5);
}

TEST_F(Editing, FailedPostKeepsEditStateAndValues)
{
    ds.FailureHook = [](const char* step) {
        if (QString(step) == "post")
            throw EDatabaseError("violation of a constraint");
    };
    ds.Edit();
    ds.FieldByName("NAME").SetAsString("Pear");
    EXPECT_THROW(ds.Post(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_EQ(Name(ds), "Pear");
    ds.FailureHook = nullptr;
    ds.Post();
    EXPECT_EQ(ds.StoredRow(0).value(1).toString(), "Pear");
}

TEST_F(Editing, ErrorEventCanRetryOrAbort)
{
    int failures = 2;
    ds.FailureHook = [&](const char* step) {
        if (QString(step) == "post" && failures-- > 0)
            throw EDatabaseError("deadlock");
    };
    QStringList seen;
    ds.OnPostError = [&](TDataSet&, EDatabaseError& e, TDataAction& action) {
        seen.append(e.Message());
        action = daRetry;
    };
    ds.Edit();
    ds.FieldByName("NAME").SetAsString("Pear");
    ds.Post();
    EXPECT_EQ(seen, QStringList({"deadlock", "deadlock"}));
    EXPECT_EQ(ds.StoredRow(0).value(1).toString(), "Pear");

    ds.FailureHook = [](const char* step) {
        if (QString(step) == "delete")
            throw EDatabaseError("in use");
    };
    QString shown;
    ds.OnDeleteError = [&](TDataSet&, EDatabaseError& e, TDataAction& action) {
        shown = e.Message();
        action = daAbort;
    };
    TEventTrace trace(ds);
    ds.Delete(); // the handler showed the error; nothing more happens
    EXPECT_EQ(shown, "in use");
    EXPECT_EQ(ds.StoredCount(), 5);
    EXPECT_EQ(trace.Take(), QStringList({"BeforeDelete", "BeforeScroll"}));
}

TEST_F(Editing, ErrorEventDefaultLetsTheErrorPass)
{
    ds.FailureHook = [](const char* step) {
        if (QString(step) == "delete")
            throw EDatabaseError("in use");
    };
    int calls = 0;
    ds.OnDeleteError = [&](TDataSet&, EDatabaseError&, TDataAction&) { ++calls; };
    EXPECT_THROW(ds.Delete(), EDatabaseError);
    EXPECT_EQ(calls, 1);
}

TEST_F(Editing, BeforePostCanRefuseThePost)
{
    ds.BeforePost = [](TDataSet& d) {
        if (d.FieldByName("NAME").AsString().isEmpty())
            throw EDatabaseError("Name required");
    };
    ds.Edit();
    ds.FieldByName("NAME").Clear();
    EXPECT_THROW(ds.Post(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsEdit);
    ds.Cancel();
    EXPECT_EQ(Name(ds), "Apple");
}

TEST_F(Editing, CloseDiscardsAPendingEdit)
{
    ds.Edit();
    ds.FieldByName("NAME").SetAsString("Pear");
    ds.Close();
    EXPECT_EQ(ds.StoredRow(0).value(1).toString(), "Apple");
}

TEST_F(Editing, CalculatedFieldFollowsEditsAndRows)
{
    ds.Close();
    auto addData = [&](std::unique_ptr<TField> f) { ds.AddField(std::move(f)); };
    addData(std::make_unique<TIntegerField>("ID"));
    addData(std::make_unique<TStringField>("NAME", 20));
    addData(std::make_unique<TFloatField>("PRICE"));
    auto total = std::make_unique<TFloatField>("DOUBLED");
    total->SetFieldKind(fkCalculated);
    TField& doubled = ds.AddField(std::move(total));
    int calculations = 0;
    ds.OnCalcFields = [&](TDataSet& d) {
        ++calculations;
        EXPECT_EQ(d.State(), dsCalcFields);
        d.FieldByName("DOUBLED").SetAsFloat(d.FieldByName("PRICE").AsFloat() * 2);
    };
    ds.Open();
    EXPECT_FALSE(ds.DefaultFields());
    EXPECT_DOUBLE_EQ(doubled.AsFloat(), 3.0);
    ds.Next();
    EXPECT_DOUBLE_EQ(doubled.AsFloat(), 0.5);
    ds.Edit();
    ds.FieldByName("PRICE").SetAsFloat(4);
    EXPECT_DOUBLE_EQ(doubled.AsFloat(), 8.0);
    EXPECT_GT(calculations, 2);
    EXPECT_THROW(doubled.SetAsFloat(1), EDatabaseError); // only OnCalcFields writes it
    EXPECT_FALSE(doubled.CanModify());
    ds.Post();
    // Persistent fields outlive the close.
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 4);
    EXPECT_TRUE(doubled.IsNull());
}

} // namespace
