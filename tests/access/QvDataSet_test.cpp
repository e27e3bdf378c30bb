// The buffered dataset over real tables: opening, fields, lazy fetching,
// posting, deleting and refreshing through the supplied statements, blobs,
// cached updates, searches, master and detail, and the transaction's end.

#include "DataSetTest_support.h"
#include "access/QvDataSet.h"

#include "platform/db/ValueText.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

using qvdataset::clientErrorCode;

const QString updateText = QStringLiteral("update T set ID=?ID,NAME=?NAME where ID=?old_ID");

class DataSet : public qvdataset::DataSetDatabase
{
protected:
    void SetUp() override
    {
        DataSetDatabase::SetUp();
        if (IsSkipped())
            return;
        ddl(QStringLiteral("create table T (ID integer not null primary key, NAME varchar(20), "
                           "PRICE numeric(9,2), RATE double precision, STAMP date, "
                           "NOTE blob sub_type 1, DATA blob sub_type 0)"));
        for (int id = 1; id <= 5; ++id)
            run(QStringLiteral("insert into T (ID, NAME, PRICE, RATE, STAMP, NOTE) values (%1, 'name %1', %1.25, "
                               "%1.5, '2024-03-0%1 10:20:30', 'note %1')")
                    .arg(id));
        commit();
    }

    std::unique_ptr<TQvDataSet> editable(const QString& select = QStringLiteral("select * from T order by ID"))
    {
        auto ds = dataSet(select);
        ds->SetInsertSQLText(QStringLiteral("insert into T (ID, NAME, PRICE, NOTE, DATA) "
                                            "values (?ID, ?NAME, ?PRICE, ?NOTE, ?DATA)"));
        ds->SetUpdateSQLText(QStringLiteral("update T set ID=?ID, NAME=?NAME, PRICE=?PRICE, NOTE=?NOTE, "
                                            "DATA=?DATA where ID=?old_ID"));
        ds->SetDeleteSQLText(QStringLiteral("delete from T where ID=?old_ID"));
        ds->SetRefreshSQLText(QStringLiteral("select * from T where ID=?ID"));
        return ds;
    }

    int count(const QString& where = QString())
    {
        return scalar(QStringLiteral("select count(*) from T ") + where).toInt();
    }
};

TEST_P(DataSet, EmptySelectIsRefused)
{
    auto ds = dataSet(QString());
    QString message;
    EXPECT_EQ(clientErrorCode([&] { ds->Open(); }, &message), 36);
    EXPECT_EQ(message, QStringLiteral("Empty query."));
    EXPECT_FALSE(ds->Active());
}

TEST_P(DataSet, WithoutModifyStatementsItIsReadOnly)
{
    auto ds = dataSet(QStringLiteral("select * from T order by ID"));
    ds->Open();
    EXPECT_FALSE(ds->CanModify());
    QString message;
    EXPECT_EQ(clientErrorCode([&] { ds->Edit(); }, &message), 44);
    EXPECT_EQ(message, QStringLiteral("Cannot update. (No update query)."));
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(clientErrorCode([&] { ds->Insert(); }, &message), 42);
    EXPECT_EQ(message, QStringLiteral("Cannot insert into dataset. (No insert query)."));
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 1);
    EXPECT_EQ(clientErrorCode([&] { ds->Append(); }), 42);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 1); // a refused append leaves the record where it was
    EXPECT_EQ(clientErrorCode([&] { ds->Delete(); }, &message), 45);
    EXPECT_EQ(message, QStringLiteral("Cannot delete from dataset. (No delete query)."));
    EXPECT_EQ(clientErrorCode([&] { ds->Refresh(); }, &message), 46);
    EXPECT_EQ(message, QStringLiteral("Cannot refresh row. (No refresh query)."));

    ds->SetUpdateSQLText(updateText);
    EXPECT_TRUE(ds->CanModify());
}

TEST_P(DataSet, FieldsFollowTheColumnTypes)
{
    auto ds = dataSet(QStringLiteral("select ID, NAME, PRICE, RATE, STAMP, NOTE, DATA, cast('ab' as char(4)) as C "
                                     "from T where ID = 2"));
    ds->Open();
    ASSERT_EQ(ds->FieldCount(), 8);
    EXPECT_NE(dynamic_cast<TQvStringField*>(&ds->FieldByName("NAME")), nullptr);
    EXPECT_EQ(ds->FieldByName("NAME").Size(), 20);
    EXPECT_EQ(ds->FieldByName("ID").DataType(), ftInteger);
    EXPECT_EQ(ds->FieldByName("PRICE").DataType(), ftFloat); // NUMERIC with scale -2
    EXPECT_EQ(ds->FieldByName("RATE").DataType(), ftFloat);
    EXPECT_EQ(ds->FieldByName("STAMP").DataType(), ftDateTime);
    EXPECT_EQ(ds->FieldByName("NOTE").DataType(), ftMemo);
    EXPECT_EQ(ds->FieldByName("DATA").DataType(), ftBlob);

    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 2);
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("name 2"));
    EXPECT_DOUBLE_EQ(ds->FieldByName("PRICE").AsFloat(), 2.25);
    EXPECT_DOUBLE_EQ(ds->FieldByName("RATE").AsFloat(), 2.5);
    EXPECT_EQ(ds->FieldByName("STAMP").AsString(), QStringLiteral("2024-03-02 10:20:30"));
    EXPECT_EQ(ds->FieldByName("NOTE").AsString(), QStringLiteral("note 2"));
    EXPECT_TRUE(ds->FieldByName("DATA").IsNull());
    EXPECT_EQ(ds->FieldByName("C").AsString(), QStringLiteral("ab  "));
}

TEST_P(DataSet, DateTimeTextIsTheStatementsText)
{
    ddl(QStringLiteral("create table W (N integer, S date)"));
    const QStringList stamps{"0001-01-01 00:00:00", "1800-02-28 23:59:59.999", "1858-11-16 12:00:00",
                             "1858-11-17 00:00:00", "1900-03-01 00:00:01", "2000-02-29 12:34:56.789",
                             "2024-12-31 23:00:00.5", "2024-06-01 08:00:00.1234", "9999-12-31 23:59:59.999"};
    for (int i = 0; i < stamps.size(); ++i)
        run(QStringLiteral("insert into W values (%1, '%2')").arg(i).arg(stamps[i]));
    run(QStringLiteral("insert into W values (99, null)"));
    auto ds = dataSet(QStringLiteral("select S from W order by N"));
    ds->Open();
    TField& stamp = ds->FieldByName("S");
    ASSERT_NE(dynamic_cast<TQvDateTimeField*>(&stamp), nullptr);
    TQvQuery query;
    query.SetDatabase(database.get());
    query.SetTransaction(transaction.get());
    query.SetSQLText(QStringLiteral("select S from W order by N"));
    query.ExecQuery();
    QStringList texts;
    for (; !ds->Eof(); ds->Next(), query.Next()) {
        ASSERT_FALSE(query.Eof());
        // One conversion for both: the dataset's text is the statement's.
        EXPECT_EQ(stamp.AsString(), query.Fields(0).AsString());
        if (stamp.IsNull()) {
            EXPECT_EQ(stamp.AsString(), QString());
            continue;
        }
        texts.append(stamp.DisplayText());
    }
    // A time stamp at midnight is its date alone; a fraction shows as far as it goes.
    EXPECT_EQ(texts, (QStringList{"0001-01-01", "1800-02-28 23:59:59.999", "1858-11-16 12:00:00", "1858-11-17",
                                  "1900-03-01 00:00:01", "2000-02-29 12:34:56.789", "2024-12-31 23:00:00.500",
                                  "2024-06-01 08:00:00.1234", "9999-12-31 23:59:59.999"}));
}

TEST_P(DataSet, RowsAreFetchedAsFarAsTheCursorMoves)
{
    auto ds = dataSet(QStringLiteral("select ID from T order by ID"));
    ds->Open();
    EXPECT_EQ(ds->RecordCount(), 1);
    EXPECT_TRUE(ds->CanFetchMore());
    ds->Next();
    ds->Next();
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->RecNo(), 3);
    ds->First();
    EXPECT_TRUE(ds->Bof());
    ds->Prior(); // from the first record: beginning of file, no server call
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 1);
    ds->Last();
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->RecordCount(), 5);
    EXPECT_FALSE(ds->CanFetchMore());
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 5);
    QList<int> backwards;
    while (!ds->Bof()) {
        backwards.append(ds->FieldByName("ID").AsInteger());
        ds->Prior();
    }
    EXPECT_EQ(backwards, (QList<int>{5, 4, 3, 2, 1}));
}

TEST_P(DataSet, RecNoBeyondTheFetchedRowsFetchesUpToIt)
{
    auto ds = dataSet(QStringLiteral("select ID from T order by ID"));
    ds->Open();
    ds->SetRecNo(4);
    EXPECT_EQ(ds->RecNo(), 4);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 4);
    EXPECT_EQ(ds->RecordCount(), 4);
    ds->SetRecNo(99); // no such record: ignored
    EXPECT_EQ(ds->RecNo(), 4);
}

TEST_P(DataSet, EditingTheKeyMovesTheRowOnTheServer)
{
    auto ds = dataSet(QStringLiteral("select ID, NAME from T order by ID"));
    ds->SetUpdateSQLText(updateText);
    ds->Open();
    ds->Next();
    ds->Edit();
    ds->FieldByName("ID").SetAsInteger(42);
    ds->FieldByName("NAME").SetAsString(QStringLiteral("moved"));
    ds->Post();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 42);
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_EQ(count(QStringLiteral("where ID = 2")), 0);
    EXPECT_EQ(scalar(QStringLiteral("select NAME from T where ID = 42")), QStringLiteral("moved"));
    EXPECT_EQ(count(), 5);
}

TEST_P(DataSet, DeleteLowersRecordCountByOne)
{
    auto ds = editable();
    ds->Open();
    ds->Last();
    EXPECT_EQ(ds->RecordCount(), 5);
    ds->SetRecNo(3);
    ds->Delete();
    EXPECT_EQ(ds->RecordCount(), 4);
    EXPECT_EQ(ds->RowCount(), 4);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 4);
    EXPECT_EQ(ds->RecNo(), 3); // a position among the records shown
    EXPECT_EQ(count(QStringLiteral("where ID = 3")), 0);
    QList<int> ids;
    for (ds->First(); !ds->Eof(); ds->Next())
        ids.append(ds->FieldByName("ID").AsInteger());
    EXPECT_EQ(ids, (QList<int>{1, 2, 4, 5}));
    ds->Last();
    EXPECT_EQ(ds->RecNo(), 4);
    ds->Delete(); // the last one: the new last becomes current
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 4);
    EXPECT_EQ(ds->RecordCount(), 3);
}

TEST_P(DataSet, EmptyStringPostsAsNull)
{
    auto ds = editable();
    ds->Open();
    ds->Edit();
    ds->FieldByName("NAME").SetAsString(QString());
    EXPECT_TRUE(ds->FieldByName("NAME").IsNull());
    ds->Post();
    bool null = false;
    scalar(QStringLiteral("select NAME from T where ID = 1"), &null);
    EXPECT_TRUE(null);
}

TEST_P(DataSet, InsertAppendsAndPostsTheNewRow)
{
    auto ds = editable();
    ds->Open();
    ds->Append();
    ds->FieldByName("ID").SetAsInteger(6);
    ds->FieldByName("NAME").SetAsString(QStringLiteral("six"));
    ds->FieldByName("PRICE").SetAsFloat(6.5);
    ds->FieldByName("NOTE").SetAsString(QStringLiteral("a new note"));
    ds->Post();
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 6);
    EXPECT_EQ(scalar(QStringLiteral("select NAME from T where ID = 6")), QStringLiteral("six"));
    EXPECT_EQ(scalar(QStringLiteral("select PRICE from T where ID = 6")), QStringLiteral("6.5"));
    EXPECT_EQ(scalar(QStringLiteral("select cast(NOTE as varchar(20)) from T where ID = 6")),
              QStringLiteral("a new note"));
    ds->First();
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 1);
}

TEST_P(DataSet, ServerErrorsLeaveTheRecordBeingEdited)
{
    auto ds = editable();
    ds->Open();
    ds->Insert();
    ds->FieldByName("ID").SetAsInteger(1); // taken
    EXPECT_THROW(ds->Post(), EQvInterBaseError);
    EXPECT_EQ(ds->State(), dsInsert);
    int seen = 0;
    ds->OnPostError = [&](TDataSet&, EDatabaseError& error, TDataAction& action) {
        const auto* server = dynamic_cast<EQvInterBaseError*>(&error);
        EXPECT_NE(server, nullptr);
        if (server) {
            EXPECT_EQ(server->SQLCode(), -803);
        }
        ++seen;
        action = daAbort;
    };
    EXPECT_NO_THROW(ds->Post());
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(ds->State(), dsInsert);
    ds->FieldByName("ID").SetAsInteger(7);
    ds->Post();
    EXPECT_EQ(count(QStringLiteral("where ID = 7")), 1);
}

TEST_P(DataSet, CannotPostWhenTheStatementWentAway)
{
    auto ds = editable();
    ds->Open();
    ds->Edit();
    ds->SetUpdateSQL({});
    QString message;
    EXPECT_EQ(clientErrorCode([&] { ds->FieldByName("NAME").SetAsString("x"); }, &message), 43);
    EXPECT_EQ(message, QStringLiteral("Cannot post. (No update/insert query)."));
    EXPECT_EQ(clientErrorCode([&] { ds->Post(); }), 43);
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("name 1"));
}

TEST_P(DataSet, RefreshShowsAnotherAttachmentsCommittedChange)
{
    auto ds = editable();
    ds->Open();
    ds->Next();
    {
        auto other = attach();
        TQvTransaction otherTransaction;
        otherTransaction.SetDefaultDatabase(other.get());
        otherTransaction.StartTransaction();
        TQvQuery update;
        update.SetDatabase(other.get());
        update.SetTransaction(&otherTransaction);
        update.SetSQLText(QStringLiteral("update T set NAME = 'changed elsewhere', PRICE = 9.75 where ID = 2"));
        update.ExecQuery();
        otherTransaction.Commit();
        other->Close();
    }
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("name 2"));
    ds->Refresh();
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("changed elsewhere"));
    EXPECT_DOUBLE_EQ(ds->FieldByName("PRICE").AsFloat(), 9.75);
    EXPECT_EQ(ds->RecNo(), 2);
    ds->Prior();
    ds->Next();
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("changed elsewhere"));
    // A row that is gone leaves the record as it was.
    run(QStringLiteral("delete from T where ID = 2"));
    EXPECT_NO_THROW(ds->Refresh());
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("changed elsewhere"));
}

TEST_P(DataSet, CommitClosesTheDataset)
{
    auto ds = editable();
    ds->Open();
    ds->Edit();
    ds->FieldByName("NAME").SetAsString(QStringLiteral("never posted"));
    transaction->Commit();
    EXPECT_FALSE(ds->Active());
    transaction->StartTransaction();
    ds->Open();
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("name 1"));
    transaction->Rollback();
    EXPECT_FALSE(ds->Active());
    transaction->StartTransaction();
    database->Close();
    EXPECT_FALSE(ds->Active());
    database->Open();
    transaction->StartTransaction();
    ds->Open(); // statements prepared again on the new attachment
    EXPECT_EQ(ds->RecordCount(), 1);
}

TEST_P(DataSet, EditedBlobFieldIsOnTheServerAfterPost)
{
    auto ds = editable();
    ds->Open();
    QByteArray bytes(40000, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i % 253);
    ds->Edit();
    auto& data = static_cast<TBlobField&>(ds->FieldByName("DATA"));
    data.SetAsBytes(bytes);
    EXPECT_FALSE(data.IsNull());
    ds->FieldByName("NOTE").SetAsString(QStringLiteral("the new description"));
    ds->Post();
    EXPECT_EQ(data.AsBytes(), bytes);

    auto fresh = dataSet(QStringLiteral("select NOTE, DATA from T where ID = 1"));
    fresh->Open();
    EXPECT_EQ(fresh->FieldByName("NOTE").AsString(), QStringLiteral("the new description"));
    EXPECT_EQ(static_cast<TBlobField&>(fresh->FieldByName("DATA")).AsBytes(), bytes);
    fresh->Close();
    commit();
    EXPECT_EQ(scalar(QStringLiteral("select cast(NOTE as varchar(40)) from T where ID = 1")),
              QStringLiteral("the new description"));
}

TEST_P(DataSet, DescriptionEditAsTheEditorsDoIt)
{
    // Open, edit the text blob, post, commit: the update sends the new blob.
    auto ds = dataSet(QStringLiteral("select ID, NOTE from T where ID = 3"));
    ds->SetUpdateSQLText(QStringLiteral("update T set NOTE=?new_NOTE where ID=?old_ID"));
    ds->Open();
    ds->Edit();
    ds->FieldByName("NOTE").SetAsString(QStringLiteral("line one\r\nline two"));
    ds->Post();
    transaction->Commit();
    EXPECT_FALSE(ds->Active());
    transaction->StartTransaction();
    EXPECT_EQ(scalar(QStringLiteral("select cast(NOTE as varchar(40)) from T where ID = 3")),
              QStringLiteral("line one\r\nline two"));
}

TEST_P(DataSet, CancelledBlobEditLeavesTheOldContents)
{
    auto ds = editable();
    ds->Open();
    EXPECT_EQ(ds->FieldByName("NOTE").AsString(), QStringLiteral("note 1"));
    ds->Edit();
    ds->FieldByName("NOTE").SetAsString(QStringLiteral("abandoned"));
    EXPECT_EQ(ds->FieldByName("NOTE").AsString(), QStringLiteral("abandoned"));
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("NOTE").AsString(), QStringLiteral("note 1"));

    // A post the server refused, then a cancel: still the old contents.
    ds->Edit();
    ds->FieldByName("NOTE").SetAsString(QStringLiteral("refused"));
    ds->FieldByName("ID").SetAsInteger(2); // duplicate key
    EXPECT_THROW(ds->Post(), EQvInterBaseError);
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("NOTE").AsString(), QStringLiteral("note 1"));
    ds->Next();
    ds->Prior();
    EXPECT_EQ(ds->FieldByName("NOTE").AsString(), QStringLiteral("note 1"));
}

TEST_P(DataSet, BlobStreamsWriteOnlyWhileEditing)
{
    auto ds = editable();
    ds->Open();
    TField& note = ds->FieldByName("NOTE");
    QString message;
    EXPECT_EQ(clientErrorCode([&] { ds->CreateBlobStream(note, bmWrite); }, &message), 41);
    EXPECT_EQ(message, QStringLiteral("Not editing."));
    auto reader = ds->CreateBlobStream(note, bmReadWrite);
    EXPECT_EQ(clientErrorCode([&] { reader->WriteBytes("x"); }), 41);
    EXPECT_EQ(reader->ReadAll(), QByteArray("note 1"));
}

TEST_P(DataSet, BlobStreamDestructorSwallowsAHandlersFailure)
{
    auto ds = editable();
    TDataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    ds->Edit();
    source.OnDataChange = [](TDataSource&, TField* field) {
        if (field)
            throw EDatabaseError(QStringLiteral("a control refused"));
    };
    auto stream = ds->CreateBlobStream(ds->FieldByName("DATA"), bmWrite);
    EXPECT_NO_THROW(stream.reset());
    source.OnDataChange = nullptr;
    ds->Cancel();
}

TEST_P(DataSet, BlobStreamOutlivingItsOpenReportsNothing)
{
    auto ds = editable();
    ds->Open();
    ds->Edit();
    auto stream = ds->CreateBlobStream(ds->FieldByName("DATA"), bmWrite);
    ds->Close(); // the fields are gone
    EXPECT_NO_THROW(stream.reset());
    ds->Open();
    EXPECT_TRUE(ds->FieldByName("DATA").IsNull());
}

TEST_P(DataSet, InsertedRecordWithABlob)
{
    auto ds = editable();
    ds->Open();
    ds->Insert();
    ds->FieldByName("ID").SetAsInteger(8);
    static_cast<TBlobField&>(ds->FieldByName("DATA")).SetAsBytes(QByteArray("\x01\x02\x03", 3));
    ds->Post();
    auto fresh = dataSet(QStringLiteral("select DATA from T where ID = 8"));
    fresh->Open();
    EXPECT_EQ(static_cast<TBlobField&>(fresh->FieldByName("DATA")).AsBytes(), QByteArray("\x01\x02\x03", 3));
}

TEST_P(DataSet, PropertiesRefusedWhileOpen)
{
    auto ds = editable();
    ds->Open();
    EXPECT_EQ(clientErrorCode([&] { ds->SetSelectSQLText(QStringLiteral("select 1 from rdb$database")); }), 27);
    EXPECT_EQ(clientErrorCode([&] { ds->SetDatabase(nullptr); }), 27);
    EXPECT_EQ(clientErrorCode([&] { ds->SetTransaction(nullptr); }), 27);
    EXPECT_EQ(clientErrorCode([&] { ds->SetUniDirectional(true); }), 27);
    EXPECT_EQ(clientErrorCode([&] { ds->SetCachedUpdates(true); }), 27);
    ds->SetBufferChunks(0);
    EXPECT_EQ(ds->BufferChunks(), 32);
    ds->SetBufferChunks(-4);
    EXPECT_EQ(ds->BufferChunks(), 32);
    ds->SetBufferChunks(2);
    EXPECT_EQ(ds->BufferChunks(), 2);
}

TEST_P(DataSet, SmallChunksHoldManyRows)
{
    for (int id = 10; id < 300; ++id)
        run(QStringLiteral("insert into T (ID, NAME) values (%1, 'n%1')").arg(id));
    auto ds = dataSet(QStringLiteral("select ID, NAME from T order by ID"));
    ds->SetBufferChunks(3);
    ds->Open();
    ds->Last();
    EXPECT_EQ(ds->RecordCount(), 295);
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("n299"));
    ds->SetRecNo(7);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 11);
    EXPECT_GT(ds->CacheBytes(), 0);
}

TEST_P(DataSet, LocateFindsTheFirstMatchFromTheStart)
{
    run(QStringLiteral("insert into T (ID, NAME) values (6, 'Name 2')"));
    auto ds = dataSet(QStringLiteral("select ID, NAME from T order by ID desc"));
    ds->Open();
    EXPECT_TRUE(ds->Locate(QStringLiteral("NAME"), QStringLiteral("name 2"), loCaseInsensitive));
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 6);
    ds->Next();
    EXPECT_TRUE(ds->Locate(QStringLiteral("NAME"), QStringLiteral("name 2"), {}));
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 2);
    EXPECT_TRUE(ds->Locate(QStringLiteral("NAME"), QStringLiteral("NAME"), loCaseInsensitive | loPartialKey));
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 6);
    EXPECT_FALSE(ds->Locate(QStringLiteral("NAME"), QStringLiteral("nobody"), {}));
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 6);
    EXPECT_TRUE(ds->Locate(QStringLiteral("ID;NAME"), QVariantList{4, QStringLiteral("name 4")}, {}));
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(ds->Lookup(QStringLiteral("ID"), 1, QStringLiteral("NAME")), QVariant(QStringLiteral("name 1")));
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 4);
    EXPECT_FALSE(ds->Lookup(QStringLiteral("ID"), 99, QStringLiteral("NAME")).isValid());
}

TEST_P(DataSet, CachedUpdatesStayInTheCacheUntilCancelled)
{
    auto ds = editable();
    ds->SetCachedUpdates(true);
    ds->Open();
    ds->Edit();
    ds->FieldByName("NAME").SetAsString(QStringLiteral("cached"));
    ds->Post();
    EXPECT_TRUE(ds->UpdatesPending());
    ds->Next();
    ds->Delete();
    ds->Append();
    ds->FieldByName("ID").SetAsInteger(9);
    ds->Post();
    EXPECT_EQ(ds->RecordCount(), 5);
    EXPECT_EQ(scalar(QStringLiteral("select NAME from T where ID = 1")), QStringLiteral("name 1"));
    EXPECT_EQ(count(), 5);
    EXPECT_EQ(count(QStringLiteral("where ID = 9")), 0);

    // The transaction's end keeps the records: all rows are fetched first.
    commit();
    ASSERT_TRUE(ds->Active());
    ds->First();
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("cached"));
    ds->Last();
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 9);

    TQvUpdateRecordTypes withDeleted{cusUnmodified, cusModified, cusInserted, cusDeleted};
    ds->SetUpdateRecordTypes(withDeleted);
    EXPECT_EQ(ds->RowCount(), 6);
    ds->SetUpdateRecordTypes({cusUnmodified, cusModified, cusInserted});

    ds->CancelUpdates();
    EXPECT_FALSE(ds->UpdatesPending());
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), QStringLiteral("name 1"));
    EXPECT_EQ(ds->RecordCount(), 5);
    QList<int> ids;
    for (ds->First(); !ds->Eof(); ds->Next())
        ids.append(ds->FieldByName("ID").AsInteger());
    EXPECT_EQ(ids, (QList<int>{1, 2, 3, 4, 5}));
}

TEST_P(DataSet, CachedBlobIsReadAtOnce)
{
    auto ds = dataSet(QStringLiteral("select ID, NOTE from T order by ID"));
    ds->SetCachedUpdates(true);
    ds->Open();
    ds->Last();
    transaction->Commit();
    ASSERT_TRUE(ds->Active());
    // No transaction running: the read starts one and commits it.
    EXPECT_EQ(ds->FieldByName("NOTE").AsString(), QStringLiteral("note 5"));
    EXPECT_FALSE(transaction->Active());
    transaction->StartTransaction();
}

TEST_P(DataSet, MasterRecordReopensTheDetail)
{
    ddl(QStringLiteral("create table D (ID integer not null primary key, T_ID integer, WHAT varchar(10))"));
    run(QStringLiteral("insert into D values (1, 1, 'one-a')"));
    run(QStringLiteral("insert into D values (2, 1, 'one-b')"));
    run(QStringLiteral("insert into D values (3, 2, 'two-a')"));
    auto master = dataSet(QStringLiteral("select ID, NAME from T order by ID"));
    TDataSource source;
    source.SetDataSet(master.get());
    auto detail = dataSet(QStringLiteral("select WHAT from D where T_ID = :ID order by ID"));
    detail->SetDataSource(&source);
    master->Open();
    detail->Open();
    auto whats = [&] {
        QStringList result;
        for (detail->First(); !detail->Eof(); detail->Next())
            result.append(detail->FieldByName("WHAT").AsString());
        return result;
    };
    EXPECT_EQ(whats(), (QStringList{"one-a", "one-b"}));
    master->Next();
    EXPECT_EQ(whats(), QStringList{"two-a"});
    master->Next();
    EXPECT_TRUE(whats().isEmpty());

    TDataSource back;
    back.SetDataSet(detail.get());
    EXPECT_EQ(clientErrorCode([&] { master->SetDataSource(&back); }), 48);
    detail->SetDataSource(nullptr);
}

TEST_P(DataSet, MasterValuesOfEveryKindBecomeParameters)
{
    auto master = dataSet(QStringLiteral("select NAME, PRICE, STAMP, ID from T order by ID"));
    TDataSource source;
    source.SetDataSet(master.get());
    auto detail = dataSet(QStringLiteral("select count(*) as N, max(ID) as M from T "
                                         "where NAME = :NAME and PRICE = :PRICE and STAMP = :STAMP and ID = :ID"));
    detail->SetDataSource(&source);
    master->Open();
    detail->Open();
    for (int id = 1; id <= 3; ++id, master->Next()) {
        EXPECT_EQ(detail->FieldByName("N").AsInteger(), 1) << id;
        EXPECT_EQ(detail->FieldByName("M").AsInteger(), id);
    }
    detail->SetDataSource(nullptr);
}

TEST_P(DataSet, UniDirectionalKeepsTwoRecords)
{
    auto ds = dataSet(QStringLiteral("select ID from T order by ID"));
    ds->SetUniDirectional(true);
    ds->Open();
    QList<int> ids;
    for (; !ds->Eof(); ds->Next())
        ids.append(ds->FieldByName("ID").AsInteger());
    EXPECT_EQ(ids, (QList<int>{1, 2, 3, 4, 5}));
    ds->Last();
    ds->Prior();
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 4);
    ds->Prior();
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 4);
}

TEST_P(DataSet, NonSelectStatementIsSimplyExecuted)
{
    auto ds = dataSet(QStringLiteral("update T set NAME = 'all' where ID < 3"));
    ds->Open();
    EXPECT_TRUE(ds->Active());
    EXPECT_EQ(ds->FieldCount(), 0);
    EXPECT_TRUE(ds->IsEmpty());
    ds->Close();
    EXPECT_EQ(count(QStringLiteral("where NAME = 'all'")), 2);
}

TEST_P(DataSet, EveryColumnOfTheSystemTablesHasAField)
{
    auto ds = dataSet(QStringLiteral("select * from rdb$triggers order by rdb$trigger_name"));
    ds->Open();
    ASSERT_NE(ds->FindField(QStringLiteral("RDB$TRIGGER_TYPE")), nullptr); // BIGINT
    EXPECT_EQ(ds->FieldByName("RDB$TRIGGER_TYPE").DataType(), ftLargeint);
    ASSERT_NE(ds->FindField(QStringLiteral("RDB$TRIGGER_NAME")), nullptr);
    ASSERT_NE(ds->FindField(QStringLiteral("RDB$SYSTEM_FLAG")), nullptr);
    EXPECT_NE(ds->FindField(QStringLiteral("RDB$TRIGGER_SOURCE")), nullptr);
    EXPECT_EQ(ds->FieldCount(), 14);
    const QString first = ds->FieldByName("RDB$TRIGGER_NAME").AsString();
    EXPECT_EQ(first.trimmed(), scalar(QStringLiteral("select first 1 rdb$trigger_name from rdb$triggers"
                                                     " order by rdb$trigger_name"))
                                   .trimmed());
    EXPECT_EQ(ds->FieldByName("RDB$TRIGGER_TYPE").AsString(),
              scalar(QStringLiteral("select first 1 rdb$trigger_type from rdb$triggers order by rdb$trigger_name")));
    ds->Last();
    EXPECT_EQ(ds->RecordCount(), scalar(QStringLiteral("select count(*) from rdb$triggers")).toInt());
    ds->First();
    EXPECT_EQ(ds->FieldByName("RDB$TRIGGER_NAME").AsString(), first);

    ddl(QStringLiteral("create table W (ID integer, B RDB$GENERATOR_VALUE, F boolean, S varchar(5))"));
    run(QStringLiteral("insert into W values (1, 12345678901, true, 'one')"));
    auto mixed = dataSet(QStringLiteral("select * from W"));
    mixed->Open();
    ASSERT_EQ(mixed->FieldCount(), 4);
    EXPECT_EQ(mixed->FieldByName("ID").AsInteger(), 1);
    EXPECT_EQ(mixed->FieldByName("B").AsString(), QStringLiteral("12345678901"));
    EXPECT_EQ(mixed->FieldByName("B").AsVariant(), QVariant(Q_INT64_C(12345678901)));
    EXPECT_EQ(mixed->FieldByName("F").DataType(), ftBoolean);
    EXPECT_TRUE(mixed->FieldByName("F").AsBoolean());
    EXPECT_EQ(mixed->FieldByName("F").DisplayText(), QStringLiteral("True"));
    EXPECT_EQ(mixed->FieldByName("S").AsString(), QStringLiteral("one"));
}

TEST_P(DataSet, ABigintAndABooleanGoBackExactly)
{
    ddl(QStringLiteral("create table W (ID integer not null primary key, B RDB$GENERATOR_VALUE, F boolean, "
                       "S varchar(5))"));
    run(QStringLiteral("insert into W values (1, 9007199254740993, true, 'one')"));
    run(QStringLiteral("insert into W values (2, null, null, 'two')"));
    commit();
    auto ds = dataSet(QStringLiteral("select * from W order by ID"));
    ds->SetUpdateSQLText(QStringLiteral("update W set S=?S, B=?B, F=?F where ID=?old_ID and B=?old_B"));
    ds->Open();
    ds->Edit();
    ds->FieldByName("S").SetAsString(QStringLiteral("uno"));
    ds->Post();
    // 2^53 + 1 is no double: it went back as the integer it was, and found its row.
    EXPECT_EQ(scalar(QStringLiteral("select cast(B as varchar(20)) || S from W where ID = 1")),
              QStringLiteral("9007199254740993uno"));
    ds->Edit();
    ds->FieldByName("B").SetAsString(QStringLiteral("-9223372036854775808"));
    ds->FieldByName("F").SetAsBoolean(false);
    ds->Post();
    EXPECT_EQ(scalar(QStringLiteral("select cast(B as varchar(20)) || F from W where ID = 1")),
              QStringLiteral("-9223372036854775808FALSE"));
    ds->Edit();
    EXPECT_THROW(ds->FieldByName("B").SetAsString(QStringLiteral("9223372036854775808")), EDatabaseError);
    EXPECT_THROW(ds->FieldByName("B").AsInteger(), EDatabaseError);
    ds->Cancel();
    // NULLs go as NULL.
    ds->SetUpdateSQLText(QStringLiteral("update W set S=?S, B=?B, F=?F where ID=?old_ID"));
    ds->Next();
    ds->Edit();
    ds->FieldByName("S").SetAsString(QStringLiteral("dos"));
    ds->Post();
    bool null = false;
    EXPECT_EQ(scalar(QStringLiteral("select S from W where ID = 2")), QStringLiteral("dos"));
    scalar(QStringLiteral("select B from W where ID = 2"), &null);
    EXPECT_TRUE(null);
    scalar(QStringLiteral("select F from W where ID = 2"), &null);
    EXPECT_TRUE(null);
}

INSTANTIATE_TEST_SUITE_P(Targets, DataSet, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

// A UTF8 database through a UTF8 connection.
class DataSetUtf8 : public qvdataset::DataSetDatabase
{
protected:
    QString characterSet() const override { return QStringLiteral("UTF8"); }
};

TEST_P(DataSetUtf8, LongTextIsCutAtAWholeCharacter)
{
    ddl(QStringLiteral("create table U (ID integer not null primary key, S varchar(5))"));
    run(QStringLiteral("insert into U values (1, 'x')"));
    auto ds = dataSet(QStringLiteral("select ID, S from U"));
    ds->SetUpdateSQLText(QStringLiteral("update U set S=?S where ID=?old_ID"));
    ds->Open();
    EXPECT_EQ(ds->FieldByName("S").Size(), 20); // bytes
    ds->Edit();
    const QString euros(7, QChar(0x20AC)); // three bytes each
    ds->FieldByName("S").SetAsString(euros);
    EXPECT_EQ(ds->FieldByName("S").AsString(), QString(5, QChar(0x20AC)));
    ds->FieldByName("S").SetAsString(QStringLiteral("ab") + euros);
    EXPECT_EQ(ds->FieldByName("S").AsString(), QStringLiteral("ab") + QString(3, QChar(0x20AC)));
    const QString mixed = QStringLiteral("\u00e4\U0001F600\u00f6\U0001F600\u00fc\U0001F600");
    ds->FieldByName("S").SetAsString(mixed);
    EXPECT_EQ(ds->FieldByName("S").AsString(), QStringLiteral("\u00e4\U0001F600\u00f6\U0001F600\u00fc"));
    ds->Post();
    EXPECT_EQ(scalar(QStringLiteral("select S from U where ID = 1")),
              QStringLiteral("\u00e4\U0001F600\u00f6\U0001F600\u00fc"));
    EXPECT_EQ(ds->FieldByName("S").AsString(), QStringLiteral("\u00e4\U0001F600\u00f6\U0001F600\u00fc"));
}

TEST_P(DataSetUtf8, TextBlobsUseTheConnectionCharacterSet)
{
    ddl(QStringLiteral("create table M (ID integer not null primary key, NOTE blob sub_type 1)"));
    run(QStringLiteral("insert into M values (1, null)"));
    auto ds = dataSet(QStringLiteral("select ID, NOTE from M"));
    ds->SetUpdateSQLText(QStringLiteral("update M set NOTE=?NOTE where ID=?old_ID"));
    ds->Open();
    const QString text = QStringLiteral("Gr\u00fc\u00dfe \u20ac \u65e5\u672c");
    ds->Edit();
    ds->FieldByName("NOTE").SetAsString(text);
    ds->Post();
    commit();
    EXPECT_EQ(scalar(QStringLiteral("select cast(NOTE as varchar(40)) from M where ID = 1")), text);
}

INSTANTIATE_TEST_SUITE_P(Targets, DataSetUtf8, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

// A UTF8 column seen through a connection without a character set: the
// bytes come as they are, and a cut never splits one character's bytes.
class DataSetNoneOverUtf8 : public qvdataset::DataSetDatabase
{
protected:
    QString characterSet() const override { return QStringLiteral("NONE"); }
};

TEST_P(DataSetNoneOverUtf8, CutKeepsWholeUtf8Sequences)
{
    ddl(QStringLiteral("create table U (ID integer not null primary key, S varchar(5) character set UTF8)"));
    run(QStringLiteral("insert into U values (1, 'x')"));
    auto ds = dataSet(QStringLiteral("select ID, S from U"));
    ds->SetUpdateSQLText(QStringLiteral("update U set S=?S where ID=?old_ID"));
    ds->Open();
    ASSERT_EQ(ds->FieldByName("S").Size(), 20);
    ds->Edit();
    // Seven euro signs as the raw UTF-8 bytes a NONE connection shows: 21 bytes.
    const QString raw = QString::fromLatin1(QString(7, QChar(0x20AC)).toUtf8());
    ds->FieldByName("S").SetAsString(raw);
    const QByteArray kept = ds->FieldByName("S").AsString().toLatin1();
    EXPECT_EQ(kept, QString(6, QChar(0x20AC)).toUtf8());
    ds->Cancel();
}

INSTANTIATE_TEST_SUITE_P(Targets, DataSetNoneOverUtf8, ::testing::ValuesIn(qvtest::allTargets()),
                         qvtest::targetName);

} // namespace
