// The in-memory dataset: opening from its fields, the record layout, IDs and
// bookmarks, appending, inserting, editing and deleting, texts longer than
// their field, filtering, blobs, Locate, and a Qt view over it.

#include <QDateTime>
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "components/MemoryData.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/Stream.h"

namespace {

constexpr qint32 MinInt = std::numeric_limits<qint32>::min();

// A text field that hands the dataset whatever it is given, as a field of
// another library might: the dataset itself must keep the text to its size.
class TUncutStringField : public TStringField
{
public:
    using TStringField::TStringField;
    void SetAsString(const QString& value) override { SetData(value); }
};

QString Message(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EDatabaseError& error) {
        return error.Message();
    }
    return QStringLiteral("(no error)");
}

class MemoryDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        id = &static_cast<TIntegerField&>(data.AddField(std::make_unique<TIntegerField>("ID")));
        name = &static_cast<TStringField&>(data.AddField(std::make_unique<TUncutStringField>("NAME", 32)));
        price = &static_cast<TFloatField&>(data.AddField(std::make_unique<TFloatField>("PRICE")));
    }

    void Add(int i, const QString& n, double p)
    {
        data.Append();
        id->SetAsInteger(i);
        name->SetAsString(n);
        price->SetAsFloat(p);
        data.Post();
    }

    void FiveProducts()
    {
        data.Open();
        Add(1, "Apple", 1.5);
        Add(2, "Banana", 0.25);
        Add(3, "cherry", 12);
        Add(4, "Date", 3.75);
        Add(5, "apricot", 2);
    }

    TQcMemoryData data;
    TIntegerField* id = nullptr;
    TStringField* name = nullptr;
    TFloatField* price = nullptr;
};

TEST(MemoryDataOpen, NeedsFieldsOfTypesItCanHold)
{
    TQcMemoryData empty;
    EXPECT_EQ(Message([&] { empty.Open(); }), "No fields defined");
    EXPECT_FALSE(empty.Active());

    TQcMemoryData odd;
    odd.AddField(std::make_unique<TIntegerField>("ID"));
    odd.AddField(std::make_unique<TField>(ftCursor, "ROWS"));
    EXPECT_EQ(Message([&] { odd.Open(); }), "Field 'ROWS' is of an unknown type");
    EXPECT_FALSE(odd.Active());
}

TEST_F(MemoryDataTest, RecordLayoutNeverWraps)
{
    EXPECT_EQ(TQcMemoryData::CalcFieldLen(ftString, 32), 68);
    EXPECT_EQ(TQcMemoryData::CalcFieldLen(ftInteger, 0), 4);
    EXPECT_EQ(TQcMemoryData::CalcFieldLen(ftSmallint, 0), 2);
    EXPECT_EQ(TQcMemoryData::CalcFieldLen(ftDateTime, 0), 8);
    EXPECT_EQ(TQcMemoryData::CalcFieldLen(ftVarBytes, 10), 14);
    EXPECT_EQ(TQcMemoryData::CalcFieldLen(ftMemo, 0), 0);
    EXPECT_EQ(TQcMemoryData::CalcFieldLen(ftCursor, 0), -1);
    // Sizes far beyond 16 bits are computed, not wrapped.
    EXPECT_EQ(TQcMemoryData::CalcFieldLen(ftString, 40000), 80004);
    EXPECT_EQ(TQcMemoryData::CalcFieldLen(ftString, 2000000000), 4000000004LL);

    data.Open();
    EXPECT_EQ(data.RecordSize(), (1 + 4) + (1 + 68) + (1 + 8));
    EXPECT_EQ(data.FieldOffset(1), 0);
    EXPECT_EQ(data.FieldOffset(2), 5);
    EXPECT_EQ(data.FieldOffset(3), 74);

    // A wide text field puts the next field where it belongs.
    TQcMemoryData wide;
    wide.AddField(std::make_unique<TStringField>("TEXT", 40000));
    auto& after = static_cast<TIntegerField&>(wide.AddField(std::make_unique<TIntegerField>("AFTER")));
    auto& text = static_cast<TStringField&>(*wide.FindField("TEXT"));
    wide.Open();
    EXPECT_EQ(wide.FieldOffset(2), 80005);
    wide.Append();
    text.SetAsString(QString(40000, QLatin1Char('x')));
    after.SetAsInteger(77);
    wide.Post();
    EXPECT_EQ(text.AsString().size(), 40000);
    EXPECT_EQ(after.AsInteger(), 77);
}

TEST_F(MemoryDataTest, RecordsGetIdsFromTheSmallestIntegerOn)
{
    data.Open();
    EXPECT_TRUE(data.IsEmpty());
    Add(1, "one", 1);
    Add(2, "two", 2);
    ASSERT_EQ(data.StoredCount(), 2);
    EXPECT_EQ(data.Records(0)->ID(), -2147483647);
    EXPECT_EQ(data.Records(1)->ID(), -2147483646);
    EXPECT_EQ(data.Records(1)->Index(), 1);
    EXPECT_EQ(data.RecordCount(), 2);

    // IDs are not reused while records remain ...
    data.Delete();
    Add(3, "three", 3);
    EXPECT_EQ(data.Records(1)->ID(), -2147483645);
    // ... and start again once the last one is gone.
    data.First();
    data.Delete();
    data.Delete();
    EXPECT_TRUE(data.IsEmpty());
    Add(4, "four", 4);
    EXPECT_EQ(data.Records(0)->ID(), -2147483647);

    data.Close();
    data.Open();
    EXPECT_EQ(data.StoredCount(), 0);
    Add(5, "five", 5);
    EXPECT_EQ(data.Records(0)->ID(), -2147483647);
}

TEST_F(MemoryDataTest, ValuesComeBackAsTheyWentInAndLongTextsAreCut)
{
    data.Open();
    const QString unicode = QString::fromUtf8("Ünïcødé ☃ \xF0\x9D\x84\x9E");
    Add(1, unicode, 0.1);
    EXPECT_EQ(name->AsString(), unicode);
    EXPECT_EQ(price->AsFloat(), 0.1);

    Add(2, QString(50, QLatin1Char('y')), 7.25);
    EXPECT_EQ(name->AsString(), QString(32, QLatin1Char('y')));
    EXPECT_EQ(price->AsFloat(), 7.25); // the field after it is untouched
    EXPECT_EQ(id->AsInteger(), 2);

    // Never in the middle of a character.
    Add(3, QString(31, QLatin1Char('z')) + QString::fromUtf8("\xF0\x9D\x84\x9E"), 1);
    EXPECT_EQ(name->AsString(), QString(31, QLatin1Char('z')));

    // An empty text reads as no value, as the dataset always did.
    Add(4, QString(), 1);
    EXPECT_TRUE(name->IsNull());
    data.Edit();
    price->Clear();
    data.Post();
    EXPECT_TRUE(price->IsNull());
    EXPECT_EQ(id->AsInteger(), 4);
}

TEST_F(MemoryDataTest, InsertGoesBeforeTheCurrentRecordAppendAtTheEnd)
{
    data.Open();
    data.Insert(); // into an empty dataset
    id->SetAsInteger(2);
    data.Post();
    Add(3, "c", 3);
    data.First();
    data.Insert();
    id->SetAsInteger(1);
    data.Post();
    EXPECT_EQ(data.RecNo(), 1);
    data.SetRecNo(3);
    data.Insert();
    id->SetAsInteger(25);
    data.Post();
    std::vector<int> order;
    for (data.First(); !data.Eof(); data.Next())
        order.push_back(id->AsInteger());
    EXPECT_EQ(order, (std::vector<int>{1, 2, 25, 3}));

    data.SetRecNo(2);
    data.Edit();
    id->SetAsInteger(20);
    data.Post();
    data.Edit();
    id->SetAsInteger(99);
    data.Cancel();
    EXPECT_EQ(id->AsInteger(), 20);
    EXPECT_EQ(data.RecNo(), 2);
}

TEST_F(MemoryDataTest, ARecordCanBeMovedInTheList)
{
    FiveProducts();
    TMemoryRecord* date = const_cast<TMemoryRecord*>(data.Records(3));
    date->SetIndex(0);
    EXPECT_EQ(date->Index(), 0);
    EXPECT_EQ(data.Records(0), date);
    data.First();
    EXPECT_EQ(name->AsString(), "Date");
    data.Next();
    EXPECT_EQ(name->AsString(), "Apple");
}

TEST_F(MemoryDataTest, RecNoMovesWithinTheRecordsOnly)
{
    FiveProducts();
    data.SetRecNo(5);
    EXPECT_EQ(id->AsInteger(), 5);
    EXPECT_EQ(data.RecNo(), 5);
    data.SetRecNo(0);
    EXPECT_EQ(data.RecNo(), 5);
    data.SetRecNo(6);
    EXPECT_EQ(data.RecNo(), 5);
    data.SetRecNo(2);
    EXPECT_EQ(name->AsString(), "Banana");
    data.Last();
    EXPECT_TRUE(data.Eof());
    EXPECT_EQ(data.RecNo(), 5);
    data.First();
    EXPECT_EQ(data.RecNo(), 1);
}

TEST_F(MemoryDataTest, AutoIncrementFieldsCountOnInsert)
{
    TQcMemoryData numbered;
    auto& key = static_cast<TIntegerField&>(numbered.AddField(std::make_unique<TIntegerField>("KEY", ftAutoInc)));
    auto& label = static_cast<TStringField&>(numbered.AddField(std::make_unique<TStringField>("LABEL", 10)));
    numbered.Open();
    for (const char* text : {"a", "b", "c"}) {
        numbered.Append();
        label.SetAsString(QLatin1String(text));
        numbered.Post();
    }
    EXPECT_EQ(key.AsInteger(), 3);
    EXPECT_EQ(numbered.AutoIncValue(), 4);
    numbered.First();
    EXPECT_EQ(key.AsInteger(), 1);
    numbered.Close();
    EXPECT_EQ(numbered.AutoIncValue(), 1);
}

TEST_F(MemoryDataTest, FilteringHidesRecordsAndForbidsChanges)
{
    FiveProducts();
    data.SetRecNo(3);
    int handlerCalls = 0;
    data.SetOnFilterRecord([&](TDataSet&, bool& accept) {
        ++handlerCalls;
        accept = price->AsFloat() >= 2;
    });
    EXPECT_EQ(data.RecNo(), 3); // no move while the filter is off
    data.SetFiltered(true);
    EXPECT_GT(handlerCalls, 0);
    EXPECT_FALSE(data.CanModify());
    EXPECT_EQ(Message([&] { data.Edit(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(Message([&] { data.Append(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(name->AsString(), "cherry"); // moved to the first that passes
    std::vector<int> shown;
    for (data.First(); !data.Eof(); data.Next())
        shown.push_back(id->AsInteger());
    EXPECT_EQ(shown, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(data.RecordCount(), 5); // the filter does not count

    // A bookmark of a hidden record does not move the dataset there.
    data.SetFiltered(false);
    data.First();
    const TBookmark apple = data.GetBookmark();
    data.SetFiltered(true);
    data.Last();
    data.GotoBookmark(apple);
    EXPECT_EQ(name->AsString(), "apricot");

    data.SetFiltered(false);
    EXPECT_TRUE(data.CanModify());
    EXPECT_EQ(id->AsInteger(), 1);
}

TEST_F(MemoryDataTest, BookmarksAreRecordIds)
{
    FiveProducts();
    data.SetRecNo(2);
    const TBookmark banana = data.GetBookmark();
    data.SetRecNo(4);
    const TBookmark date = data.GetBookmark();
    EXPECT_TRUE(data.BookmarkValid(banana));
    EXPECT_EQ(data.CompareBookmarks(banana, date), -1);
    EXPECT_EQ(data.CompareBookmarks(date, banana), 1);
    EXPECT_EQ(data.CompareBookmarks(TBookmark(), banana), -1);
    data.GotoBookmark(banana);
    EXPECT_EQ(name->AsString(), "Banana");

    data.Delete();
    EXPECT_EQ(name->AsString(), "cherry");
    EXPECT_FALSE(data.BookmarkValid(banana));
    EXPECT_EQ(Message([&] { data.GotoBookmark(banana); }), "Record not found");
    EXPECT_EQ(name->AsString(), "cherry");
    const qint32 none = MinInt;
    EXPECT_FALSE(data.BookmarkValid(TBookmark(reinterpret_cast<const char*>(&none), sizeof none)));
    data.Close();
    EXPECT_FALSE(data.BookmarkValid(date));
}

TEST_F(MemoryDataTest, LocateFindsOrStaysWhereItWas)
{
    FiveProducts();
    data.SetRecNo(2);
    int scrolled = 0;
    data.AfterScroll = [&](TDataSet&) { ++scrolled; };
    EXPECT_TRUE(data.Locate("NAME", "CHERRY", loCaseInsensitive));
    EXPECT_EQ(id->AsInteger(), 3);
    EXPECT_GT(scrolled, 0);

    EXPECT_FALSE(data.Locate("NAME", "Fig", {}));
    EXPECT_EQ(id->AsInteger(), 3);
    EXPECT_TRUE(data.Locate("ID;PRICE", QVariantList{5, 2}, {}));
    EXPECT_EQ(name->AsString(), "apricot");
    EXPECT_FALSE(data.Locate("ID;PRICE", QVariantList{5, 3}, {}));
    EXPECT_EQ(name->AsString(), "apricot");
}

TEST_F(MemoryDataTest, BlobsLiveBesideTheRecord)
{
    TQcMemoryData notes;
    auto& key = static_cast<TIntegerField&>(notes.AddField(std::make_unique<TIntegerField>("KEY")));
    auto& memo = static_cast<TMemoField&>(notes.AddField(std::make_unique<TMemoField>("MEMO")));
    auto& blob = static_cast<TBlobField&>(notes.AddField(std::make_unique<TBlobField>("DATA")));
    auto& text = static_cast<TStringField&>(notes.AddField(std::make_unique<TStringField>("TEXT", 0)));
    notes.Open();

    // An empty dataset has nothing to read, and reading gives nothing.
    EXPECT_EQ(notes.CreateBlobStream(blob, bmRead)->Size(), 0);
    EXPECT_TRUE(blob.AsBytes().isEmpty());
    EXPECT_EQ(Message([&] { notes.CreateBlobStream(blob, bmWrite); }), "Dataset not in edit or insert mode");

    notes.Append();
    key.SetAsInteger(1);
    memo.SetAsString(QStringLiteral("a memo, ünïcode"));
    {
        auto stream = notes.CreateBlobStream(blob, bmWrite);
        stream->WriteBytes(QByteArray("\x00\x01\x02", 3));
        stream->Seek(10, soBeginning);
        stream->WriteBytes("end");
    }
    text.SetAsString(QString(5000, QLatin1Char('t'))); // no size: no limit
    notes.Post();
    EXPECT_EQ(memo.AsString(), "a memo, ünïcode");
    EXPECT_EQ(blob.AsBytes(), QByteArray("\x00\x01\x02\0\0\0\0\0\0\0end", 13));
    EXPECT_EQ(text.AsString().size(), 5000);
    EXPECT_FALSE(blob.IsNull());

    // A stream kept beyond the edit it was made in writes nothing.
    notes.Edit();
    auto late = notes.CreateBlobStream(blob, bmReadWrite);
    notes.Cancel();
    EXPECT_EQ(Message([&] { late->WriteBytes("x"); }), "Dataset not in edit or insert mode");
    late.reset();
    EXPECT_EQ(blob.BlobSize(), 13);

    blob.SetReadOnly(true);
    notes.Edit();
    EXPECT_EQ(Message([&] { notes.CreateBlobStream(blob, bmWrite); }), "Field 'DATA' cannot be modified");
    notes.Cancel();
    blob.SetReadOnly(false);

    notes.Edit();
    blob.Clear();
    notes.Post();
    EXPECT_TRUE(blob.IsNull());
}

TEST_F(MemoryDataTest, AQtViewShowsAndEditsTheRecords)
{
    FiveProducts();
    TDataSource source;
    source.SetDataSet(&data);
    TDataSetModel model;
    model.setDataSource(&source);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "NAME");
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), "cherry");
    EXPECT_TRUE(model.setData(model.index(3, 1), QStringLiteral("Dragonfruit")));
    EXPECT_TRUE(model.submit());
    EXPECT_EQ(model.data(model.index(3, 1)).toString(), "Dragonfruit");
    data.SetRecNo(4);
    EXPECT_EQ(name->AsString(), "Dragonfruit");
    Add(6, "Fig", 0.5);
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.data(model.index(5, 1)).toString(), "Fig");
}

} // namespace
