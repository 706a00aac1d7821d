// The kelvo-render program run as a separate process: what it writes, what it says and how it
// exits, compared with the Qt-free render core it is built on.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <utility>
#include <unistd.h>
#include <vector>

#include "platform/text_file.h"
#include "render/render.h"
#include "render/render_options.h"
#include "render/sound_file.h"
#include "tests/render/sound_check.h"
#include "tests/support/temp_dir.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

using test::TempDir;
using test::ReadBytes;
using test::WriteBytes;

struct Result {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    int signal = 0;   // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// Starts the program in `dir` with `input` on standard input; standard output and error go to
// files. `inChild` runs in the child just before the program starts (limits, other outputs).
pid_t StartProgram(const fs::path& dir, const std::vector<std::string>& args, const std::string& input = "",
                   const std::function<void()>& inChild = {}) {
    const fs::path in = dir / ".stdin", out = dir / ".stdout", err = dir / ".stderr";
    WriteBytes(in, input);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        const int i = ::open(in.c_str(), O_RDONLY);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (i < 0 || o < 0 || e < 0) ::_exit(127);
        ::dup2(i, 0);
        ::dup2(o, 1);
        ::dup2(e, 2);
        if (inChild) inChild();
        std::vector<char*> argv{const_cast<char*>(KELVO_RENDER_PROGRAM)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// Waits for the program and collects what it wrote to standard output and error.
Result FinishProgram(pid_t pid, const fs::path& dir) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    Result r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    for (const auto& [name, text] : {std::pair{".stdout", &r.out}, std::pair{".stderr", &r.err}}) {
        *text = ReadBytes(dir / name);
        fs::remove(dir / name);
    }
    fs::remove(dir / ".stdin");
    return r;
}

Result RunProgram(const fs::path& dir, const std::vector<std::string>& args, const std::string& input = "",
                  const std::function<void()>& inChild = {}) {
    return FinishProgram(StartProgram(dir, args, input, inChild), dir);
}

// The WAV file the core makes of `utf8` with `settings`.
std::string ExpectedWav(const std::string& utf8, const RenderSettings& settings) {
    const TextRenderer renderer(settings);
    std::vector<std::int16_t> samples;
    renderer.Render(KeyedText(utf8), [&](std::int16_t s) { samples.push_back(s); });
    return test::WavFileBytes(settings.SampRate, samples);
}

std::string UsageMessage(const std::string& message) {
    return "kelvo-render: " + message + "\nTry 'kelvo-render --help' for more information.\n";
}

TEST(RenderProgram, PracticeTextFromTheCurrentFolderOrTheDataFolder) {
    TempDir dir;
    fs::copy_file(fs::path(KELVO_DATA_DIR) / "P0", dir.path() / "P0");
    fs::copy_file(fs::path(KELVO_DATA_DIR) / "P2", dir.path() / "p2");  // any letter case, as in the window
    const std::string text1 = SplitLines(ReadBytes(dir.path() / "P0")).at(0);
    const std::string text250 = SplitLines(ReadBytes(dir.path() / "p2")).at(49);

    const Result r = RunProgram(dir.path(), {"--practice", "1", "-o", "p1.wav"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadBytes(dir.path() / "p1.wav"), ExpectedWav(text1, RenderSettings{}));

    TempDir elsewhere;
    const Result r2 = RunProgram(elsewhere.path(), {"--practice=250", "--data", dir.path().string(), "--wpm=12", "-o", "x.wav"});
    EXPECT_EQ(r2.status, 0) << r2.err;
    RenderSettings at12;
    at12.CodeSpeed = 12;
    EXPECT_EQ(ReadBytes(elsewhere.path() / "x.wav"), ExpectedWav(text250, at12));
}

TEST(RenderProgram, FileStandardInputAndStandardOutputGiveTheSameSound) {
    TempDir dir;
    // Latin-1 bytes, LF and CR line ends, a character beyond 16 bits, the dit stream.
    const std::string bytes = "CQ CQ de Q1ABC 73\nna\xEFve caf\xC3\xA9 \xF0\x9F\x98\x80\r@@ ok?";
    WriteBytes(dir.path() / "text.txt", bytes);
    const std::vector<std::string> settingArgs = {"--wpm",  "18", "--farnsworth", "25", "--freq",      "650",
                                                  "--rise", "3",  "--harmonics",  "2",  "--square", "--rate", "22050"};
    RenderSettings settings;
    settings.CodeSpeed = 18;
    settings.CharSpeed = 25;
    settings.ToneFreq = 650;
    settings.RiseMs = 3;
    settings.Harmonics = 2;
    settings.SquareWave = true;
    settings.SampRate = 22050;
    const std::string expected = ExpectedWav(DecodeUtf8OrWindows1252(bytes), settings);

    const auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = settingArgs;
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    Result r = RunProgram(dir.path(), with({"text.txt", "-o", "a.wav"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.path() / "a.wav"), expected);

    r = RunProgram(dir.path(), with({"-o", "b.wav"}), bytes);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.path() / "b.wav"), expected);

    r = RunProgram(dir.path(), with({"-", "-o", "-"}), bytes);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, expected);
}

TEST(RenderProgram, BadCommandLineExitsWithTwoAndLeavesNoFile) {
    TempDir dir;
    WriteBytes(dir.path() / "text.txt", "E");
    WriteBytes(dir.path() / "old.wav", "old contents");
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"text.txt", "-o", "new.wav", "--wpm", "0"},
         "--wpm: 0 is out of range: the code speed must be 1 to 100 words per minute"},
        {{"text.txt", "-o", "new.wav", "--rise", "x"}, "--rise: 'x' is not a valid floating point value"},
        {{"text.txt", "-o", "new.wav", "--freq", "4000"},
         "--freq: 4000 is out of range: the tone must be 20 to 3999 Hz at 8000 samples per second"},
        {{"text.txt", "-o", "new.wav", "--rate", "96000"},
         "--rate: 96000 is out of range: the sample rate must be 8000 to 48000 samples per second"},
        {{"text.txt", "-o", "new.wav", "--loud"}, "The following argument was not expected: --loud"},
        {{"text.txt", "-o", "old.wav", "--harmonics", "9"},
         "--harmonics: 9 is out of range: the number of harmonics must be 0 to 3"},
        {{"text.txt"}, "-o is required"},
        {{"text.txt", "--practice", "2", "-o", "new.wav"}, "TEXTFILE excludes --practice"},
    };
    for (const auto& c : cases) {
        const Result r = RunProgram(dir.path(), c.args);
        EXPECT_EQ(r.status, UsageExitStatus) << c.message;
        EXPECT_EQ(r.err, UsageMessage(c.message));
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"old.wav", "text.txt"})) << c.message;
        EXPECT_EQ(ReadBytes(dir.path() / "old.wav"), "old contents");
    }
}

TEST(RenderProgram, ReadOrWriteFailureExitsWithOneAndLeavesNoFile) {
    TempDir dir;
    // Two chapters at 100 words per minute: the first fits under the file size limit below, the
    // second does not.
    WriteBytes(dir.path() / "text.txt", "E\nE PARIS PARIS PARIS PARIS");
    WriteBytes(dir.path() / "old.wav", "old contents");
    const auto fileSizeLimit = [] {
        // The file grows past 10000 bytes in the middle of the sound.
        const rlimit limit{10000, 10000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const auto fullDevice = [] {
        const int full = ::open("/dev/full", O_WRONLY);
        ::dup2(full, 1);
    };
    const struct {
        std::vector<std::string> args;
        std::function<void()> inChild;
        std::string message;
    } cases[] = {
        {{"missing.txt", "-o", "new.wav"}, {}, "Cannot open file missing.txt"},
        {{"--practice", "5", "-o", "new.wav"}, {}, "Cannot open file P0"},
        {{"text.txt", "-o", "no/such/folder.wav"}, {}, "Cannot create file no/such/folder.wav: No such file or directory"},
        {{"text.txt", "-o", "new.wav"}, fileSizeLimit, "Cannot create file new.wav: File too large"},
        {{"text.txt", "-o", "old.wav"}, fileSizeLimit, "Cannot create file old.wav: File too large"},
        {{"text.txt", "-o", "new.flac"}, fileSizeLimit, "Cannot create file new.flac: File too large"},
        {{"text.txt", "-o", "c-%d.wav", "--chapter-marker=E", "--wpm=100", "--farnsworth=100"},
         fileSizeLimit,
         "Cannot create file c-2.wav: File too large"},
        {{"text.txt", "-o", "-", "--format", "flac"}, fullDevice, "Cannot write to standard output: No space left on device"},
        {{"text.txt", "-o", "-"}, fullDevice, "Cannot write to standard output: No space left on device"},
    };
    for (const auto& c : cases) {
        const Result r = RunProgram(dir.path(), c.args, "", c.inChild);
        EXPECT_EQ(r.status, FailureExitStatus) << c.message;
        EXPECT_EQ(r.err, "kelvo-render: " + c.message + "\n");
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"old.wav", "text.txt"})) << c.message;
        EXPECT_EQ(ReadBytes(dir.path() / "old.wav"), "old contents");
    }
}

TEST(RenderProgram, InterruptedWriteLeavesNoFile) {
    TempDir dir;
    std::string words;
    for (int i = 0; i < 2000; ++i) words += "PARIS ";  // over five hours of sound: seconds of work
    WriteBytes(dir.path() / "text.txt", words);
    for (const int signal : {SIGINT, SIGTERM}) {
        const pid_t pid = StartProgram(dir.path(), {"text.txt", "-o", "long.wav"});
        // Wait until the temporary file is there and growing, then interrupt.
        bool writing = false;
        for (int wait = 0; wait < 3000 && !writing; ++wait) {
            for (const auto& e : fs::directory_iterator(dir.path()))
                if (e.path().filename().string().starts_with("long.wav.") && fs::file_size(e.path()) > 0)
                    writing = true;
            if (!writing) ::usleep(10000);
        }
        ::kill(pid, signal);
        const Result r = FinishProgram(pid, dir.path());
        ASSERT_TRUE(writing) << "the program never started writing";
        EXPECT_EQ(r.signal, signal) << "status " << r.status << ": " << r.err;
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"text.txt"});
    }
}

TEST(RenderProgram, BookToMp3Chapters) {
    TempDir dir;
    WriteBytes(dir.path() / "book.txt", "Moby Dick\nCHAPTER 1\nCALL ME\nISHMAEL\nCHAPTER 2\nTHE CARPET BAG\n");
    const Result r = RunProgram(dir.path(), {"--wpm", "15", "--farnsworth", "20", "--speed-step", "5", "--chapter-marker",
                                             "CHAPTER", "--title", "Moby", "book.txt", "-o", "moby-%02d.mp3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // standard error is no terminal: no progress line
    ASSERT_EQ(dir.Names(), (std::vector<std::string>{"book.txt", "moby-01.mp3", "moby-02.mp3", "moby-03.mp3"}));
    const std::u32string chapters[] = {U"Moby Dick\r\n", U"CHAPTER 1\r\nCALL ME\r\nISHMAEL\r\n",
                                       U"CHAPTER 2\r\nTHE CARPET BAG\r\n"};
    for (int i = 0; i < 3; ++i) {
        RenderSettings settings;
        settings.CodeSpeed = 15 + 5 * i;
        settings.CharSpeed = 20 + 5 * i;
        std::vector<std::int16_t> samples;
        TextRenderer(settings).Render(chapters[i], [&](std::int16_t s) { samples.push_back(s); });
        const std::string name = "moby-0" + std::to_string(i + 1) + ".mp3";
        const test::DecodedSound d = test::DecodeSound(dir.path() / name);
        const auto expected = test::KeyingEdges(samples, 8000), decoded = test::KeyingEdges(d.Samples, 8000);
        ASSERT_EQ(decoded.size(), expected.size()) << name;
        for (std::size_t e = 0; e < expected.size(); ++e) EXPECT_NEAR(decoded[e], expected[e], 16) << name << " edge " << e;
        EXPECT_EQ(d.Title, "Moby - Chapter " + std::to_string(i + 1));
        EXPECT_EQ(d.Artist, "Kelvo");
        EXPECT_EQ(d.Comment, "Morse at " + std::to_string(settings.CodeSpeed) + " wpm, characters at " +
                                 std::to_string(settings.CharSpeed) + " wpm, 800 Hz tone, 5 ms rise");
    }
}

TEST(RenderProgram, ShowsProgressOnATerminalForLongWork) {
    TempDir dir;
    // Over an hour of sound at the start-up speeds, in fifteen chapters.
    std::string words;
    for (int i = 0; i < 450; ++i) words += (i % 30 == 0 ? "\nCHAPTER\n" : "PARIS ");
    WriteBytes(dir.path() / "book.txt", words);
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string terminal = ::ptsname(master);
    const pid_t pid = StartProgram(dir.path(), {"book.txt", "--chapter-marker", "CHAPTER", "-o", "b%d.flac"}, "", [&] {
        const int t = ::open(terminal.c_str(), O_WRONLY | O_NOCTTY);
        ::dup2(t, 2);
    });
    // Read the terminal while the program runs, so its writes never wait for room.
    std::string shown;
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    int status = 0;
    for (bool ended = false; !ended;) {
        ended = ::waitpid(pid, &status, WNOHANG) == pid;  // then one last read takes what is left
        char block[4096];
        for (ssize_t n; (n = ::read(master, block, sizeof block)) > 0;) shown.append(block, static_cast<std::size_t>(n));
        if (!ended) ::usleep(20000);
    }
    ::close(master);
    EXPECT_EQ(WEXITSTATUS(status), 0) << shown;
    EXPECT_TRUE(shown.starts_with("\r\033[Kkelvo-render: chapter 1 of 15, 0% done")) << shown;
    EXPECT_TRUE(shown.ends_with("\r\033[K")) << shown;  // the line is gone at the end
}

TEST(RenderProgram, RefusesToWriteSoundToATerminal) {
    TempDir dir;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string terminal = ::ptsname(master);
    const Result r = RunProgram(dir.path(), {"-o", "-"}, "E", [&] {
        const int t = ::open(terminal.c_str(), O_WRONLY | O_NOCTTY);
        ::dup2(t, 1);
    });
    ::close(master);
    EXPECT_EQ(r.status, UsageExitStatus);
    EXPECT_EQ(r.err, UsageMessage("will not write sound to a terminal: redirect standard output or give -o FILE"));
}

TEST(RenderProgram, HelpGoesToStandardOutput) {
    TempDir dir;
    for (const char* help : {"--help", "-h"}) {
        const Result r = RunProgram(dir.path(), {"--wpm", "0", help});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, std::string(RenderHelp()));
        EXPECT_EQ(r.err, "");
    }
}

}  // namespace
}  // namespace kelvo
