// The stepping locate and the emptiness test, on the in-memory dataset:
// where the dataset stands afterwards, what the controls hear, and every way
// out of a scan that fails.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "components/DataSetUtils.h"
#include "components/MemoryData.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

namespace {

// Counts what a control would hear.
class CountingLink : public TDataLink
{
public:
    int changes = 0;

protected:
    void DataSetChanged() override { ++changes; }
    void DataSetScrolled(int) override { ++changes; }
};

class LocateScanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        id = &static_cast<TIntegerField&>(data.AddField(std::make_unique<TIntegerField>("ID")));
        name = &static_cast<TStringField&>(data.AddField(std::make_unique<TStringField>("NAME", 20)));
        auto doubled = std::make_unique<TIntegerField>("DOUBLED");
        doubled->SetFieldKind(fkCalculated);
        data.AddField(std::move(doubled));
        data.OnCalcFields = [this](TDataSet& ds) {
            if (failAt && id->AsInteger() == failAt)
                throw std::runtime_error("calculation failed");
            ds.FieldByName("DOUBLED").SetAsInteger(id->AsInteger() * 2);
        };
        data.Open();
        const char* names[] = {"Apple", "ABC", "Banana", "élan", "abacus"};
        for (int i = 0; i < 5; ++i) {
            data.Append();
            id->SetAsInteger(i + 1);
            name->SetAsString(QString::fromUtf8(names[i]));
            data.Post();
        }
        source.SetDataSet(&data);
        link.SetDataSource(&source);
        data.AfterScroll = [this](TDataSet&) { ++scrolls; };
        data.SetRecNo(2);
        scrolls = 0;
        link.changes = 0;
    }

    int Id() { return id->AsInteger(); }

    TQcMemoryData data;
    TDataSource source;
    CountingLink link;
    TIntegerField* id = nullptr;
    TStringField* name = nullptr;
    int failAt = 0;
    int scrolls = 0;
};

TEST(DataSetEmpty, ClosedOrWithoutRecords)
{
    EXPECT_TRUE(DataSetEmpty(nullptr));
    TQcMemoryData data;
    auto& field = data.AddField(std::make_unique<TIntegerField>("ID"));
    EXPECT_TRUE(DataSetEmpty(&data));
    data.Open();
    EXPECT_TRUE(DataSetEmpty(&data));
    EXPECT_FALSE(DataSetLocateScan(data, "ID", 1, {}));
    data.Append();
    field.SetAsInteger(1);
    data.Post();
    EXPECT_FALSE(DataSetEmpty(&data));
    data.Next();
    EXPECT_FALSE(DataSetEmpty(&data)); // at its end, not at its beginning
    data.Delete();
    EXPECT_TRUE(DataSetEmpty(&data));
}

TEST_F(LocateScanTest, TheCurrentRecordIsTriedFirstAndNotLeft)
{
    EXPECT_TRUE(DataSetLocateScan(data, "NAME", "ab", loPartialKey | loCaseInsensitive));
    EXPECT_EQ(Id(), 2); // "ABC": the current record, although "Apple" comes first
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(link.changes, 0);
}

TEST_F(LocateScanTest, KeysCompareAsTextOrAsValues)
{
    EXPECT_TRUE(DataSetLocateScan(data, "NAME", "aba", loPartialKey | loCaseInsensitive));
    EXPECT_EQ(Id(), 5);
    EXPECT_FALSE(DataSetLocateScan(data, "NAME", "AP", loPartialKey));
    EXPECT_EQ(Id(), 5);
    EXPECT_TRUE(DataSetLocateScan(data, "NAME", "ab", loPartialKey | loCaseInsensitive));
    EXPECT_EQ(Id(), 5); // still the current record
    EXPECT_TRUE(DataSetLocateScan(data, "NAME", QString::fromUtf8("ÉLAN"), loCaseInsensitive));
    EXPECT_EQ(Id(), 4);
    EXPECT_FALSE(DataSetLocateScan(data, "NAME", QString::fromUtf8("ÉLAN"), {}));
    EXPECT_TRUE(DataSetLocateScan(data, "ID", "3", {}));
    EXPECT_EQ(name->AsString(), "Banana");
    EXPECT_TRUE(DataSetLocateScan(data, "id;name", QVariantList{1, "Apple"}, {}));
    EXPECT_EQ(Id(), 1);
    EXPECT_TRUE(DataSetLocateScan(data, "DOUBLED", 10, {}));
    EXPECT_EQ(Id(), 5);
}

TEST_F(LocateScanTest, AFailedLocateStaysOnItsRecordAndTheControlsHearOfItOnce)
{
    EXPECT_FALSE(DataSetLocateScan(data, "NAME", "Cherry", {}));
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(data.RecNo(), 2);
    EXPECT_FALSE(data.ControlsDisabled());
    // The steps of the scan and the way back went unheard; enabling the
    // controls again told them once.
    EXPECT_EQ(link.changes, 1);
}

TEST_F(LocateScanTest, AKeyListThatDoesNotFitIsRefused)
{
    try {
        DataSetLocateScan(data, "ID;NAME", 3, {});
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.Message(), "Locate on 2 field(s) needs as many key values, 1 given");
    }
    EXPECT_THROW(DataSetLocateScan(data, "ID;NAME", QVariantList{1, "Apple", "extra"}, {}), EDatabaseError);
    EXPECT_THROW(DataSetLocateScan(data, "", 1, {}), EDatabaseError);
    EXPECT_THROW(DataSetLocateScan(data, "NOPE", 1, {}), EDatabaseError);
    EXPECT_EQ(Id(), 2);
    EXPECT_FALSE(data.ControlsDisabled());
}

TEST_F(LocateScanTest, AnErrorDuringTheScanRestoresPositionAndControls)
{
    failAt = 4;
    EXPECT_THROW(DataSetLocateScan(data, "NAME", "abacus", {}), std::runtime_error);
    EXPECT_FALSE(data.ControlsDisabled());
    failAt = 0;
    data.Refresh();
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(data.RecNo(), 2);
}

TEST_F(LocateScanTest, AnEditInProgressIsPostedFirst)
{
    data.Edit();
    name->SetAsString(QStringLiteral("Cherry"));
    EXPECT_TRUE(DataSetLocateScan(data, "NAME", "cherry", loCaseInsensitive));
    EXPECT_EQ(data.State(), dsBrowse);
    EXPECT_EQ(Id(), 2);
}

} // namespace
