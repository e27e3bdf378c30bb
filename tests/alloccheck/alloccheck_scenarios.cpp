// A program for the checker's tests: it runs the scenario named on its
// command line under the checker and ends. The tests read its output, its
// standard error and the log it leaves. On standard output it names where
// its functions lie ("range <name> <first> <end>", relative to the program's
// load address, as the log writes addresses) and what it found.

#include "alloccheck/AllocCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <link.h>

struct TLeakyRecord
{
    virtual ~TLeakyRecord() = default;
    virtual int Describe() const { return Value; }
    int Value = 7;
    char Name[12] = "leaky";
};

struct TOtherLeak : TLeakyRecord
{
    double Extra = 2.5;
};

struct TPlainRecord
{
    int Numbers[6] = {1, 2, 3, 4, 5, 6};
};

struct IFirstFace
{
    virtual ~IFirstFace() = default;
    virtual int First() const { return 1; }
};

struct ISecondFace
{
    virtual ~ISecondFace() = default;
    virtual int Second() const { return 2; }
};

struct TTwoFaces : IFirstFace, ISecondFace
{
    int Payload = 3;
};

struct TThreadLeak
{
    virtual ~TThreadLeak() = default;
    long Thread = 0;
};

struct TKeptKind
{
    virtual ~TKeptKind() = default;
    int Data[4] = {};
};

TLeakyRecord* gBeforeStart = nullptr;

void PrintRange(const char* name, void* function)
{
    Dl_info info{};
    void* entry = nullptr;
    if (dladdr1(function, &info, &entry, RTLD_DL_SYMENT) == 0 || !entry) {
        std::printf("range %s unknown\n", name);
        return;
    }
    const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
    const auto first = reinterpret_cast<std::uintptr_t>(info.dli_saddr) - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
    std::printf("range %s %zx %zx\n", name, static_cast<std::size_t>(first),
                static_cast<std::size_t>(first + symbol->st_size));
}

#define PRINT_RANGE(function) PrintRange(#function, reinterpret_cast<void*>(&function))

// Kept out of line so that each allocation has a caller of its own.
[[gnu::noinline]] void LeakRecords(int count)
{
    for (int i = 0; i < count; ++i)
        new TLeakyRecord;
}

[[gnu::noinline]] void LeakOther()
{
    new TOtherLeak;
}

[[gnu::noinline]] void LeakBytes()
{
    new char[40];
}

[[gnu::noinline]] void LeakMessage()
{
    // The text is made inside the C++ library; only the string object is ours.
    new std::string(std::system_category().message(ENOENT));
}

[[gnu::noinline]] void ReleaseRecord(TPlainRecord* record)
{
    delete record;
}

[[gnu::noinline]] void ReleaseLeaky(TLeakyRecord* record)
{
    delete record;
}

[[gnu::noinline]] void WriteBytes(char* bytes, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = 'x';
}

[[gnu::noinline]] void RunLeak()
{
    LeakRecords(3);
    AllocCheckTimeStamp("after three records");
    LeakOther();
    LeakBytes();
    for (int i = 0; i < 100; ++i)
        delete new TLeakyRecord;
}

int Leak()
{
    gBeforeStart = new TLeakyRecord;
    auto* early = new TPlainRecord;
    StartAllocCheck();
    delete early; // allocated before the start: the C allocator takes it back
    RunLeak();
    PRINT_RANGE(LeakRecords);
    PRINT_RANGE(LeakOther);
    PRINT_RANGE(RunLeak);
    std::printf("size TLeakyRecord %zu\nsize TOtherLeak %zu\n", sizeof(TLeakyRecord), sizeof(TOtherLeak));
    return 0;
}

int UserKinds()
{
    AllocCheckOptions().ReportedKinds[bkUser] = true;
    StartAllocCheck();
    LeakBytes();
    LeakMessage();
    PRINT_RANGE(LeakBytes);
    PRINT_RANGE(LeakMessage);
    std::printf("message-bytes %zu\n", std::system_category().message(ENOENT).size() + 1);
    return 0;
}

[[gnu::noinline]] void DoubleDelete()
{
    auto* record = new TPlainRecord;
    ReleaseRecord(record);
    ReleaseRecord(record);
}

int DoubleRelease()
{
    StartAllocCheck();
    DoubleDelete();
    PRINT_RANGE(DoubleDelete);
    PRINT_RANGE(ReleaseRecord);
    std::printf("survived\n");
    return 0;
}

[[gnu::noinline]] void OverrunSmall()
{
    char* inside = new char[16];
    WriteBytes(inside, 16);
    delete[] inside;
    char* beyond = new char[16];
    WriteBytes(beyond, 17);
    delete[] beyond;
}

[[gnu::noinline]] void OverrunLarge()
{
    char* beyond = new char[2000];
    WriteBytes(beyond, 2001);
    delete[] beyond;
}

int Overrun()
{
    StartAllocCheck();
    OverrunSmall();
    OverrunLarge();
    PRINT_RANGE(OverrunSmall);
    PRINT_RANGE(OverrunLarge);
    return 0;
}

int FreedObject()
{
    StartAllocCheck();
    auto* record = new TLeakyRecord;
    ReleaseLeaky(record);
    try {
        std::printf("no exception: %d\n", record->Describe());
    } catch (const EBadInstance& error) {
        std::printf("bad instance: %s\n", error.what());
    }
    std::printf("class now: %s\n", typeid(*record) == typeid(ReleasedInstance) ? "ReleasedInstance" : "other");

    auto* both = new TTwoFaces;
    ISecondFace* face = both;
    delete both;
    try {
        std::printf("no exception: %d\n", face->Second());
    } catch (const EInterfaceFreedInstance& error) {
        std::printf("freed interface: %s\n", error.what());
    }
    return 0;
}

int Fill()
{
    AllocCheckOptions().FillByte = 0xAB;
    StartAllocCheck();
    auto* bytes = new unsigned char[24];
    std::memset(bytes, 1, 24);
    delete[] bytes;
    int filled = 0;
    for (int i = 0; i < 24; ++i)
        filled += bytes[i] == 0xAB;
    std::printf("filled %d\n", filled);
    auto* record = new TLeakyRecord;
    ReleaseLeaky(record);
    std::printf("value %x\n", static_cast<unsigned>(record->Value));
    return 0;
}

int Keep()
{
    AllocCheckOptions().KeepReleasedObjects = true;
    AllocCheckOptions().KeptClass = &typeid(TKeptKind);
    StartAllocCheck();
    for (int i = 0; i < 5; ++i)
        delete new TKeptKind;
    for (int i = 0; i < 3; ++i)
        delete new TLeakyRecord;
    std::printf("released %zu\n", AllocCheckCounts().ReleasedBlocks);
    return 0;
}

[[gnu::noinline]] void LeakFromThread(long thread)
{
    (new TThreadLeak)->Thread = thread;
}

void ThreadWork(long thread)
{
    std::vector<TLeakyRecord*> records;
    for (int round = 0; round < 2000; ++round) {
        records.push_back(new TLeakyRecord);
        delete[] new char[static_cast<std::size_t>(round % 1500) + 1];
        if (records.size() > 16) {
            delete records.front();
            records.erase(records.begin());
        }
    }
    for (TLeakyRecord* record : records)
        delete record;
    LeakFromThread(thread);
}

int Threads()
{
    StartAllocCheck();
    std::vector<std::thread> threads;
    for (long i = 0; i < 8; ++i)
        threads.emplace_back(ThreadWork, i);
    for (std::thread& thread : threads)
        thread.join();
    PRINT_RANGE(LeakFromThread);
    std::printf("size TThreadLeak %zu\n", sizeof(TThreadLeak));
    return 0;
}

[[gnu::noinline]] void* Reallocate()
{
    auto* text = new char[8];
    std::strcpy(text, "abcdefg");
    auto* moved = static_cast<char*>(AllocCheckReallocate(text, 64));
    std::printf("moved: %s\n", moved);
    try {
        AllocCheckReallocate(text, 10);
        std::printf("no exception\n");
    } catch (const EMemoryLeak& error) {
        std::printf("EMemoryLeak: %s\n", error.what());
    }
    return moved;
}

int Realloc()
{
    AllocCheckOptions().ReportedKinds[bkRealloc] = true;
    StartAllocCheck();
    Reallocate();
    PRINT_RANGE(Reallocate);
    return 0;
}

struct TLeakOnUnwind
{
    ~TLeakOnUnwind() { LeakRecords(1); }
};

[[gnu::noinline]] void ThrowPastLeak()
{
    TLeakOnUnwind guard;
    throw std::runtime_error("unwinding");
}

int Unwinding()
{
    StartAllocCheck();
    try {
        ThrowPastLeak();
    } catch (const std::runtime_error&) {
    }
    return 0;
}

[[gnu::noinline]] void ThrowUncaught()
{
    throw std::runtime_error("boom");
}

int Severe()
{
    StartAllocCheck();
    LeakRecords(1);
    PRINT_RANGE(ThrowUncaught);
    std::fflush(stdout);
    ThrowUncaught();
    return 0;
}

int main(int argc, char** argv)
{
    struct TScenario
    {
        const char* Name;
        int (*Run)();
    };
    const TScenario scenarios[] = {
        {"leak", Leak},       {"user-kinds", UserKinds}, {"double-release", DoubleRelease},
        {"overrun", Overrun}, {"freed-object", FreedObject}, {"fill", Fill},
        {"keep", Keep},       {"threads", Threads},       {"realloc", Realloc},
        {"unwinding", Unwinding}, {"severe", Severe},
    };
    if (argc == 2) {
        for (const TScenario& scenario : scenarios) {
            if (std::strcmp(argv[1], scenario.Name) == 0)
                return scenario.Run();
        }
    }
    std::fprintf(stderr, "usage: alloccheck_scenarios <scenario>\n");
    return 2;
}
