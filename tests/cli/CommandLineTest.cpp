#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "options/CommandLine.h"

namespace karvola::options {
namespace {

using Arguments = std::vector<std::string>;

std::string Joined(const Arguments& arguments) {
    std::string text;
    for (const std::string& argument : arguments) text += (text.empty() ? "'" : " '") + argument + "'";
    return text;
}

// Parses a command line the program should start with; a refusal shows its text.
void ExpectStarts(CommandLine& commandLine, const Arguments& arguments) {
    const auto early = commandLine.parse(arguments);
    EXPECT_FALSE(early.has_value()) << early->text;
}

std::optional<std::string> Text(const std::optional<std::filesystem::path>& path) {
    if (!path) return std::nullopt;
    return path->string();
}

// Every front end reads --home and --db alike, with the value in the next
// argument or after '='.
TEST(CommandLine, HomeAndDataBaseTakeTheirValueInEitherForm) {
    struct Case {
        Arguments arguments;
        std::optional<std::string> home;
        std::optional<std::string> dataBase;
    };
    const Case cases[] = {
        {{}, std::nullopt, std::nullopt},        {{"--home", "h"}, "h", std::nullopt},
        {{"--home=h"}, "h", std::nullopt},       {{"--db", "b.txt"}, std::nullopt, "b.txt"},
        {{"--db=b.txt"}, std::nullopt, "b.txt"}, {{"--db=x=y.txt", "--home", "my home"}, "my home", "x=y.txt"},
        {{"--db", "-"}, std::nullopt, "-"},      {{"--home", "first", "--home=second"}, "second", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Joined(c.arguments));
        CommandLine commandLine("prog", "A test program.");
        ExpectStarts(commandLine, c.arguments);
        EXPECT_EQ(Text(commandLine.common().home), c.home);
        EXPECT_EQ(Text(commandLine.common().dataBase), c.dataBase);
    }
}

// The service host the program talks to: the option, which must be a
// HOST[:PORT], wins over the environment.
TEST(CommandLine, ServiceTakesAHostAndAPort) {
    for (const char* host : {"127.0.0.1:8470", "karvola.example.org", "[::1]:9000"}) {
        CommandLine commandLine("prog", "A test program.");
        ExpectStarts(commandLine, {"--service", host});
        EXPECT_EQ(commandLine.common().serviceHost().host.name(), host);
    }
    CommandLine service("prog-service", "A test program.", CommandLine::Shared::HelpAndVersion);
    EXPECT_EQ(service.usage().find("--service"), std::string::npos) << service.usage();
    EXPECT_EQ(service.usage().find("--home"), std::string::npos) << service.usage();
    EXPECT_TRUE(service.parse({"--db", "b.txt"}).has_value());
}

// A wrong command line gets one line saying why, then the usage, for standard error.
TEST(CommandLine, WrongOptionsGetTheReasonAndTheUsage) {
    const Arguments wrong[] = {
        {"--home"}, {"--home="}, {"--home", ""}, {"--db"}, {"--db="}, {"--db", ""}, {"--bogus"}, {"-x"}, {"stray"},
    };
    for (const Arguments& arguments : wrong) {
        SCOPED_TRACE(Joined(arguments));
        CommandLine commandLine("prog", "A test program.");
        const auto early = commandLine.parse(arguments);
        ASSERT_TRUE(early.has_value());
        EXPECT_EQ(early->status, kWrongOptions);
        const auto lineEnd = early->text.find('\n');
        ASSERT_NE(lineEnd, std::string::npos);
        EXPECT_EQ(early->text.rfind("prog: ", 0), 0U) << early->text;
        EXPECT_EQ(early->text.substr(lineEnd + 1), commandLine.usage());
    }
}

TEST(CommandLine, HelpAndVersionAnswerInsteadOfStarting) {
    for (const Arguments& arguments : {Arguments{"--help"}, Arguments{"-h"}, Arguments{"--db", "b.txt", "--help"}}) {
        SCOPED_TRACE(Joined(arguments));
        CommandLine commandLine("prog", "A test program.");
        const auto early = commandLine.parse(arguments);
        ASSERT_TRUE(early.has_value());
        EXPECT_EQ(early->status, 0);
        EXPECT_EQ(early->text, commandLine.usage());
    }
    CommandLine commandLine("prog", "A test program.");
    const auto usage = commandLine.usage();
    EXPECT_EQ(usage.rfind("Usage: prog [options]\nA test program.\n", 0), 0U) << usage;
    for (const char* option : {"--home DIR", "--db FILE", "-h,--help", "--version"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option << " missing from\n" << usage;
    }

    const auto version = commandLine.parse({"--version"});
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->status, 0);
    EXPECT_EQ(version->text.rfind("prog 5.", 0), 0U) << version->text;
    EXPECT_EQ(version->text.find('\n'), version->text.size() - 1) << version->text;
}

// A front end's own options and arguments sit beside the shared ones; "--"
// makes the rest arguments even when they look like options.
TEST(CommandLine, FrontEndAddsItsOwnOptionsAndArguments) {
    CommandLine commandLine("prog", "A test program.");
    std::string out = ".";
    std::vector<std::string> lines;
    commandLine.addOption("--out", out, "where the files go", "DIR");
    commandLine.addArguments("LINE", lines, "lines to type");

    ExpectStarts(commandLine, {"--out=pictures", "struct *", "--db", "b.txt", "sim 1", "--", "--home", "-q"});
    EXPECT_EQ(out, "pictures");
    EXPECT_EQ(lines, (Arguments{"struct *", "sim 1", "--home", "-q"}));
    EXPECT_EQ(Text(commandLine.common().dataBase), "b.txt");
    EXPECT_EQ(commandLine.common().home, std::nullopt);
    EXPECT_NE(commandLine.usage().find("--out DIR"), std::string::npos) << commandLine.usage();
}

// A check's reason is the user's whole explanation, so it must arrive word for
// word after the option's name; a value the check accepts is kept.
TEST(CommandLine, ChecksRefuseWithTheirOwnReason) {
    const auto shortOnes = [](const std::string& text) {
        return text.size() <= 3 ? std::string() : "'" + text + "' is longer than 3 characters";
    };
    struct Case {
        Arguments arguments;
        std::string firstLine;  // empty when the program starts
    };
    const Case cases[] = {
        {{"--home", ""}, "prog: --home: needs a path, not an empty text"},
        {{"--service", "h:0"}, "prog: --service: the port must be 1 to 65535"},
        {{"--tag=long"}, "prog: --tag: 'long' is longer than 3 characters"},
        {{"--tag", "abc", "--tag", "long"}, "prog: --tag: 'long' is longer than 3 characters"},
        {{"--in", ""}, "prog: --in: needs a path, not an empty text"},
        {{"--tag", "abc", "--in", "x"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Joined(c.arguments));
        CommandLine commandLine("prog", "A test program.");
        std::string tag;
        std::optional<std::filesystem::path> in;
        commandLine.addOption("--tag", tag, "a short tag", "TAG", shortOnes);
        commandLine.addOption("--in", in, "the input", "FILE", NonEmptyPath);
        const auto early = commandLine.parse(c.arguments);
        if (c.firstLine.empty()) {
            EXPECT_FALSE(early.has_value()) << early->text;
            EXPECT_EQ(tag, "abc");
            EXPECT_EQ(Text(in), "x");
            continue;
        }
        ASSERT_TRUE(early.has_value());
        EXPECT_EQ(early->status, kWrongOptions);
        EXPECT_EQ(early->text.substr(0, early->text.find('\n')), c.firstLine);
    }
}

// A text option's starting value is its default and the usage says so; one
// without a starting value shows none.
TEST(CommandLine, UsageShowsATextOptionsDefault) {
    CommandLine commandLine("prog", "A test program.");
    std::string out = ".";
    std::string name;
    commandLine.addOption("--out", out, "where the files go", "DIR");
    commandLine.addOption("--name", name, "a name", "NAME");
    const std::string usage = commandLine.usage();
    EXPECT_NE(usage.find("  --out DIR=.  "), std::string::npos) << usage;
    EXPECT_NE(usage.find("  --name NAME  "), std::string::npos) << usage;
}

// The user writes relative paths from the working folder; the program reads
// them from the application directory, so they are made absolute first.
TEST(CommonOptions, RelativePathsAreReadFromTheWorkingFolder) {
    const CommonOptions options{.home = "folder/../home", .dataBase = "folder/../base.txt", .service = {}};
    const auto workingFolder = std::filesystem::current_path();
    EXPECT_EQ(options.applicationDirectory(), workingFolder / "home");
    EXPECT_EQ(options.dataBaseFile(), (workingFolder / "base.txt").string());
    EXPECT_EQ(CommonOptions{}.dataBaseFile(), std::nullopt);
}

}  // namespace
}  // namespace karvola::options
