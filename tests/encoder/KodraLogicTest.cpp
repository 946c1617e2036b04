// kodra's command line, its ffmpeg command line and its progress lines,
// without running anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "KodraJob.h"
#include "KodraProgress.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        size_t end = line.find(' ', at);
        if (end == std::string::npos) end = line.size();
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// Position of the value that follows option in args, or -1.
int ValueAt(const std::vector<std::string>& args, const std::string& option) {
    auto it = std::find(args.begin(), args.end(), option);
    if (it == args.end() || it + 1 == args.end()) return -1;
    return static_cast<int>(it - args.begin()) + 1;
}

std::string ValueOf(const std::vector<std::string>& args, const std::string& option) {
    int at = ValueAt(args, option);
    return at < 0 ? "<absent>" : args[at];
}

bool Has(const std::vector<std::string>& args, const std::string& word) {
    return std::find(args.begin(), args.end(), word) != args.end();
}

// ffmpeg cannot seek in an SWF file: an input offset there converts
// nothing, so its start must come after -i; a start of 0 needs no seek.
TEST(KodraCommandLine, StartSeeksInTheInputUnlessTheSourceCannotSeek) {
    struct Case {
        const char* source;
        const char* start;
        int where;  // -1 before -i, +1 after it, 0 absent
    } cases[] = {{"/v/a.avi", "00:00:03", -1}, {"/v/a.swf", "00:00:03", +1},
                 {"/v/A.SWF", "00:00:03", +1}, {"/v/a.swf", "00:00:00", 0},
                 {"/v/a.avi", "00:00:00", 0},  {"/v.swf/a.avi", "00:00:03", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " " + c.start);
        TKodraParse parsed = ParseKodraArgs(
            {"-y", "-i", c.source, "-vcodec", "mpeg4", "-acodec", "aac", "-ss", c.start, "-t",
             "2", "/o/a.mp4"});
        ASSERT_TRUE(parsed.ok) << parsed.error;
        std::vector<std::string> args = BuildFfmpegArgs(parsed.job, "/o/.tmp.mp4", 3);
        const int ss = ValueAt(args, "-ss");
        const int input = ValueAt(args, "-i");
        if (c.where == 0) {
            EXPECT_EQ(ss, -1);
        } else {
            ASSERT_GE(ss, 0);
            EXPECT_EQ(args[ss], "3");
            EXPECT_EQ(ss < input ? -1 : +1, c.where);
        }
    }
}

// The lines the program composes, after its runner split them into words.
TEST(KodraCommandLine, ProgramLinesBecomeTheMatchingFfmpegLine) {
    struct Case {
        const char* line;
        const char* muxer;
        const char* audioEncoder;
        bool video;
        const char* volume;  // "-af" value or "<absent>"
        const char* start;   // "-ss" value or "<absent>"
        const char* length;  // "-t" value or "<absent>"
    };
    const Case cases[] = {
        {"-y -i /v/a.avi -vcodec mpeg4 -acodec aac -b 768 -s 320x240 -r 25 -aspect 4:3 -ab 128 "
         "-vol 200 -ac 2 -ar 44100 -ss 00:00:00 -t 120 /o/a.mp4",
         "psp", "aac", true, "volume=2.00", "<absent>", "120"},
        {"-y -i /v/a.avi -acodec aac -vn -ab 128 -vol 200 -ac 2 -ar 44100 -ss 00:01:00 -t 150 "
         "/o/a.aac",
         "adts", "aac", false, "volume=2.00", "60", "150"},
        {"-y -i /v/a.avi -acodec aac -vn -ab 48 -vol 25 -ac 1 -ar 22050 /o/a.M4A", "ipod", "aac",
         false, "volume=0.25", "<absent>", "<absent>"},
        // An unselected volume list leaves no -vol; 100 % needs no filter.
        {"-y -i /v/a.avi -acodec mp3 -vn -ab 224 -ac 2 -ar 48000 -ss 100:00:01 -t 5 /o/a.mp3",
         "mp3", "libmp3lame", false, "<absent>", "360001", "5"},
        {"-y -i /v/a.avi -acodec mp3 -vn -vol 100 -f mp3 /o/a.bin", "mp3", "libmp3lame", false,
         "<absent>", "<absent>", "<absent>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TKodraParse parsed = ParseKodraArgs(Words(c.line));
        ASSERT_TRUE(parsed.ok) << parsed.error;
        EXPECT_EQ(parsed.job.HasVideo(), c.video);
        std::vector<std::string> args = BuildFfmpegArgs(parsed.job, "/o/.tmp.mp4", 3);
        EXPECT_EQ(ValueOf(args, "-f"), c.muxer);
        EXPECT_EQ(ValueOf(args, "-c:a"), c.audioEncoder);
        EXPECT_EQ(ValueOf(args, "-af"), c.volume);
        EXPECT_EQ(ValueOf(args, "-ss"), c.start);
        EXPECT_EQ(ValueOf(args, "-t"), c.length);
        EXPECT_EQ(ValueOf(args, "-i"), "file:/v/a.avi");
        EXPECT_EQ(args.back(), "file:/o/.tmp.mp4");
        EXPECT_TRUE(Has(args, "-nostdin"));
        EXPECT_EQ(ValueOf(args, "-progress"), "pipe:3");
        // The start seeks in the input; the length limits the output.
        int input = ValueAt(args, "-i");
        if (ValueAt(args, "-ss") >= 0) {
            EXPECT_LT(ValueAt(args, "-ss"), input);
        }
        if (ValueAt(args, "-t") >= 0) {
            EXPECT_GT(ValueAt(args, "-t"), input);
        }
        if (c.video) {
            EXPECT_EQ(ValueOf(args, "-c:v"), "mpeg4");
            EXPECT_EQ(ValueOf(args, "-b:v"), "768k");
            EXPECT_EQ(ValueOf(args, "-s"), "320x240");
            EXPECT_EQ(ValueOf(args, "-aspect"), "4:3");
            EXPECT_FALSE(Has(args, "-vn"));
        } else {
            EXPECT_TRUE(Has(args, "-vn"));
            EXPECT_FALSE(Has(args, "-c:v"));
        }
    }
}

TEST(KodraCommandLine, CatalogueValuesPassUnchanged) {
    for (const char* rate : {"14.985", "15", "23.967", "24", "25", "29.97", "30"}) {
        for (const char* size : {"160x112", "320x240", "368x208"}) {
            TKodraParse parsed = ParseKodraArgs({"-y", "-i", "/s.avi", "-vcodec", "mpeg4", "-r",
                                                 rate, "-s", size, "-aspect", "16:9", "/o.mp4"});
            ASSERT_TRUE(parsed.ok) << rate << " " << size << ": " << parsed.error;
            std::vector<std::string> args = BuildFfmpegArgs(parsed.job, "/t.mp4", 3);
            EXPECT_EQ(ValueOf(args, "-r"), rate);
            EXPECT_EQ(ValueOf(args, "-s"), size);
        }
    }
}

TEST(KodraCommandLine, BadLinesAreRefusedWithTheirCause) {
    struct Case {
        std::vector<std::string> args;
        const char* cause;
    };
    const Case cases[] = {
        {{"-y", "-i", "/s.avi", "-foo", "/o.mp4"}, "unknown option \"-foo\""},
        {{"-y", "-i", "/s.avi", "/o.mp4", "-b"}, "option -b needs a value"},
        {{"-y", "-i", "/s.avi", "-b", "fast", "/o.mp4"}, "invalid value for -b"},
        {{"-y", "-i", "/s.avi", "-s", "320", "/o.mp4"}, "invalid value for -s"},
        {{"-y", "-i", "/s.avi", "-r", "0", "/o.mp4"}, "invalid value for -r"},
        {{"-y", "-i", "/s.avi", "-ac", "0", "/o.mp4"}, "invalid value for -ac"},
        {{"-y", "-i", "/s.avi", "-vol", "-5", "/o.mp4"}, "invalid value for -vol"},
        {{"-y", "-i", "/s.avi", "-ss", "1:2", "/o.mp4"}, "invalid value for -ss"},
        {{"-y", "-i", "/s.avi", "-f", "mp4;x", "/o.mp4"}, "invalid value for -f"},
        {{"-y", "-i", "/s.avi", "-vcodec", "h264", "/o.mp4"}, "unsupported video codec"},
        {{"-y", "-i", "/s.avi", "-acodec", "vorbis", "/o.mp4"}, "unsupported audio codec"},
        // A trimmed row with end = start, or end before start.
        {{"-y", "-i", "/s.avi", "-ss", "00:00:10", "-t", "0", "/o.mp4"}, "more than 0 seconds"},
        {{"-y", "-i", "/s.avi", "-t", "-30", "/o.mp4"}, "more than 0 seconds"},
        {{"-y", "-i", "/s.avi", "-t", "00:00:00", "/o.mp4"}, "more than 0 seconds"},
        {{"-y", "/o.mp4"}, "no source file"},
        {{"-y", "-i", "/s.avi"}, "no output file"},
        {{"-y", "-i", "/s.avi", "/o.mp4", "/p.mp4"}, "unexpected argument \"/p.mp4\""},
    };
    for (const Case& c : cases) {
        TKodraParse parsed = ParseKodraArgs(c.args);
        EXPECT_FALSE(parsed.ok) << c.cause;
        EXPECT_NE(parsed.error.find(c.cause), std::string::npos) << parsed.error;
    }
}

TEST(KodraCommandLine, OptionValuesAreTakenAsTheyStand) {
    // A source whose name starts with "-" is the value of -i, not an option.
    TKodraParse parsed = ParseKodraArgs({"-i", "-vn", "-acodec", "aac", "/o/-y.m4a"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.job.source, "-vn");
    EXPECT_FALSE(parsed.job.noVideo);
    EXPECT_FALSE(parsed.job.overwrite);
    EXPECT_EQ(parsed.job.output, "/o/-y.m4a");
}

TEST(KodraCommandLine, TimeTexts) {
    struct Case {
        const char* text;
        bool ok;
        int64_t ms;
    };
    const Case cases[] = {
        {"00:00:00", true, 0},
        {"00:01:00", true, 60000},
        {"01:02:03", true, 3723000},
        {"123:00:00", true, 442800000},
        {"00:00:05.25", true, 5250},
        {"90", true, 90000},
        {"1.5", true, 1500},
        {"", false, 0},
        {"1:2", false, 0},
        {"00:00:00:00", false, 0},
        {"aa:bb:cc", false, 0},
        {"00:00:", false, 0},
        {"-5", false, 0},
        {"1e3", false, 0},
        {" 5", false, 0},
        {"00:-1:00", false, 0},
    };
    for (const Case& c : cases) {
        int64_t ms = -1;
        EXPECT_EQ(ParseTimeText(c.text, ms), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(ms, c.ms) << c.text;
        }
    }
    EXPECT_EQ(MillisecondsText(0), "0");
    EXPECT_EQ(MillisecondsText(60000), "60");
    EXPECT_EQ(MillisecondsText(5250), "5.25");
    EXPECT_EQ(MillisecondsText(1005), "1.005");
}

TEST(KodraProgressReader, BlocksCutAnywhereGiveTheLastWholeBlock) {
    const std::string block1 =
        "frame=25\nfps=0.00\nstream_0_0_q=2.0\nbitrate=N/A\ntotal_size=48\n"
        "out_time_us=1000000\nprogress=continue\n";
    const std::string block2 =
        "frame=60\nstream_0_0_q=3.5\ntotal_size=N/A\nout_time_us=2400000\nprogress=end\n";
    // Every cut point, including inside "key=value".
    for (size_t cut = 0; cut <= block1.size() + block2.size(); ++cut) {
        std::string all = block1 + block2;
        TProgressReader reader;
        reader.Feed(std::string_view(all).substr(0, cut));
        if (cut < block1.size()) {
            EXPECT_FALSE(reader.Seen()) << cut;
        }
        reader.Feed(std::string_view(all).substr(cut));
        ASSERT_TRUE(reader.Seen());
        const TProgressSnapshot& s = reader.Latest();
        EXPECT_EQ(s.frame, 60);
        EXPECT_EQ(s.qTenths, 35);
        EXPECT_EQ(s.totalBytes, 48) << "N/A keeps the last known size";
        EXPECT_EQ(s.outTimeUs, 2400000);
        EXPECT_TRUE(s.end);
    }
}

TEST(KodraProgressReader, HalfBlocksAndOverlongLinesChangeNothing) {
    TProgressReader reader;
    reader.Feed("frame=5\nout_time_us=-9\nprogress=continue\n");
    EXPECT_EQ(reader.Latest().outTimeUs, 0) << "a time before the first packet counts as 0";
    reader.Feed("frame=7\nout_time_us=300000\n");
    EXPECT_EQ(reader.Latest().frame, 5) << "an unfinished block is not shown";
    reader.Feed(std::string(10000, 'x') + "=1\nprogress=continue\n");
    EXPECT_EQ(reader.Latest().frame, 7);
    EXPECT_EQ(reader.Latest().outTimeUs, 300000);
    EXPECT_TRUE(reader.Latest().EncodedSomething());
}

// The program reads the time as the fifth "=" piece (video) or the third
// (sound), up to its first ".".
std::string TimeAsTheProgramReadsIt(const std::string& line, bool video) {
    std::vector<std::string> pieces;
    size_t at = 0;
    while (true) {
        size_t eq = line.find('=', at);
        pieces.push_back(line.substr(at, eq - at));
        if (eq == std::string::npos) break;
        at = eq + 1;
    }
    size_t index = video ? 4 : 2;
    if (pieces.size() <= index) return "<missing>";
    return pieces[index].substr(0, pieces[index].find('.'));
}

TEST(KodraProgressLine, ShapesAndTheTimeTheProgramReads) {
    struct Case {
        TProgressSnapshot s;
        bool video;
        const char* line;
        const char* seconds;
    };
    const Case cases[] = {
        {{123, 20, 1234 * 1024, 45600000, false},
         true,
         "frame=  123 q=2.0 size=    1234kB time=45.60 bitrate= 221.7kbits/s\r",
         "45"},
        {{123, 20, 1234 * 1024, 45600000, false},
         false,
         "size=    1234kB time=45.60 bitrate= 221.7kbits/s\r",
         "45"},
        // Nothing timed yet: no division by zero, no "nan".
        {{0, 0, 0, 0, false},
         true,
         "frame=    0 q=0.0 size=       0kB time=0.00 bitrate=   0.0kbits/s\r",
         "0"},
        // Wider numbers push the columns instead of being cut.
        {{1234567, -10, 123456789LL * 1024, 36000999999LL, true},
         true,
         "frame=1234567 q=-1.0 size=123456789kB time=36000.99 bitrate=28092.5kbits/s\r",
         "36000"},
        {{0, 0, 5000, 7050000, false},
         false,
         "size=       5kB time=7.05 bitrate=   5.7kbits/s\r",
         "7"},
    };
    for (const Case& c : cases) {
        std::string line = FormatProgressLine(c.s, c.video);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(TimeAsTheProgramReadsIt(line, c.video), c.seconds) << line;
    }
}

}  // namespace
