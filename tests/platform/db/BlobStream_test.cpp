// Streams, and blob and memo fields reading and writing through a dataset's
// blob stream.
#include "VectorDataSet_support.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/Stream.h"

#include <gtest/gtest.h>

namespace {

TEST(MemoryStream, ReadWriteSeekAndSize)
{
    TMemoryStream stream;
    stream.WriteBytes("hello world");
    EXPECT_EQ(stream.Position(), 11);
    EXPECT_EQ(stream.Size(), 11);
    EXPECT_EQ(stream.Seek(-5, soEnd), 6);
    char buffer[16] = {};
    EXPECT_EQ(stream.Read(buffer, 16), 5);
    EXPECT_EQ(QByteArray(buffer, 5), "world");
    EXPECT_EQ(stream.Read(buffer, 16), 0);
    // Seeking is not clamped; reading beyond the end copies nothing.
    EXPECT_EQ(stream.Seek(100, soBeginning), 100);
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    // Writing beyond the end fills the gap with zeros.
    stream.SetPosition(13);
    stream.WriteBytes("!");
    EXPECT_EQ(stream.Bytes(), QByteArray("hello world\0\0!", 14));
    stream.SetSize(5);
    EXPECT_EQ(stream.Position(), 5);
    EXPECT_EQ(stream.Bytes(), "hello");
    stream.Seek(-2, soCurrent);
    EXPECT_EQ(stream.ReadAll(), "lo");
}

TEST(MemoryStream, ShortReadBufferIsAnErrorAndCopyFromTakesEverything)
{
    TMemoryStream source(QByteArray(40000, 'x'));
    source.SetPosition(39999);
    char byte[2];
    EXPECT_THROW(source.ReadBuffer(byte, 2), EStreamError);
    TMemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 0), 40000); // from the start, whatever the position
    EXPECT_EQ(target.Bytes(), QByteArray(40000, 'x'));
    source.SetPosition(10);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(source, 5), 5);
    EXPECT_EQ(source.Position(), 15);
}

class Blobs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.SetColumns({{"ID", ftInteger}, {"DATA", ftBlob}, {"NOTES", ftMemo}});
        ds.AddRow({1, QByteArray("\x00\x01\x02", 3), QString("Grüße").toUtf8()});
        ds.AddRow({2, QVariant(), QVariant()});
        ds.Open();
    }
    TBlobField& Data() { return dynamic_cast<TBlobField&>(ds.FieldByName("DATA")); }
    TMemoField& Notes() { return dynamic_cast<TMemoField&>(ds.FieldByName("NOTES")); }

    TVectorDataSet ds;
};

TEST_F(Blobs, FieldsReadThroughTheStream)
{
    EXPECT_EQ(Data().AsBytes(), QByteArray("\x00\x01\x02", 3));
    EXPECT_EQ(Data().BlobSize(), 3);
    EXPECT_EQ(Notes().AsString(), QString("Grüße"));
    EXPECT_EQ(Data().DisplayText(), "(BLOB)");
    EXPECT_EQ(Notes().DisplayText(), "(MEMO)");
    TMemoryStream saved;
    Data().SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), QByteArray("\x00\x01\x02", 3));
    ds.Next();
    EXPECT_TRUE(Data().IsNull());
    EXPECT_EQ(Data().DisplayText(), "(blob)");
    EXPECT_EQ(Notes().DisplayText(), "(memo)");
    EXPECT_EQ(Notes().AsString(), "");
    EXPECT_FALSE(Notes().AsVariant().isValid());
}

TEST_F(Blobs, WritingNeedsEditAndMarksTheRecordModified)
{
    try {
        Notes().SetAsString("x");
        FAIL() << "blob write in browse state";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
    EXPECT_THROW(ds.CreateBlobStream(Data(), bmWrite), EDatabaseError);
    ds.Edit();
    Notes().SetAsString("Neue Notiz €");
    EXPECT_TRUE(Notes().Modified());
    EXPECT_TRUE(ds.Modified());
    EXPECT_EQ(Notes().AsString(), "Neue Notiz €");
    ds.Post();
    EXPECT_FALSE(Notes().Modified());
    EXPECT_EQ(ds.StoredRow(0).value(2).toByteArray(), QString("Neue Notiz €").toUtf8());
}

TEST_F(Blobs, LoadFromStreamReplacesTheWholeContent)
{
    ds.Edit();
    TMemoryStream source(QByteArray(40000, '\x7f'));
    source.SetPosition(123);
    Data().LoadFromStream(source);
    EXPECT_EQ(Data().BlobSize(), 40000);
    ds.Post();
    EXPECT_EQ(ds.StoredRow(0).value(1).toByteArray(), QByteArray(40000, '\x7f'));
}

TEST_F(Blobs, StreamOpenedForReadingRefusesWrites)
{
    ds.Edit();
    const auto stream = ds.CreateBlobStream(Data(), bmRead);
    EXPECT_THROW(stream->WriteBytes("x"), EDatabaseError);
}

TEST_F(Blobs, ReadWriteStreamEditsInPlace)
{
    ds.Edit();
    {
        const auto stream = ds.CreateBlobStream(Data(), bmReadWrite);
        stream->Seek(0, soEnd);
        stream->WriteBytes("\x03");
    }
    EXPECT_EQ(Data().AsBytes(), QByteArray("\x00\x01\x02\x03", 4));
    ds.Cancel();
    EXPECT_EQ(Data().AsBytes(), QByteArray("\x00\x01\x02", 3));
}

TEST_F(Blobs, BlobsLocateByContent)
{
    EXPECT_TRUE(ds.Locate("NOTES", "grü", loPartialKey | loCaseInsensitive));
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 1);
    EXPECT_TRUE(ds.Locate("DATA", QVariant(), {}));
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 2);
}

} // namespace
