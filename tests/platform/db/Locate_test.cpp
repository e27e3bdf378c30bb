// Locate: exact, case-insensitive and partial keys, several key fields, and
// where the dataset stands afterwards.
#include "VectorDataSet_support.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <gtest/gtest.h>

namespace {

class Locate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.SetLazy(true);
        FillFiveProducts(ds);
        ds.Open();
    }
    int Id() { return ds.FieldByName("ID").AsInteger(); }

    TVectorDataSet ds;
};

TEST_F(Locate, ExactKeyFindsTheRecord)
{
    EXPECT_TRUE(ds.Locate("NAME", "Date", {}));
    EXPECT_EQ(Id(), 4);
    EXPECT_EQ(ds.RecNo(), 4);
    EXPECT_FALSE(ds.Locate("NAME", "date", {}));
    EXPECT_EQ(Id(), 4);
}

TEST_F(Locate, CaseInsensitiveKey)
{
    EXPECT_TRUE(ds.Locate("name", "CHERRY", loCaseInsensitive));
    EXPECT_EQ(Id(), 3);
}

TEST_F(Locate, PartialKeyMatchesTheStartOfTheText)
{
    EXPECT_TRUE(ds.Locate("NAME", "Ban", loPartialKey));
    EXPECT_EQ(Id(), 2);
    EXPECT_FALSE(ds.Locate("NAME", "an", loPartialKey));
    EXPECT_TRUE(ds.Locate("NAME", "AP", loPartialKey | loCaseInsensitive));
    EXPECT_EQ(Id(), 1); // the first of Apple and apricot
    EXPECT_TRUE(ds.Locate("NAME", "apr", loPartialKey));
    EXPECT_EQ(Id(), 5);
}

TEST_F(Locate, NumbersCompareAsNumbers)
{
    EXPECT_TRUE(ds.Locate("PRICE", 12, {}));
    EXPECT_EQ(Id(), 3);
    EXPECT_TRUE(ds.Locate("ID", "5", {})); // a key in another type is converted first
    EXPECT_EQ(Id(), 5);
    EXPECT_FALSE(ds.Locate("ID", "five", {}));
    EXPECT_EQ(Id(), 5);
}

TEST_F(Locate, SeveralKeyFields)
{
    EXPECT_TRUE(ds.Locate("NAME;PRICE", QVariantList({"Date", 3.75}), {}));
    EXPECT_EQ(Id(), 4);
    EXPECT_FALSE(ds.Locate("NAME;PRICE", QVariantList({"Date", 3.5}), {}));
    EXPECT_EQ(Id(), 4);
    EXPECT_THROW(ds.Locate("NAME;PRICE", "Date", {}), EDatabaseError);
    EXPECT_THROW(ds.Locate("NAME;COLOUR", QVariantList({"Date", 1}), {}), EDatabaseError);
}

TEST_F(Locate, FailedSearchStaysAndFiresNoScroll)
{
    ds.Next();
    TEventTrace trace(ds);
    EXPECT_FALSE(ds.Locate("NAME", "Mango", {}));
    EXPECT_EQ(Id(), 2);
    EXPECT_TRUE(trace.Take().isEmpty());
    ds.Next();
    EXPECT_EQ(Id(), 3); // the cursor was not disturbed
}

TEST_F(Locate, MatchOnTheActiveRecordDoesNotMove)
{
    ds.MoveBy(3);
    TEventTrace trace(ds);
    EXPECT_TRUE(ds.Locate("NAME", "Date", {}));
    EXPECT_TRUE(trace.Take().isEmpty());
    EXPECT_TRUE(ds.Locate("NAME", "Banana", {}));
    EXPECT_EQ(trace.Take(), QStringList({"BeforeScroll", "AfterScroll"}));
}

TEST_F(Locate, SearchFetchesRowsStillToCome)
{
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_TRUE(ds.Locate("NAME", "apricot", {}));
    EXPECT_EQ(Id(), 5);
    EXPECT_EQ(ds.RecordCount(), 5);
    ds.Prior();
    EXPECT_EQ(Id(), 4);
}

TEST_F(Locate, NullKeyFindsNullValue)
{
    ds.Locate("ID", 2, {});
    ds.Edit();
    ds.FieldByName("PRICE").Clear();
    ds.First(); // posts
    EXPECT_TRUE(ds.Locate("PRICE", QVariant(), {}));
    EXPECT_EQ(Id(), 2);
}

TEST_F(Locate, PendingEditIsPostedFirst)
{
    ds.Edit();
    ds.FieldByName("NAME").SetAsString("Mango");
    EXPECT_TRUE(ds.Locate("NAME", "Mango", {}));
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.StoredRow(0).value(1).toString(), "Mango");
}

TEST(LocateEmpty, EmptyDatasetFindsNothing)
{
    TVectorDataSet ds;
    FillProducts(ds, {});
    ds.Open();
    EXPECT_FALSE(ds.Locate("NAME", "Apple", {}));
}

} // namespace
