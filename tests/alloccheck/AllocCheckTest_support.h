#pragma once

// Running the checker's test programs as child processes, and reading what
// they leave behind.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace AllocCheckTest {

// A folder of its own under the system's temporary folder, removed afterwards.
class TTempFolder
{
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::string& Path() const { return fPath; }
    std::string File(const std::string& name) const { return fPath + "/" + name; }

private:
    std::string fPath;
};

struct TChildResult
{
    int ExitCode = -1; // -1 when ended by a signal
    int Signal = 0;
    std::string Out;
    std::string Err;
};

// Runs `program` with `arguments` in `folder`, with ALLOCCHECK_DIR set to
// `logFolder` (left unset when empty); waits for it to end.
TChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, const std::string& logFolder);

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
std::vector<std::string> Lines(const std::string& text);

// The "range <name> <first> <end>" lines a test program printed.
struct TRange
{
    std::uint64_t First = 0;
    std::uint64_t End = 0;
    bool Holds(std::uint64_t address) const { return address >= First && address < End; }
};
std::map<std::string, TRange> Ranges(const std::string& output);

// The number after "<key> " in a line of the output, or -1.
long long OutputNumber(const std::string& output, const std::string& key);

// The address after `prefix` wherever it appears in `text`, each as read.
std::vector<std::uint64_t> AddressesAfter(const std::string& text, const std::string& prefix);

// How many lines of `text` are exactly `line`.
int CountLines(const std::string& text, const std::string& line);

} // namespace AllocCheckTest
