// Blob streams: reading and writing whole blobs in segments, modes, ids,
// and positions that lie outside the contents.

#include "DataSetTest_support.h"
#include "access/QvBlob.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using qvdataset::clientErrorCode;

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

class BlobStream : public qvdataset::DataSetDatabase
{
protected:
    void SetUp() override
    {
        DataSetDatabase::SetUp();
        if (IsSkipped())
            return;
        ddl(QStringLiteral("create table B (ID integer not null primary key, DATA blob sub_type 0)"));
    }

    std::unique_ptr<TQvBlobStream> stream(TBlobStreamMode mode, const ISC_QUAD& id = {0, 0})
    {
        auto result = std::make_unique<TQvBlobStream>();
        result->SetDatabase(database.get());
        result->SetTransaction(transaction.get());
        result->SetMode(mode);
        result->SetBlobID(id);
        return result;
    }

    ISC_QUAD write(const QByteArray& bytes)
    {
        auto s = stream(bmWrite);
        s->WriteBytes(bytes);
        s->Finalize();
        return s->BlobID();
    }

    QByteArray read(const ISC_QUAD& id)
    {
        auto s = stream(bmRead, id);
        return s->ReadAll();
    }

    // A blob written straight through the client library, one segment per part.
    ISC_QUAD writeRaw(const std::vector<QByteArray>& segments)
    {
        isc_blob_handle handle = 0;
        ISC_QUAD id{0, 0};
        ISC_STATUS_ARRAY status;
        isc_create_blob2(status, database->Handle(), transaction->Handle(), &handle, &id, 0, nullptr);
        EXPECT_EQ(status[1], 0);
        for (const QByteArray& segment : segments) {
            isc_put_segment(status, &handle, static_cast<unsigned short>(segment.size()), segment.constData());
            EXPECT_EQ(status[1], 0);
        }
        isc_close_blob(status, &handle);
        EXPECT_EQ(status[1], 0);
        return id;
    }

    // The lengths of the segments the server holds for a blob.
    std::vector<int> rawSegments(const ISC_QUAD& blobId)
    {
        isc_blob_handle handle = 0;
        ISC_QUAD id = blobId;
        ISC_STATUS_ARRAY status;
        isc_open_blob2(status, database->Handle(), transaction->Handle(), &handle, &id, 0, nullptr);
        EXPECT_EQ(status[1], 0);
        std::vector<int> lengths;
        std::vector<char> buffer(65535);
        for (;;) {
            unsigned short length = 0;
            const ISC_STATUS code =
                isc_get_segment(status, &handle, &length, static_cast<unsigned short>(buffer.size()), buffer.data());
            if (code == isc_segstr_eof)
                break;
            EXPECT_EQ(code, 0);
            if (code)
                break;
            lengths.push_back(length);
        }
        isc_close_blob(status, &handle);
        return lengths;
    }
};

TEST_P(BlobStream, FortyThousandBytesGoAndComeBackInSegments)
{
    const QByteArray bytes = pattern(40000);
    auto writer = stream(bmWrite);
    writer->WriteBytes(bytes);
    EXPECT_TRUE(writer->Modified());
    writer->Finalize();
    EXPECT_FALSE(writer->Modified());
    EXPECT_FALSE(IsNullBlobID(writer->BlobID()));
    EXPECT_EQ(writer->LastWriteSegments(), (std::vector<int>{16384, 16384, 7232}));
    EXPECT_EQ(rawSegments(writer->BlobID()), (std::vector<int>{16384, 16384, 7232}));

    // Stored in a row and read back through a later transaction.
    TQvQuery insert;
    insert.SetDatabase(database.get());
    insert.SetSQLText(QStringLiteral("insert into B (ID, DATA) values (1, :DATA)"));
    insert.Params().ByName(QStringLiteral("DATA"))->SetAsQuad(writer->BlobID());
    insert.ExecQuery();
    commit();
    TQvQuery select;
    select.SetDatabase(database.get());
    select.SetSQLText(QStringLiteral("select DATA from B where ID = 1"));
    select.ExecQuery();
    ASSERT_FALSE(select.Eof());
    auto reader = stream(bmRead, select.Fields(0).AsQuad());
    EXPECT_EQ(reader->ReadAll(), bytes);
    EXPECT_EQ(reader->LastReadRequests(), (std::vector<int>{16384, 16384, 7232}));
    EXPECT_EQ(reader->BlobSize(), 40000);
    EXPECT_EQ(reader->BlobNumSegments(), 3);
    EXPECT_EQ(reader->BlobMaxSegmentSize(), 16384);
}

TEST_P(BlobStream, OneLongSegmentIsReadWhole)
{
    const QByteArray bytes = pattern(60000);
    const ISC_QUAD id = writeRaw({bytes});
    ASSERT_EQ(rawSegments(id), std::vector<int>{60000});
    auto reader = stream(bmRead, id);
    EXPECT_EQ(reader->ReadAll(), bytes);
    EXPECT_EQ(reader->LastReadRequests(), (std::vector<int>{16384, 16384, 16384, 10848}));
    EXPECT_EQ(reader->BlobNumSegments(), 1);
    EXPECT_EQ(reader->BlobMaxSegmentSize(), 60000);
}

TEST_P(BlobStream, ManySmallSegmentsAndAnEmptyBlob)
{
    std::vector<QByteArray> segments;
    QByteArray whole;
    for (int i = 0; i < 50; ++i) {
        // Empty segments now and then: a read that brings nothing is no stall.
        segments.push_back(i % 7 == 3 ? QByteArray() : pattern(i * 3 + 1));
        whole += segments.back();
    }
    EXPECT_EQ(read(writeRaw(segments)), whole);
    EXPECT_EQ(read(writeRaw({})), QByteArray());
}

TEST_P(BlobStream, ModesRefuseTheWrongDirection)
{
    QString message;
    auto reader = stream(bmRead, write("abc"));
    EXPECT_EQ(clientErrorCode([&] { reader->WriteBytes("x"); }, &message), 35);
    EXPECT_EQ(message, QStringLiteral("Blob stream cannot be written."));
    EXPECT_EQ(clientErrorCode([&] { reader->SetSize(1); }), 35);
    auto writer = stream(bmWrite);
    char byte;
    EXPECT_EQ(clientErrorCode([&] { writer->Read(&byte, 1); }, &message), 34);
    EXPECT_EQ(message, QStringLiteral("Blob stream cannot be read."));
}

TEST_P(BlobStream, ReadWriteWithoutIdStartsEmptyAndMakesANewBlob)
{
    auto s = stream(bmReadWrite);
    EXPECT_EQ(s->Size(), 0);
    s->WriteBytes("fresh");
    s->Finalize();
    ASSERT_FALSE(IsNullBlobID(s->BlobID()));
    EXPECT_EQ(read(s->BlobID()), QByteArray("fresh"));
}

TEST_P(BlobStream, ReadWriteWithIdKeepsTheOldBlobAndMakesANewOne)
{
    const ISC_QUAD old = write("old contents");
    auto s = stream(bmReadWrite, old);
    s->Seek(0, soEnd);
    s->WriteBytes(" and more");
    s->Finalize();
    EXPECT_NE(std::memcmp(&old, &s->BlobID(), sizeof old), 0);
    EXPECT_EQ(read(old), QByteArray("old contents"));
    EXPECT_EQ(read(s->BlobID()), QByteArray("old contents and more"));
}

TEST_P(BlobStream, FinalizeWithoutWritingCallsNothing)
{
    TQvBlobStream unbound; // no database: any client call would fail
    unbound.SetMode(bmReadWrite);
    EXPECT_NO_THROW(unbound.Finalize());
    EXPECT_EQ(unbound.Size(), 0);
    EXPECT_NO_THROW(unbound.Finalize());
    EXPECT_TRUE(IsNullBlobID(unbound.BlobID()));
    EXPECT_TRUE(unbound.LastWriteSegments().empty());
}

TEST_P(BlobStream, NewIdMeansANewRead)
{
    const ISC_QUAD first = write("first");
    const ISC_QUAD second = write("second blob");
    auto s = stream(bmRead, first);
    EXPECT_EQ(s->ReadAll(), QByteArray("first"));
    s->SetBlobID(second);
    EXPECT_FALSE(s->Initialized());
    EXPECT_EQ(s->Size(), 11);
    EXPECT_EQ(s->ReadAll(), QByteArray("second blob"));
}

TEST_P(BlobStream, FailedReadLeavesTheStreamUninitialised)
{
    ISC_QUAD bogus = write("x");
    bogus.gds_quad_low += 1000;
    auto s = stream(bmRead, bogus);
    char byte;
    EXPECT_THROW(s->Read(&byte, 1), EQvInterBaseError);
    EXPECT_FALSE(s->Initialized());
    s->SetBlobID(write("y"));
    EXPECT_EQ(s->ReadAll(), QByteArray("y"));
}

TEST_P(BlobStream, PositionsOutsideTheContentsTouchNothingOutside)
{
    auto s = stream(bmReadWrite, write("0123456789"));
    char bytes[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(s->Seek(-5, soBeginning), -5);
    EXPECT_EQ(s->Read(bytes, 4), 0);
    EXPECT_EQ(s->Write(bytes, 4), 0);
    EXPECT_THROW(s->WriteBuffer(bytes, 4), EStreamError);
    EXPECT_EQ(s->Seek(-100, soEnd), -90);
    EXPECT_EQ(s->Read(bytes, 4), 0);
    EXPECT_EQ(s->Seek(20, soBeginning), 20);
    EXPECT_EQ(s->Read(bytes, 4), 0);
    EXPECT_FALSE(s->Modified());
    // Huge offsets saturate instead of wrapping round into the contents.
    s->Seek(std::numeric_limits<qint64>::max() - 1, soBeginning);
    EXPECT_EQ(s->Seek(100, soCurrent), std::numeric_limits<qint64>::max());
    EXPECT_EQ(s->Write(bytes, 4), 0);
    EXPECT_EQ(s->Seek(std::numeric_limits<qint64>::min(), soEnd), std::numeric_limits<qint64>::min() + 10);
    EXPECT_EQ(s->Read(bytes, 4), 0);
    EXPECT_EQ(s->Size(), 10);

    // Writing past the end grows the blob with zero bytes in the gap.
    s->Seek(12, soBeginning);
    EXPECT_EQ(s->Write("xy", 2), 2);
    s->SetPosition(0);
    EXPECT_EQ(s->ReadAll(), QByteArray("0123456789\0\0xy", 14));
    // Shrinking keeps the position where it was; reading there gives nothing.
    s->SetSize(3);
    EXPECT_EQ(s->Position(), 14);
    EXPECT_EQ(s->Read(bytes, 4), 0);
    s->SetPosition(1);
    EXPECT_EQ(s->ReadAll(), QByteArray("12"));
}

TEST_P(BlobStream, TruncateNeedsNoRead)
{
    ISC_QUAD bogus = write("x");
    bogus.gds_quad_low += 1000; // reading this one would fail
    auto s = stream(bmReadWrite, bogus);
    EXPECT_NO_THROW(s->Truncate());
    s->WriteBytes("new");
    s->Finalize();
    EXPECT_EQ(read(s->BlobID()), QByteArray("new"));
}

TEST_P(BlobStream, LoadFromStreamTakesTheWholeSource)
{
    TMemoryStream source(pattern(20000));
    source.SetPosition(500);
    auto s = stream(bmWrite);
    s->LoadFromStream(source);
    EXPECT_TRUE(s->Modified());
    s->Finalize();
    EXPECT_EQ(read(s->BlobID()), pattern(20000));
}

TEST_P(BlobStream, ParameterLoadedFromAStream)
{
    TQvQuery insert;
    insert.SetDatabase(database.get());
    insert.SetSQLText(QStringLiteral("insert into B (ID, DATA) values (2, :DATA)"));
    TMemoryStream contents(pattern(33000));
    contents.SetPosition(100);
    insert.Params().ByName(QStringLiteral("DATA"))->LoadFromStream(contents);
    insert.ExecQuery();
    TQvQuery select;
    select.SetDatabase(database.get());
    select.SetSQLText(QStringLiteral("select DATA from B where ID = 2"));
    select.ExecQuery();
    ASSERT_FALSE(select.Eof());
    EXPECT_EQ(read(select.Fields(0).AsQuad()), pattern(33000));
}

TEST_P(BlobStream, DatabaseAndTransactionAreNeeded)
{
    TQvBlobStream s;
    s.SetMode(bmRead);
    s.SetBlobID(write("x"));
    EXPECT_EQ(clientErrorCode([&] { s.Size(); }), 20);
    s.SetDatabase(database.get());
    s.SetTransaction(nullptr);
    TQvTransaction idle;
    idle.SetDefaultDatabase(database.get());
    s.SetTransaction(&idle);
    EXPECT_EQ(clientErrorCode([&] { s.Size(); }), 15);
    s.SetTransaction(transaction.get());
    EXPECT_EQ(s.Size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Targets, BlobStream, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
