#include "AllocCheckTest_support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace AllocCheckTest {

TTempFolder::TTempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "alloccheck-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    fPath = pattern;
}

TTempFolder::~TTempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(fPath, ignored);
}

TChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, const std::string& logFolder)
{
    const std::string outPath = folder + "/.stdout";
    const std::string errPath = folder + "/.stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "ALLOCCHECK_DIR=", 15) != 0)
            environment.emplace_back(*entry);
    }
    if (!logFolder.empty())
        environment.push_back("ALLOCCHECK_DIR=" + logFolder);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> argumentCopies{program};
    argumentCopies.insert(argumentCopies.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argumentCopies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(spawned));
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            throw std::runtime_error("waitpid failed");
    }
    TChildResult result;
    if (WIFEXITED(status))
        result.ExitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.Signal = WTERMSIG(status);
    result.Out = ReadFile(outPath);
    result.Err = ReadFile(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return result;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::map<std::string, TRange> Ranges(const std::string& output)
{
    std::map<std::string, TRange> ranges;
    for (const std::string& line : Lines(output)) {
        std::istringstream words(line);
        std::string keyword, name;
        TRange range;
        if (words >> keyword >> name >> std::hex >> range.First >> range.End && keyword == "range")
            ranges[name] = range;
    }
    return ranges;
}

long long OutputNumber(const std::string& output, const std::string& key)
{
    for (const std::string& line : Lines(output)) {
        if (line.rfind(key + " ", 0) == 0)
            return std::stoll(line.substr(key.size() + 1));
    }
    return -1;
}

std::vector<std::uint64_t> AddressesAfter(const std::string& text, const std::string& prefix)
{
    std::vector<std::uint64_t> addresses;
    for (std::size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
        const std::string digits = text.substr(at + prefix.size(), 8);
        if (digits.size() == 8 && digits.find_first_not_of("0123456789abcdef") == std::string::npos)
            addresses.push_back(std::stoull(digits, nullptr, 16));
    }
    return addresses;
}

int CountLines(const std::string& text, const std::string& line)
{
    int count = 0;
    for (const std::string& each : Lines(text))
        count += each == line;
    return count;
}

} // namespace AllocCheckTest
