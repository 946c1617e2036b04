#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "Errors.h"
#include "IniFiles32.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A literal with its NUL bytes.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

uid_t NobodyUid() {
    const passwd* pw = ::getpwnam("nobody");
    return pw ? pw->pw_uid : 65534;
}

gid_t NobodyGid() {
    const passwd* pw = ::getpwnam("nobody");
    return pw ? pw->pw_gid : 65534;
}

// Runs body in a child process and returns its exit status (0: every check
// in it held). With unprivileged set, a run as root first becomes "nobody",
// so permission checks that root would bypass take effect.
int RunInChild(bool unprivileged, const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (unprivileged && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(NobodyGid()) != 0 ||
                ::setuid(NobodyUid()) != 0) {
                ::_exit(99);
            }
        }
        int result = 98;
        try {
            result = body();
        } catch (...) {
            result = 97;
        }
        ::_exit(result);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200 + WTERMSIG(status);
}

class IniFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orv-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        // Give back what a test took away, so the folder can be removed.
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            if (!entry.is_symlink() && entry.is_directory()) ::chmod(entry.path().c_str(), 0700);
        }
        ::chmod(dir_.c_str(), 0700);
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // The names in the test folder, to see that no temporary file is left.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Hands a file, or the folder itself, to the unprivileged user of
    // RunInChild (a run as root only; otherwise everything is the user's).
    void GiveToNobody(const std::string& path) const {
        if (::geteuid() == 0) {
            EXPECT_EQ(::chown(path.c_str(), NobodyUid(), NobodyGid()), 0) << path;
        }
    }
    void HandFolderToNobody() const { GiveToNobody(dir_); }

    std::string dir_;
};

using IniFileRead = IniFileTest;
using IniFileWrite = IniFileTest;
using IniFileFailure = IniFileTest;
using IniFileReplace = IniFileTest;

// ---- Reading ------------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;  // the default is "dflt"
};

TEST_F(IniFileRead, ReadStringFindsSectionsAndKeysByTheRules) {
    const ReadCase cases[] = {
        {"section letter case is ignored", "[count]\r\ncount=1\r\n", "COUNT", "count", "1"},
        {"key letter case counts", "[count]\r\ncount=1\r\n", "count", "Count", "dflt"},
        {"key and value are trimmed", "[s]\r\n  k \t=  v v  \r\n", "s", "k", "v v"},
        {"control characters are trimmed", "[s]\r\n\x01k\x1f=\x02v\x7f\x03\r\n", "s", "k", "v\x7f"},
        {"a value may hold '='", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
        {"empty value reads as the default", "[s]\r\nk=\r\n", "s", "k", "dflt"},
        {"only the first line of a key counts", "[s]\r\nk=\r\nk=2\r\n", "s", "k", "dflt"},
        {"a second header of the same name is never read", "[a]\r\n[a]\r\nk=2\r\n", "a", "k",
         "dflt"},
        {"empty key", "[s]\r\n=v\r\nv\r\n\r\n", "s", "", "dflt"},
        {"lines before the first header belong to no section", "k=1\r\n[s]\r\n", "s", "k", "dflt"},
        {"a section ends at the next header", "[s]\r\n[t]\r\nk=2\r\n", "s", "k", "dflt"},
        {"the second section", "[s]\r\nk=1\r\n[t]\r\nk=2\r\n", "t", "k", "2"},
        {"blanks outside the brackets: no name finds it", " [s]\r\nk=1\r\n", "s", "k", "dflt"},
        {"blanks inside the brackets: the listed name misses", "[ s ]\r\nk=1\r\n", "s", "k",
         "dflt"},
        {"blanks inside the brackets: found with them", "[ s ]\r\nk=1\r\n", " s ", "k", "1"},
        {"missing section", "[s]\r\nk=1\r\n", "x", "k", "dflt"},
        {"a line's key is only what precedes '='", "[s]\r\nab=1\r\nb\r\n", "s", "b", "dflt"},
        {"bytes outside ASCII compare exactly", "[\xC4]\r\nk=1\r\n", "\xE4", "k", "dflt"},
        {"ASCII i/I match whatever the locale", "[Title]\r\nk=1\r\n", "tITLE", "k", "1"},
        {"empty file", "", "s", "k", "dflt"},
    };
    for (const ReadCase& c : cases) {
        WriteBytes(Path("r.ini"), c.file);
        TIniFile32 ini(Path("r.ini"));
        EXPECT_EQ(ini.ReadString(c.section, c.key, "dflt"), c.expected) << c.name;
    }
    TIniFile32 missing(Path("missing.ini"));
    EXPECT_EQ(missing.ReadString("s", "k", "dflt"), "dflt");
}

TEST_F(IniFileRead, ReadIntegerTakesDecimalAndHexadecimalOnly) {
    const std::pair<std::string, int32_t> cases[] = {
        {"0x1F", 31},
        {"0X1f", 31},
        {"$1F", 31},
        {"x1F", 31},
        {"X1f", 31},
        {"-5", -5},
        {"+5", 5},
        {"007", 7},
        {"-$1F", -31},
        {"+x10", 16},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"$7FFFFFFF", INT32_MAX},
        {"-$80000000", INT32_MIN},
        // The default (77) for everything that is not such a number.
        {"2147483648", 77},
        {"$80000000", 77},
        {"99999999999999999999999", 77},
        {"abc", 77},
        {"0x", 77},
        {"$", 77},
        {"-", 77},
        {"x", 77},
        {"-0x1F", 77},
        {"--5", 77},
        {"+-0", 77},
        {"$-1", 77},
        {"1 2", 77},
        {"12abc", 77},
        {"1.5", 77},
        {"$1G", 77},
    };
    for (const auto& [text, expected] : cases) {
        WriteBytes(Path("i.ini"), "[s]\r\nk=" + text + "\r\n");
        TIniFile32 ini(Path("i.ini"));
        EXPECT_EQ(ini.ReadInteger("s", "k", 77), expected) << text;
    }
    WriteBytes(Path("i.ini"), "[s]\r\nk=\r\n");
    TIniFile32 ini(Path("i.ini"));
    EXPECT_EQ(ini.ReadInteger("s", "k", 77), 77);
    EXPECT_EQ(ini.ReadInteger("s", "missing", -3), -3);
}

TEST_F(IniFileRead, ReadSectionsListsEveryHeaderInFileOrder) {
    const std::pair<std::string, Lines> cases[] = {
        {"[b]\r\nk=1\r\n[a]\r\n[b]\r\n", {"b", "a", "b"}},
        {"  [ A ] \t\r\n", {"A"}},
        {"[]\r\nx\r\n", {""}},
        {"[[x]]\r\n[a]]\r\n", {"[x]", "a]"}},
        {"[a\r\na]\r\n\r\n \t\r\n[\r\n]\r\nk=[v]\r\n", {}},
        {"", {}},
    };
    for (const auto& [file, expected] : cases) {
        WriteBytes(Path("s.ini"), file);
        TIniFile32 ini(Path("s.ini"));
        Lines sections{"left over"};
        ini.ReadSections(&sections);
        EXPECT_EQ(sections, expected) << file;
    }
    TIniFile32 missing(Path("missing.ini"));
    Lines sections{"left over"};
    missing.ReadSections(&sections);
    EXPECT_TRUE(sections.empty());
    try {
        missing.ReadSections(nullptr);
        ADD_FAILURE() << "no assertion";
    } catch (const EAssertionFailed& e) {
        EXPECT_STREQ(e.what(), "Param Strings must be assigned");
    }
}

// Odd files are read by the same rules, and a rewrite keeps every byte of
// every line, ending each with CR LF.
TEST_F(IniFileRead, OddInputIsReadByTheRulesAndKeptByteForByte) {
    const std::string longValue(100000, 'v');
    const std::string longKey(100000, 'k');
    struct Case {
        const char* name;
        std::string file;
        Lines sections;
        std::string readSection, readKey, readValue;
        std::string afterWrite;  // the file after WriteString("w", "x", "1")
    };
    const Case cases[] = {
        {"lone CR ends lines",
         "[a]\rk=1\r[b]\rk=2",
         {"a", "b"},
         "b",
         "k",
         "2",
         "[a]\r\nk=1\r\n[b]\r\nk=2\r\n\r\n[w]\r\nx=1\r\n"},
        {"mixed line ends",
         "[a]\nk=1\r\n\r\r\n[b]\rk=2\n",
         {"a", "b"},
         "a",
         "k",
         "1",
         "[a]\r\nk=1\r\n\r\n\r\n[b]\r\nk=2\r\n\r\n[w]\r\nx=1\r\n"},
        {"byte-order mark is part of the first line",
         "\xEF\xBB\xBF[a]\r\nk=1\r\n[b]\r\nk=2\r\n",
         {"b"},
         "a",
         "k",
         "dflt",
         "\xEF\xBB\xBF[a]\r\nk=1\r\n[b]\r\nk=2\r\n\r\n[w]\r\nx=1\r\n"},
        {"NUL bytes are ordinary bytes",
         Bytes("[a]\r\nk=x\0y\r\n\0\r\n"),
         {"a"},
         "a",
         "k",
         Bytes("x\0y"),
         Bytes("[a]\r\nk=x\0y\r\n\0\r\n\r\n[w]\r\nx=1\r\n")},
        {"long lines",
         "[a]\r\n" + longKey + "=1\r\nk=" + longValue + "\r\n",
         {"a"},
         "a",
         "k",
         longValue,
         "[a]\r\n" + longKey + "=1\r\nk=" + longValue + "\r\n\r\n[w]\r\nx=1\r\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(Path("odd.ini"), c.file);
        TIniFile32 ini(Path("odd.ini"));
        Lines sections;
        ini.ReadSections(&sections);
        EXPECT_EQ(sections, c.sections) << c.name;
        EXPECT_EQ(ini.ReadString(c.readSection, c.readKey, "dflt"), c.readValue) << c.name;
        ini.WriteString("w", "x", "1");
        EXPECT_EQ(ReadBytes(Path("odd.ini")), c.afterWrite) << c.name;
    }
}

// ---- Writing ------------------------------------------------------------

struct WriteCase {
    const char* name;
    std::optional<std::string> file;  // nullopt: no file yet
    std::string section, key, value;
    std::string expected;
};

TEST_F(IniFileWrite, WriteStringPlacesLinesByTheRules) {
    const WriteCase cases[] = {
        {"a missing file gets three lines", std::nullopt, "count", "count", "1",
         "\r\n[count]\r\ncount=1\r\n"},
        {"an empty file likewise", "", "count", "count", "1", "\r\n[count]\r\ncount=1\r\n"},
        {"a new section goes at the end", "[a]\r\nx=1", "b", "y", "2",
         "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n"},
        {"an existing key is replaced", "[s]\r\n k = 1 \r\nj=2\r\n", "S", "k", "9",
         "[s]\r\nk=9\r\nj=2\r\n"},
        {"a new key goes above the next header, after blank lines",
         "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", "a", "z", "3",
         "[a]\r\nx=1\r\n\r\nz=3\r\n[b]\r\ny=2\r\n"},
        {"a new key in the last section goes at the very end", "[a]\r\nx=1", "a", "z", "3",
         "[a]\r\nx=1\r\nz=3\r\n"},
        {"the first section of a duplicated name gets the key", "[a]\r\n\r\n[a]\r\nk=2\r\n", "a",
         "k", "5", "[a]\r\n\r\nk=5\r\n[a]\r\nk=2\r\n"},
        {"a header with blanks inside is not the section", "[ a ]\r\nk=1\r\n", "a", "k", "2",
         "[ a ]\r\nk=1\r\n\r\n[a]\r\nk=2\r\n"},
        {"key and value are written as given", std::nullopt, "s", " k ", " v ",
         "\r\n[s]\r\n k = v \r\n"},
        {"empty key, missing section: only the header", "[t]\r\n", "s", "", "v",
         "[t]\r\n\r\n[s]\r\n"},
        {"empty key, existing section: no line changes, the file is still rewritten",
         "[s]\rk=1\r\r", "s", "", "v", "[s]\r\nk=1\r\n\r\n"},
        {"the key must match its letter case", "[s]\r\nK=1\r\n", "s", "k", "2",
         "[s]\r\nK=1\r\nk=2\r\n"},
    };
    for (const WriteCase& c : cases) {
        fs::remove(Path("w.ini"));
        if (c.file) WriteBytes(Path("w.ini"), *c.file);
        TIniFile32 ini(Path("w.ini"));
        ini.WriteString(c.section, c.key, c.value);
        EXPECT_EQ(ReadBytes(Path("w.ini")), c.expected) << c.name;
        EXPECT_EQ(Names(), Lines{"w.ini"}) << c.name;
    }
}

TEST_F(IniFileWrite, WriteIntegerWritesDecimalAndReadsBack) {
    TIniFile32 ini(Path("n.ini"));
    ini.WriteInteger("n", "neg", -5);
    ini.WriteInteger("n", "min", INT32_MIN);
    EXPECT_EQ(ReadBytes(Path("n.ini")), "\r\n[n]\r\nneg=-5\r\nmin=-2147483648\r\n");
    TIniFile32 again(Path("n.ini"));
    EXPECT_EQ(again.ReadInteger("n", "min", 0), INT32_MIN);
}

// Each object works on its own copy from its construction on: the last one
// to write decides the file.
TEST_F(IniFileWrite, ObjectsDoNotSeeEachOthersChanges) {
    WriteBytes(Path("c.ini"), "[s]\r\nk=1\r\n");
    TIniFile32 first(Path("c.ini"));
    TIniFile32 second(Path("c.ini"));
    second.WriteString("s", "k", "2");
    EXPECT_EQ(first.ReadString("s", "k", ""), "1");
    first.WriteString("s", "j", "3");
    EXPECT_EQ(ReadBytes(Path("c.ini")), "[s]\r\nk=1\r\nj=3\r\n");
}

TEST_F(IniFileWrite, EraseSectionRemovesItsLinesAndLeavesOneBlankLine) {
    struct Case {
        const char* name;
        std::string section, before, after;
    };
    const Case cases[] = {
        {"between a blank line and the next section", "b",
         "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n\r\n[c]\r\nz=3\r\n",
         "[a]\r\nx=1\r\n\r\n\r\n[c]\r\nz=3\r\n"},
        {"the first line leaves nothing in its place", "A", "[a]\r\nx=1\r\n\r\n[b]\r\n", "[b]\r\n"},
        {"only the first of two sections of that name", "a", "[a]\r\n[b]\r\n[a]\r\nk=1\r\n",
         "[b]\r\n[a]\r\nk=1\r\n"},
        {"the last section, with its blank lines", "b", "[a]\r\n[b]\r\ny=2\r\n\r\n", "[a]\r\n\r\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(Path("e.ini"), c.before);
        TIniFile32 ini(Path("e.ini"));
        ini.EraseSection(c.section);
        EXPECT_EQ(ReadBytes(Path("e.ini")), c.after) << c.name;
    }
    // Not found: the file is not rewritten (its lone CRs would become CR LF).
    for (const std::string section : {"zz", "a", ""}) {
        const std::string file = "[ a ]\rk=1\r\r";
        WriteBytes(Path("e.ini"), file);
        TIniFile32 ini(Path("e.ini"));
        ini.EraseSection(section);
        EXPECT_EQ(ReadBytes(Path("e.ini")), file) << section;
    }
    TIniFile32 missing(Path("none.ini"));
    missing.EraseSection("a");
    EXPECT_FALSE(fs::exists(Path("none.ini")));
}

// ---- Failures -----------------------------------------------------------

TEST_F(IniFileFailure, FailedWriteThrowsCreateErrorAndKeepsTheChangeInMemory) {
    const std::string path = Path("no-such-folder/p.ini");
    TIniFile32 ini(path);
    try {
        ini.WriteString("s", "k", "v");
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_EQ(ini.ReadString("s", "k", ""), "v");
    EXPECT_TRUE(Names().empty());

    // A folder under the name cannot be replaced either; it counts as no file when read.
    fs::create_directory(Path("d.ini"));
    TIniFile32 folder(Path("d.ini"));
    EXPECT_EQ(folder.ReadString("s", "k", "dflt"), "dflt");
    EXPECT_THROW(folder.WriteString("s", "k", "v"), EFCreateError);
    EXPECT_TRUE(fs::is_directory(Path("d.ini")));
    EXPECT_EQ(Names(), Lines{"d.ini"});
}

TEST_F(IniFileFailure, UnreadableFileThrowsOpenErrorNamingIt) {
    HandFolderToNobody();
    const std::string path = Path("locked.ini");
    WriteBytes(path, "[s]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const int result = RunInChild(true, [&] {
        try {
            TIniFile32 ini(path);
        } catch (const EFOpenError& e) {
            return std::string(e.what()).find(path) != std::string::npos ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(result, 0) << "1: no error, 2: the message does not name the file";

    // A pipe under the name must neither block the program nor be taken for a file.
    ASSERT_EQ(::mkfifo(Path("pipe.ini").c_str(), 0666), 0);
    EXPECT_THROW(TIniFile32 pipe(Path("pipe.ini")), EFOpenError);
}

// The rewrite goes through a new file that replaces the old one only when
// it is complete: a write that fails half-way leaves the old file whole.
TEST_F(IniFileFailure, WriteFailingHalfWayLeavesTheOldFileWhole) {
    const std::string path = Path("p.ini");
    const std::string old = "[s]\r\nk=1\r\n";
    WriteBytes(path, old);
    const int result = RunInChild(false, [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};  // any file write past 64 bytes fails
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        TIniFile32 ini(path);
        try {
            ini.WriteString("s", "k", std::string(1000, 'x'));
        } catch (const EFCreateError&) {
            return ini.ReadString("s", "k", "").size() == 1000 ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(result, 0) << "1: no error, 2: the change was lost in memory";
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Names(), Lines{"p.ini"});
}

// The replacement must not widen what a direct write may do.
TEST_F(IniFileFailure, ReadOnlyFileIsNotReplacedThroughItsWritableFolder) {
    HandFolderToNobody();
    const std::string path = Path("ro.ini");
    const std::string old = "[s]\r\nk=1\r\n";
    WriteBytes(path, old);
    GiveToNobody(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const int result = RunInChild(true, [&] {
        TIniFile32 ini(path);
        try {
            ini.WriteString("s", "k", "2");
        } catch (const EFCreateError& e) {
            return std::string(e.what()).find(path) != std::string::npos ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(result, 0) << "1: the file was replaced, 2: the message does not name the file";
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Names(), Lines{"ro.ini"});
}

// A writable file in a folder the user may not create files in is still
// written, as a direct write would be.
TEST_F(IniFileReplace, WritableFileInALockedFolderIsWrittenInPlace) {
    HandFolderToNobody();
    const std::string path = Path("w.ini");
    WriteBytes(path, "[s]\rk=1\r");
    GiveToNobody(path);
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    const int result = RunInChild(true, [&] {
        TIniFile32 ini(path);
        ini.WriteString("s", "k", "2");
        return 0;
    });
    ::chmod(dir_.c_str(), 0700);
    EXPECT_EQ(result, 0) << "97: the write failed";
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=2\r\n");
    EXPECT_EQ(Names(), Lines{"w.ini"});
}

// ---- What the replacement keeps ----------------------------------------

TEST_F(IniFileReplace, RewriteKeepsModeAndOwnerAndNewFilesFollowTheUmask) {
    const std::string path = Path("m.ini");
    WriteBytes(path, "[s]\r\n");
    for (mode_t mode : {0640, 0604, 0600}) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        TIniFile32(path).WriteString("s", "k", "1");
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), NobodyUid(), NobodyGid()), 0);
        TIniFile32(path).WriteString("s", "k", "2");
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, NobodyUid());
        EXPECT_EQ(st.st_gid, NobodyGid());
    }

    const mode_t mask = ::umask(0027);
    TIniFile32(Path("new.ini")).WriteString("s", "k", "1");
    ::umask(mask);
    struct stat st;
    ASSERT_EQ(::stat(Path("new.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(), (Lines{"m.ini", "new.ini"}));
}

TEST_F(IniFileReplace, SymbolicLinksAreWrittenThroughAndStayLinks) {
    fs::create_directory(Path("real"));
    fs::create_directory(Path("links"));
    struct Case {
        const char* name;
        std::string link;                                           // written through
        std::string target;                                         // where the content must land
        std::vector<std::pair<std::string, std::string>> symlinks;  // link path, link text
    };
    const Case cases[] = {
        {"relative", "links/a.ini", "real/a.ini", {{"links/a.ini", "../real/a.ini"}}},
        {"absolute", "links/b.ini", "real/b.ini", {{"links/b.ini", Path("real/b.ini")}}},
        {"chain",
         "links/c.ini",
         "real/c.ini",
         {{"links/c.ini", "c2.ini"}, {"links/c2.ini", "../real/c.ini"}}},
        {"dangling: the target is created",
         "links/d.ini",
         "real/d.ini",
         {{"links/d.ini", "../real/d.ini"}}},
    };
    for (const Case& c : cases) {
        if (std::string(c.name).rfind("dangling", 0) != 0) WriteBytes(Path(c.target), "[s]\r\n");
        for (const auto& [at, text] : c.symlinks) fs::create_symlink(text, Path(at));
        TIniFile32(Path(c.link)).WriteString("s", "k", "1");
        for (const auto& [at, text] : c.symlinks) {
            EXPECT_TRUE(fs::is_symlink(Path(at))) << c.name;
            EXPECT_EQ(fs::read_symlink(Path(at)).string(), text) << c.name;
        }
        EXPECT_EQ(ReadBytes(Path(c.target)), std::string(c.name).rfind("dangling", 0) == 0
                                                 ? "\r\n[s]\r\nk=1\r\n"
                                                 : "[s]\r\nk=1\r\n")
            << c.name;
    }
    std::vector<std::string> real;
    for (const auto& e : fs::directory_iterator(Path("real"))) {
        real.push_back(e.path().filename().string());
    }
    std::sort(real.begin(), real.end());
    EXPECT_EQ(real, (Lines{"a.ini", "b.ini", "c.ini", "d.ini"}));

    // A loop of links is an error, not a hang.
    fs::create_symlink("loop2.ini", Path("loop1.ini"));
    fs::create_symlink("loop1.ini", Path("loop2.ini"));
    EXPECT_THROW(TIniFile32(Path("loop1.ini")).WriteString("s", "k", "1"), EFCreateError);
}

// Every name of a file with several hard links sees the change.
TEST_F(IniFileReplace, HardLinkedFileIsUpdatedUnderEveryName) {
    WriteBytes(Path("one.ini"), "[s]\r\nk=1\r\n");
    fs::create_hard_link(Path("one.ini"), Path("two.ini"));
    TIniFile32(Path("two.ini")).WriteString("s", "k", "2");
    EXPECT_EQ(ReadBytes(Path("one.ini")), "[s]\r\nk=2\r\n");
    EXPECT_TRUE(fs::equivalent(Path("one.ini"), Path("two.ini")));
    EXPECT_EQ(Names(), (Lines{"one.ini", "two.ini"}));
}

}  // namespace
