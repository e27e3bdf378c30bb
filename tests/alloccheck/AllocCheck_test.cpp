// The checker at work in child processes: each scenario program starts it,
// does something wrong on purpose and ends; the log it leaves and what it
// wrote are checked here.

#include "AllocCheckTest_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

using namespace AllocCheckTest;

namespace {

const std::string kScenarios = ALLOCCHECK_SCENARIOS;

struct TScenarioRun
{
    TTempFolder Folder;
    TChildResult Result;
    std::string Log;
    std::map<std::string, TRange> Ranges;
};

void RunScenario(TScenarioRun& run, const std::string& scenario)
{
    run.Result = RunChild(kScenarios, {scenario}, run.Folder.Path(), run.Folder.Path());
    run.Log = ReadFile(run.Folder.File("AllocCheck.Log"));
    run.Ranges = AllocCheckTest::Ranges(run.Result.Out);
}

// The first address after `prefix` in `text` lies in the named function.
::testing::AssertionResult AddressIn(const TScenarioRun& run, const std::string& text, const std::string& prefix,
                                     const std::string& function)
{
    const auto addresses = AddressesAfter(text, prefix);
    if (addresses.empty())
        return ::testing::AssertionFailure() << "no address after \"" << prefix << "\" in:\n" << text;
    const auto range = run.Ranges.find(function);
    if (range == run.Ranges.end())
        return ::testing::AssertionFailure() << "no range for " << function << " in:\n" << run.Result.Out;
    if (!range->second.Holds(addresses.front()))
        return ::testing::AssertionFailure() << std::hex << addresses.front() << " is not in " << function << " ["
                                             << range->second.First << ", " << range->second.End << ")";
    return ::testing::AssertionSuccess();
}

std::string Size(const TScenarioRun& run, const std::string& type)
{
    return std::to_string(OutputNumber(run.Result.Out, "size " + type));
}

} // namespace

TEST(AllocCheckRun, LeakedObjectsAreListedWithClassCallStackAndTotal)
{
    TScenarioRun run;
    RunScenario(run, "leak");
    ASSERT_EQ(run.Result.ExitCode, 0) << run.Result.Err;
    ASSERT_TRUE(FileExists(run.Folder.File("AllocCheck.Log"))) << run.Result.Err;
    EXPECT_FALSE(FileExists(run.Folder.File("AllocCheck.$$$")));

    const std::string record = "TLeakyRecord, Size: " + Size(run, "TLeakyRecord") + ", allocated at ";
    const std::string other = "TOtherLeak, Size: " + Size(run, "TOtherLeak") + ", allocated at ";
    EXPECT_TRUE(AddressIn(run, run.Log, record, "LeakRecords"));
    EXPECT_TRUE(AddressIn(run, run.Log, other, "LeakOther"));
    // The frame above the allocation is the function that called it.
    EXPECT_TRUE(AddressIn(run, run.Log, "     call stack - 1 : ", "RunLeak"));

    const std::vector<std::string> lines = Lines(run.Log);
    // Most recent first: the derived object, then the three records, each
    // with its dump and its call stack.
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind(other, 0), 0u) << run.Log;
    EXPECT_EQ(lines[1].rfind("\t  Dump: [", 0), 0u) << run.Log;
    EXPECT_EQ(lines[2].rfind("     call stack - 1 : ", 0), 0u) << run.Log;

    const long long total = 3 * OutputNumber(run.Result.Out, "size TLeakyRecord") + OutputNumber(run.Result.Out, "size TOtherLeak");
    EXPECT_EQ(CountLines(run.Log, "Total leak: " + std::to_string(total)), 1) << run.Log;

    // One leak per distinct text, numbered in list order; the object made
    // before the start and the plain bytes are not listed.
    const std::regex group("^Leak #(\\d+) - (\\d+) occurence\\(s\\) - (\\w+), Size: \\d+, allocated at [0-9a-f]{8}$");
    std::vector<std::string> groups;
    for (const std::string& line : lines) {
        std::smatch match;
        if (std::regex_match(line, match, group))
            groups.push_back(match[1].str() + " " + match[2].str() + " " + match[3].str());
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"1 1 TOtherLeak", "2 3 TLeakyRecord"})) << run.Log;
    EXPECT_EQ(run.Log.find("USER"), std::string::npos);

    // The chronological section runs from the oldest allocation.
    const std::string header = "*** MEMCHK: chronological leak information ***\n";
    const auto begin = run.Log.find(header);
    const auto end = run.Log.find("*** MEMCHK: end of chronological leak information ***\n");
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    std::vector<std::string> chronological;
    for (const std::string& line : Lines(run.Log.substr(begin + header.size(), end - begin - header.size())))
        chronological.push_back(line.substr(0, line.find(',')) + line.substr(line.rfind(" - ")));
    EXPECT_EQ(chronological, (std::vector<std::string>{"TLeakyRecord - Leak #2", "TLeakyRecord - Leak #2",
                                                       "TLeakyRecord - Leak #2", "TOtherLeak - Leak #1"}));

    EXPECT_NE(run.Log.find("*** MEMCHK: Time stamps ***\nafter three records - 3 block(s), " +
                           std::to_string(3 * OutputNumber(run.Result.Out, "size TLeakyRecord")) +
                           " byte(s) allocated\n*** MEMCHK: end of time stamps ***\n"),
              std::string::npos)
        << run.Log;
    // Where an exception would once have ended the run, the log says it.
    EXPECT_EQ(lines.back().rfind("EMemoryLeak: " + other, 0), 0u) << run.Log;
    EXPECT_NE(run.Result.Err.find("AllocCheck: 4 leaked block(s), " + std::to_string(total) + " byte(s); see " +
                                  run.Folder.File("AllocCheck.Log")),
              std::string::npos)
        << run.Result.Err;
}

TEST(AllocCheckRun, OtherKindsAreListedOnRequestButOnlyTheProgramsOwnBlocks)
{
    TScenarioRun run;
    RunScenario(run, "user-kinds");
    ASSERT_EQ(run.Result.ExitCode, 0) << run.Result.Err;
    EXPECT_TRUE(AddressIn(run, run.Log, "USER    , Size: 40, allocated at ", "LeakBytes"));
    EXPECT_TRUE(AddressIn(run, run.Log, "USER    , Size: " + std::to_string(sizeof(std::string)) + ", allocated at ",
                          "LeakMessage"));
    // The string's text was allocated inside the C++ library: not listed.
    const long long textBytes = OutputNumber(run.Result.Out, "message-bytes");
    ASSERT_GT(textBytes, 16);
    EXPECT_EQ(run.Log.find("Size: " + std::to_string(textBytes) + ","), std::string::npos) << run.Log;
    EXPECT_NE(run.Log.find("Total leak: " + std::to_string(40 + sizeof(std::string)) + "\n"), std::string::npos);
}

TEST(AllocCheckRun, SecondReleaseIsReportedAndTheProgramGoesOn)
{
    TScenarioRun run;
    RunScenario(run, "double-release");
    ASSERT_EQ(run.Result.ExitCode, 0) << run.Result.Err;
    EXPECT_NE(run.Result.Out.find("survived"), std::string::npos);
    const std::string severe = "********* Severe exception detected - second release of block attempt, allocated at ";
    EXPECT_TRUE(AddressIn(run, run.Result.Err, severe, "DoubleDelete"));
    EXPECT_TRUE(AddressIn(run, run.Result.Err, "Exception address: ", "ReleaseRecord"));
    EXPECT_TRUE(AddressIn(run, run.Result.Err, "Call stack (oldest call at bottom):\n", "ReleaseRecord"));
    // The same report heads the log.
    EXPECT_EQ(run.Log.rfind(severe, 0), 0u) << run.Log;
    EXPECT_EQ(run.Log.find(severe, 1), std::string::npos) << "reported once only";
}

TEST(AllocCheckRun, WriteBeyondTheEndIsReportedAtRelease)
{
    TScenarioRun run;
    RunScenario(run, "overrun");
    ASSERT_EQ(run.Result.ExitCode, 0) << run.Result.Err;
    const std::string damaged =
        "********* Severe exception detected - memory damaged beyond block allocated space, allocated at ";
    const auto addresses = AddressesAfter(run.Result.Err, damaged);
    ASSERT_EQ(addresses.size(), 2u) << "the block written within its size is not reported:\n" << run.Result.Err;
    EXPECT_TRUE(run.Ranges["OverrunSmall"].Holds(addresses[0]));
    EXPECT_TRUE(run.Ranges["OverrunLarge"].Holds(addresses[1]));
    EXPECT_NE(run.Log.find(damaged), std::string::npos);
}

TEST(AllocCheckRun, CallsOnReleasedObjectsThrow)
{
    TScenarioRun run;
    RunScenario(run, "freed-object");
    ASSERT_EQ(run.Result.ExitCode, 0) << run.Result.Err;
    // Slots 0 and 1 are the destructors, so Describe() is method 2.
    EXPECT_NE(run.Result.Out.find("bad instance: Virtual method #2 of TLeakyRecord called on a FREED instance\n"),
              std::string::npos)
        << run.Result.Out;
    EXPECT_NE(run.Result.Out.find("class now: ReleasedInstance\n"), std::string::npos);
    EXPECT_NE(run.Result.Out.find("freed interface: An interface method was called on a freed instance\n"),
              std::string::npos)
        << run.Result.Out;
    EXPECT_EQ(run.Result.Out.find("no exception"), std::string::npos);
}

TEST(AllocCheckRun, ReleasedMemoryIsFilledAndTheDesignatedClassGoesBack)
{
    TScenarioRun fill;
    RunScenario(fill, "fill");
    ASSERT_EQ(fill.Result.ExitCode, 0) << fill.Result.Err;
    EXPECT_NE(fill.Result.Out.find("filled 24\n"), std::string::npos) << fill.Result.Out;
    EXPECT_NE(fill.Result.Out.find("value abababab\n"), std::string::npos) << fill.Result.Out;

    TScenarioRun keep;
    RunScenario(keep, "keep");
    ASSERT_EQ(keep.Result.ExitCode, 0) << keep.Result.Err;
    EXPECT_NE(keep.Result.Out.find("released 3\n"), std::string::npos) << keep.Result.Out;
}

TEST(AllocCheckRun, ThreadsAllocateAndReleaseAtOnce)
{
    TScenarioRun run;
    RunScenario(run, "threads");
    ASSERT_EQ(run.Result.ExitCode, 0) << run.Result.Err;
    EXPECT_EQ(run.Result.Err.find("Severe exception"), std::string::npos) << run.Result.Err;
    const std::string leak = "Leak #1 - 8 occurence(s) - TThreadLeak, Size: " + Size(run, "TThreadLeak") + ", allocated at ";
    EXPECT_TRUE(AddressIn(run, run.Log, leak, "LeakFromThread"));
    EXPECT_NE(run.Log.find("Total leak: " + std::to_string(8 * OutputNumber(run.Result.Out, "size TThreadLeak")) + "\n"),
              std::string::npos)
        << run.Log;
    EXPECT_EQ(run.Log.find("Leak #2"), std::string::npos) << run.Log;
}

TEST(AllocCheckRun, ReallocationMovesTheBlockAndRefusesAReleasedOne)
{
    TScenarioRun run;
    RunScenario(run, "realloc");
    ASSERT_EQ(run.Result.ExitCode, 0) << run.Result.Err;
    EXPECT_NE(run.Result.Out.find("moved: abcdefg\n"), std::string::npos);
    EXPECT_TRUE(AddressIn(run, run.Result.Out, "EMemoryLeak: second release of block attempt, allocated at ", "Reallocate"));
    EXPECT_TRUE(AddressIn(run, run.Log, "REALLOC , Size: 64, allocated at ", "Reallocate"));
}

TEST(AllocCheckRun, LeakDuringStackUnwindingIsNamedSo)
{
    TScenarioRun run;
    RunScenario(run, "unwinding");
    ASSERT_EQ(run.Result.ExitCode, 0) << run.Result.Err;
    EXPECT_EQ(Lines(run.Log).back().rfind("EStackUnwinding: TLeakyRecord, Size: ", 0), 0u) << run.Log;
}

TEST(AllocCheckRun, UncaughtExceptionIsReportedAndTheLogWritten)
{
    TScenarioRun run;
    RunScenario(run, "severe");
    EXPECT_EQ(run.Result.Signal, SIGABRT);
    EXPECT_NE(run.Result.Err.find("********* Severe exception detected - boom\n"), std::string::npos)
        << run.Result.Err;
    EXPECT_TRUE(AddressIn(run, run.Result.Err, "Exception address: ", "ThrowUncaught"));
    EXPECT_NE(run.Log.find("********* Severe exception detected - boom\n"), std::string::npos) << run.Log;
    EXPECT_NE(run.Log.find("Leak #1 - 1 occurence(s) - TLeakyRecord"), std::string::npos) << run.Log;
}

TEST(AllocCheckRun, LogGoesToTheWorkingFolderUnlessTold)
{
    TTempFolder folder;
    const TChildResult result = RunChild(kScenarios, {"leak"}, folder.Path(), "");
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_NE(ReadFile(folder.File("AllocCheck.Log")).find("Total leak: "), std::string::npos);

    TTempFolder told;
    const TChildResult toldResult = RunChild(kScenarios, {"leak"}, folder.Path(), told.Path() + "/");
    EXPECT_EQ(toldResult.ExitCode, 0) << toldResult.Err;
    EXPECT_TRUE(FileExists(told.File("AllocCheck.Log")));
}

TEST(AllocCheckRun, UnwritableLogIsReportedNotThrown)
{
    TTempFolder folder;
    const std::string missing = folder.File("missing");
    const TChildResult result = RunChild(kScenarios, {"leak"}, folder.Path(), missing);
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_NE(result.Err.find("AllocCheck: cannot create " + missing + "/AllocCheck.$$$: No such file or directory"),
              std::string::npos)
        << result.Err;
}

TEST(AllocCheckBuild, OptimisedBuildIsRefused)
{
    TTempFolder folder;
    const TChildResult result = RunChild(ALLOCCHECK_OPTIMISED, {}, folder.Path(), folder.Path());
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "AllocCheck: abnormal termination\n"
                          "The project was compiled with optimization - AllocCheck can not be used\n");
    EXPECT_FALSE(FileExists(folder.File("AllocCheck.Log")));
}

TEST(AllocCheckBuild, BuildWithoutFramePointersIsRefused)
{
    TTempFolder folder;
    const TChildResult result = RunChild(ALLOCCHECK_NO_FRAMES, {}, folder.Path(), folder.Path());
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "AllocCheck: abnormal termination\n"
                          "The project was compiled without stack frames - AllocCheck can not be used\n");
}
