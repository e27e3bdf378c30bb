// The report's text, the block table and the text buffer, in this process
// (the checker is not started here).

#include "alloccheck/BlockTable.h"
#include "alloccheck/CallStack.h"
#include "alloccheck/LeakReport.h"
#include "alloccheck/TextOut.h"
#include "alloccheck/TypeNames.h"

#include "AllocCheckTest_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

using namespace AllocCheck;

namespace {

struct TReportedThing
{
    virtual ~TReportedThing() = default;
    char Name[16] = "thing";
};

struct TOtherThing
{
    virtual ~TOtherThing() = default;
    int Value = 0x41424344;
};

void FirstCaller() {}
void SecondCaller() {}
void ThirdCaller() {}

const void* CodeIn(void (*function)(), int offset)
{
    return reinterpret_cast<const char*>(function) + offset;
}

// How the log writes an address: relative to its module, the module named
// when it is not this program.
std::string Written(const void* address)
{
    Dl_info info{};
    EXPECT_NE(dladdr(address, &info), 0);
    char text[300];
    std::snprintf(text, sizeof text, "%08zx",
                  static_cast<std::size_t>(reinterpret_cast<const char*>(address) - static_cast<const char*>(info.dli_fbase)));
    std::string written = text;
    if (!InProgramCode(address)) {
        const char* slash = std::strrchr(info.dli_fname, '/');
        written += std::string(" (") + (slash ? slash + 1 : info.dli_fname) + ")";
    }
    return written;
}

std::string Dump(const unsigned char* bytes, std::size_t size)
{
    std::string text = "\t  Dump: [";
    for (std::size_t i = 0; i < size; ++i)
        text += bytes[i] == 0 ? '.' : (bytes[i] < 32 || bytes[i] >= 127) ? '?' : static_cast<char>(bytes[i]);
    return text + "]\n";
}

template <typename T>
TLiveBlock ObjectBlock(const T& object, std::initializer_list<const void*> frames)
{
    TLiveBlock block;
    block.Size = sizeof(T);
    block.HeadSize = sizeof(T) < kDumpBytes ? sizeof(T) : kDumpBytes;
    std::memcpy(block.Head, &object, block.HeadSize);
    for (const void* frame : frames)
        block.Stack.Frames[block.Stack.Depth++] = frame;
    return block;
}

std::string Report(const std::vector<TLiveBlock>& blocks, const bool kinds[3], const TReportTexts& texts,
                   TLeakSummary* summary = nullptr)
{
    std::vector<char> buffer(1 << 16);
    TTextOut out(buffer.data(), buffer.size());
    const TLeakSummary written = WriteLeakReportText(out, blocks.data(), blocks.size(), kinds, texts);
    if (summary)
        *summary = written;
    return out.Data();
}

class AllocCheckReport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PrepareCallStacks();
        PrepareVtableRecognition();
    }
};

} // namespace

TEST_F(AllocCheckReport, ListsBlocksGroupsLeaksAndKeepsTheirOrder)
{
    const TReportedThing thing;
    const TOtherThing other;
    const void* a1 = CodeIn(FirstCaller, 1);
    const void* a2 = CodeIn(SecondCaller, 2);
    const void* b1 = CodeIn(ThirdCaller, 3);
    const void* b2 = CodeIn(ThirdCaller, 4);
    const void* outside = reinterpret_cast<const void*>(&std::strlen);

    std::vector<TLiveBlock> blocks; // oldest first
    blocks.push_back(ObjectBlock(thing, {a1, b1}));
    TLiveBlock user;
    user.Size = 5;
    user.HeadSize = 5;
    std::memcpy(user.Head, "ab\0\x01z", 5);
    user.Stack.Frames[0] = b1;
    user.Stack.Depth = 1;
    blocks.push_back(user);
    blocks.push_back(ObjectBlock(thing, {a1, b2}));
    blocks.push_back(ObjectBlock(other, {a2, outside}));
    blocks.back().DuringUnwinding = true;

    TReportTexts texts;
    texts.SevereReports = "********* Severe exception detected - earlier\n";
    texts.TimeStamps = "stamp one\nstamp two\n";
    const bool objectsOnly[3] = {true, false, false};
    TLeakSummary summary;
    const std::string report = Report(blocks, objectsOnly, texts, &summary);

    // The test's classes live in an anonymous namespace.
    const std::string thingText = "(anonymous namespace)::TReportedThing, Size: " + std::to_string(sizeof thing) + ", allocated at " + Written(a1);
    const std::string otherText = "(anonymous namespace)::TOtherThing, Size: " + std::to_string(sizeof other) + ", allocated at " + Written(a2);
    const auto* thingBytes = reinterpret_cast<const unsigned char*>(&thing);
    const auto* otherBytes = reinterpret_cast<const unsigned char*>(&other);
    const std::string expected =
        "********* Severe exception detected - earlier\n" +
        otherText + "\n" + Dump(otherBytes, sizeof other) + "     call stack - 1 : " + Written(outside) + "\n" +
        thingText + "\n" + Dump(thingBytes, sizeof thing) + "     call stack - 1 : " + Written(b2) + "\n" +
        thingText + "\n" + Dump(thingBytes, sizeof thing) + "     call stack - 1 : " + Written(b1) + "\n" +
        "Total leak: " + std::to_string(2 * sizeof thing + sizeof other) + "\n"
        "*** MEMCHK: Blocks STILL allocated ***\n"
        "Leak #1 - 1 occurence(s) - " + otherText + "\n"
        "Leak #2 - 2 occurence(s) - " + thingText + "\n"
        "*** MEMCHK: End of allocated blocks ***\n"
        "*** MEMCHK: chronological leak information ***\n" +
        thingText + " - Leak #2\n" +
        thingText + " - Leak #2\n" +
        otherText + " - Leak #1\n"
        "*** MEMCHK: end of chronological leak information ***\n"
        "*** MEMCHK: Time stamps ***\n"
        "stamp one\nstamp two\n"
        "*** MEMCHK: end of time stamps ***\n"
        "EStackUnwinding: " + otherText + "\n";
    EXPECT_EQ(report, expected);
    EXPECT_EQ(summary.Blocks, 3u);
    EXPECT_EQ(summary.Bytes, 2 * sizeof thing + sizeof other);
    EXPECT_NE(Written(outside).find(" (libc.so"), std::string::npos);

    // Asked for, user memory is listed too, by its kind and without a dump.
    const bool allKinds[3] = {true, true, true};
    const std::string withUser = Report(blocks, allKinds, {});
    const std::string userText = "USER    , Size: 5, allocated at " + Written(b1);
    EXPECT_NE(withUser.find(thingText + "\n" + Dump(thingBytes, sizeof thing) + "     call stack - 1 : " + Written(b2) +
                            "\n" + userText + "\n" + thingText + "\n"),
              std::string::npos)
        << withUser;
    EXPECT_NE(withUser.find("Leak #3 - 1 occurence(s) - " + userText + "\n"), std::string::npos) << withUser;
}

TEST_F(AllocCheckReport, AnEmptyRunStillWritesEverySection)
{
    const bool objectsOnly[3] = {true, false, false};
    EXPECT_EQ(Report({}, objectsOnly, {}),
              "Total leak: 0\n"
              "*** MEMCHK: Blocks STILL allocated ***\n"
              "*** MEMCHK: End of allocated blocks ***\n"
              "*** MEMCHK: chronological leak information ***\n"
              "*** MEMCHK: end of chronological leak information ***\n"
              "*** MEMCHK: Time stamps ***\n"
              "*** MEMCHK: end of time stamps ***\n");
}

TEST_F(AllocCheckReport, AtMostSixteenFramesFollowTheAllocation)
{
    TLiveBlock block;
    block.Kind = bkRealloc;
    block.Size = 8;
    for (int i = 0; i < kStackDepth; ++i)
        block.Stack.Frames[block.Stack.Depth++] = CodeIn(FirstCaller, i);
    const bool reallocOnly[3] = {false, false, true};
    const std::string report = Report({block}, reallocOnly, {});
    EXPECT_EQ(report.rfind("REALLOC , Size: 8, allocated at " + Written(CodeIn(FirstCaller, 0)) + "\n", 0), 0u) << report;
    EXPECT_NE(report.find("     call stack - 16 : " + Written(CodeIn(FirstCaller, 16)) + "\nTotal leak: 8\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("call stack - 17"), std::string::npos);
    EXPECT_EQ(report.find("call stack - 0"), std::string::npos);
}

TEST(AllocCheckBlockTable, FindsEveryBlockAndKeepsTheAllocationOrder)
{
    constexpr int kBlocks = 10000; // several times the first index size
    std::vector<std::vector<char>> memory(kBlocks, std::vector<char>(16));
    TBlockTable table;
    std::vector<TBlockRecord*> records;
    for (int i = 0; i < kBlocks; ++i) {
        auto* record = new (std::malloc(sizeof(TBlockRecord))) TBlockRecord;
        record->Block = memory[i].data();
        record->Size = static_cast<std::size_t>(i % 7) + 1;
        table.Insert(record);
        records.push_back(record);
    }
    std::size_t bytes = 0;
    for (int i = 0; i < kBlocks; ++i) {
        ASSERT_EQ(table.Find(memory[i].data()), records[i]) << i;
        bytes += records[i]->Size;
    }
    EXPECT_EQ(table.Find(memory[0].data() + 1), nullptr);
    EXPECT_EQ(table.LiveBlocks(), static_cast<std::size_t>(kBlocks));
    EXPECT_EQ(table.LiveBytes(), bytes);
    EXPECT_EQ(table.Newest(), records.back());
    EXPECT_EQ(table.Oldest(), records.front());

    // Released records stay, counted apart; removed ones go from both the
    // index and the list.
    table.MarkReleased(records[10], nullptr);
    table.MarkReleased(records[10], nullptr);
    EXPECT_EQ(table.LiveBlocks(), static_cast<std::size_t>(kBlocks - 1));
    EXPECT_EQ(table.Records(), static_cast<std::size_t>(kBlocks));
    for (int i : {kBlocks - 1, 0, 500, 10}) {
        std::free(table.Remove(records[i]));
        EXPECT_EQ(table.Find(memory[i].data()), nullptr);
    }
    EXPECT_EQ(table.Records(), static_cast<std::size_t>(kBlocks - 4));
    EXPECT_EQ(table.LiveBlocks(), static_cast<std::size_t>(kBlocks - 4));
    std::vector<TBlockRecord*> fromNewest;
    for (TBlockRecord* record = table.Newest(); record; record = record->Older)
        fromNewest.push_back(record);
    std::vector<TBlockRecord*> expected;
    for (int i = kBlocks - 2; i >= 1; --i) {
        if (i != 500 && i != 10)
            expected.push_back(records[i]);
    }
    EXPECT_EQ(fromNewest, expected);
    EXPECT_EQ(table.Oldest(), records[1]);
    EXPECT_EQ(table.Oldest()->Newer, records[2]);
}

TEST(AllocCheckTextOut, FormatsAndDropsOrFlushesWhatDoesNotFit)
{
    char small[12];
    TTextOut out(small, sizeof small);
    out.Hex(0x1a).Char('|').Number(0).Text("overflowing");
    EXPECT_STREQ(out.Data(), "0000001a|0o");

    char buffer[64];
    TTextOut text(buffer, sizeof buffer);
    text.Hex(0x123456789ull).Char(' ').Number(18446744073709551615ull).Char(' ').Padded("USER", 8).Char('|');
    text.Padded("REALLOCATED", 8).Char('|');
    EXPECT_STREQ(text.Data(), "123456789 18446744073709551615 USER    |REALLOCATED|");

    // With a file, a small buffer is written out as often as it fills.
    AllocCheckTest::TTempFolder folder;
    const std::string path = folder.File("out.txt");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    std::string expected;
    {
        char tiny[16];
        TTextOut file(tiny, sizeof tiny, fd);
        for (int i = 0; i < 1000; ++i) {
            file.Number(static_cast<std::uint64_t>(i)).Line();
            expected += std::to_string(i) + "\n";
        }
        EXPECT_TRUE(file.Flush());
    }
    ::close(fd);
    EXPECT_EQ(AllocCheckTest::ReadFile(path), expected);
}
