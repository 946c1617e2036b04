#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ArgumentRules.h"

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

TEST(ArgumentRulesSplit, FollowsTheQuoteAndBackslashRules) {
    const struct {
        const char* text;
        Args expected;
    } cases[] = {
        {"", {}},
        {" \t ", {}},
        {"a b\tc", {"a", "b", "c"}},
        {"  a   b  ", {"a", "b"}},
        {R"("a b" c)", {"a b", "c"}},
        {R"(x"a b"y)", {"xa by"}},
        {R"("" a "")", {"", "a", ""}},
        {R"(a\b\\c)", {R"(a\b\\c)"}},   // backslashes not before a quote are literal
        {R"(a\"b)", {R"(a"b)"}},        // 1 -> literal quote
        {R"(a\\"b c")", {R"(a\b c)"}},  // 2 -> one backslash, quote opens a group
        {R"(a\\\"b)", {R"(a\"b)"}},     // 3 -> one backslash and a literal quote
        {R"("C:\dir\\" next)", {R"(C:\dir\)", "next"}},  // even run closes the group
        {R"("open)", {"open"}},                          // an unclosed group runs to the end
        {R"("a""b")", {"ab"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitArguments(c.text), c.expected) << "text: " << c.text;
    }
}

TEST(ArgumentRulesEscape, QuotedEscapedPathComesBackExactly) {
    const std::string paths[] = {
        R"(/home/u/a "quoted" name.avi)",
        R"(/x/ends with quote")",
        R"(/x/back\"slash)",
        R"(/x/two\\"slashes)",
        R"(/x/trailing\)",
        R"(/x/trailing\\)",
        R"(/x/"")",
        R"(/x/$(rm -rf ~) `id`; -y)",
        "/x/\xc3\xa9t\xc3\xa9 \xff.mp4",
        "",
    };
    for (const std::string& path : paths) {
        const std::string line = "-y -i \"" + EscapeQuotedArgument(path) + "\" -f psp \"" +
                                 EscapeQuotedArgument(path) + "\"";
        EXPECT_EQ(SplitArguments(line), (Args{"-y", "-i", path, "-f", "psp", path})) << path;
    }
}

TEST(ArgumentRulesEscape, OrdinaryPathIsUnchanged) {
    EXPECT_EQ(EscapeQuotedArgument("/home/u/My Videos/a b.avi"), "/home/u/My Videos/a b.avi");
    EXPECT_EQ(EscapeQuotedArgument(R"(/x/a\b)"), R"(/x/a\b)");
}

// A program folder with a blank in its path, holding executables and look-alikes.
class ArgumentRulesProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orv-args-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern + "/";
        fs::create_directory(root_ + "my app");
        MakeFile("my app/kodra", true);
        MakeFile("plain", false);
        fs::create_directory(root_ + "folder");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    void MakeFile(const std::string& name, bool executable) {
        std::ofstream(root_ + name) << "#!/bin/sh\n";
        fs::permissions(root_ + name, executable ? fs::perms::owner_all : fs::perms::owner_read);
    }
    std::string root_;
};

TEST_F(ArgumentRulesProgram, UnquotedLineTriesPrefixesUpToEachBlank) {
    const std::string line = root_ + "my app/kodra -y -i \"a b\"";
    const auto found = FindLeadingProgram(line, "");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Token, root_ + "my app/kodra");
    EXPECT_EQ(found->File, root_ + "my app/kodra");
    EXPECT_EQ(SplitArguments(line.substr(found->Rest)), (Args{"-y", "-i", "a b"}));
}

TEST_F(ArgumentRulesProgram, ShortestExecutablePrefixWins) {
    MakeFile("my", true);
    const auto found = FindLeadingProgram(root_ + "my app/kodra -y", "");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->File, root_ + "my");
    EXPECT_EQ(SplitArguments((root_ + "my app/kodra -y").substr(found->Rest)),
              (Args{"app/kodra", "-y"}));
}

TEST_F(ArgumentRulesProgram, QuotedTokenAndRelativeNameAreFound) {
    const auto quoted = FindLeadingProgram("\"" + root_ + "my app/kodra\" -y", "");
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->Token, root_ + "my app/kodra");
    EXPECT_EQ(SplitArguments(("\"" + root_ + "my app/kodra\" -y").substr(quoted->Rest)),
              (Args{"-y"}));

    const auto relative = FindLeadingProgram("kodra -y", root_ + "my app/");
    ASSERT_TRUE(relative);
    EXPECT_EQ(relative->Token, "kodra");
    EXPECT_EQ(relative->File, root_ + "my app/kodra");
}

TEST_F(ArgumentRulesProgram, LineWithoutAnExecutableFindsNothing) {
    const std::string lines[] = {
        "",
        "   ",
        root_ + "plain -y",   // not executable
        root_ + "folder -y",  // a folder
        root_ + "missing -y",
        "\"" + root_ + "my\" app/kodra",  // quoted text is taken as it stands
        "kodra -y",                       // relative, and not in the base folder
    };
    for (const std::string& line : lines) {
        EXPECT_FALSE(FindLeadingProgram(line, root_)) << line;
    }
}

TEST(ArgumentRulesKnownProgram, ProgramWithBlanksIsTheFirstToken) {
    const std::string program = "/opt/my app/kodra";
    const struct {
        std::string line;
        std::string token;
        Args rest;
    } cases[] = {
        {program + " -y -i \"a\"", program, {"-y", "-i", "a"}},
        {program, program, {}},
        {"\"" + program + "\" -y", program, {"-y"}},
        {"kodra -y", "kodra", {"-y"}},
    };
    for (const auto& c : cases) {
        const TLeadingProgram lead = LeadingToken(c.line, program);
        EXPECT_EQ(lead.Token, c.token) << c.line;
        EXPECT_EQ(lead.File, program);
        EXPECT_EQ(SplitArguments(c.line.substr(lead.Rest)), c.rest) << c.line;
    }
}

}  // namespace
