// The "kelvo" launcher run as a separate process with a scratch home: the folder it prepares, the
// shipped files it copies or updates, the learner's files it leaves alone, and where it starts
// the program. A stand-in program records the folder it was started in.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/temp_dir.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr const char* OldText = "CQ CQ DE OLD\r\n";
constexpr const char* NewText = "CQ CQ DE NEW\r\n";
constexpr const char* EditedText = "my own practice line\r\n";
constexpr const char* HelpText = "<html>help</html>\r\n";

struct Outcome {
    int status = -1;
    std::string err;
    std::string startedIn;  // the stand-in program's current folder; empty when it did not run
};

// A scratch home, a folder of shipped files and the stand-in program.
class Launcher {
public:
    Launcher() {
        fs::create_directories(Home());
        fs::create_directories(Shipped());
        WriteBytes(Program(), "#!/bin/sh\npwd -P > \"$KELVO_TEST_RECORD\"\n");
        fs::permissions(Program(), fs::perms::owner_all);
        WriteBytes(Shipped() / "help.htm", HelpText);
    }

    fs::path Home() const { return dir_.path() / "home"; }
    fs::path Shipped() const { return dir_.path() / "shipped"; }
    fs::path Program() const { return dir_.path() / "program"; }
    fs::path Work() const { return Home() / ".local/share/kelvo"; }

    // Starts the launcher with only the variables it is meant to see, plus `extra`.
    Outcome Start(const std::vector<std::string>& extra = {}) const {
        const fs::path record = dir_.path() / "started-in", err = dir_.path() / "stderr";
        fs::remove(record);
        std::vector<std::string> env{"HOME=" + Home().string(), "PATH=/usr/bin:/bin",
                                     "KELVO_DATA_DIR=" + Shipped().string(),
                                     "KELVO_PROGRAM=" + Program().string(),
                                     "KELVO_TEST_RECORD=" + record.string()};
        env.insert(env.end(), extra.begin(), extra.end());
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (!std::freopen(err.c_str(), "w", stderr)) ::_exit(127);
            char* argv[] = {const_cast<char*>(KELVO_LAUNCHER), nullptr};
            ::execve(argv[0], argv, envp.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        Outcome r;
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = ReadBytes(err);
        r.startedIn = ReadBytes(record);
        if (!r.startedIn.empty() && r.startedIn.back() == '\n') r.startedIn.pop_back();
        return r;
    }

    void StartOk() const {
        const Outcome r = Start();
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(r.startedIn, fs::canonical(Work()).string());
    }

private:
    TempDir dir_;
};

// What the learner's folder holds of one shipped file after a start, from what an earlier start
// copied, what the learner did since and what is shipped now.
struct UpdateCase {
    const char* name;
    bool earlierStart;                   // an earlier start copied OldText and recorded it
    std::optional<std::string> before;   // the learner's P0 now; nothing: no such file
    std::string shippedNow;
    std::string expected;
};

void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }

class LauncherUpdate : public testing::TestWithParam<UpdateCase> {};

TEST_P(LauncherUpdate, KeepsOrReplacesTheLearnersCopy) {
    const UpdateCase& c = GetParam();
    Launcher l;
    if (c.earlierStart) {
        WriteBytes(l.Shipped() / "P0", OldText);
        l.StartOk();
    }
    fs::create_directories(l.Work());
    if (c.before)
        WriteBytes(l.Work() / "P0", *c.before);
    else
        fs::remove(l.Work() / "P0");
    WriteBytes(l.Shipped() / "P0", c.shippedNow);

    l.StartOk();
    EXPECT_EQ(ReadBytes(l.Work() / "P0"), c.expected);
    EXPECT_EQ(ReadBytes(l.Work() / "help.htm"), HelpText);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LauncherUpdate,
    testing::Values(
        UpdateCase{"MissingIsCopied", false, std::nullopt, NewText, NewText},
        UpdateCase{"DeletedIsCopiedAgain", true, std::nullopt, NewText, NewText},
        UpdateCase{"UntouchedCopyIsUpdated", true, OldText, NewText, NewText},
        UpdateCase{"UntouchedCopyOfTheSameVersionStays", true, OldText, OldText, OldText},
        UpdateCase{"EditedCopyIsKept", true, EditedText, NewText, EditedText},
        UpdateCase{"EmptiedCopyIsKept", true, "", NewText, ""},
        UpdateCase{"FileFromBeforeAnyRecordIsKept", false, OldText, NewText, OldText},
        UpdateCase{"FileFromBeforeAnyRecordEqualToTheShippedOneStays", false, NewText, NewText, NewText}),
    [](const testing::TestParamInfo<UpdateCase>& info) { return std::string(info.param.name); });

// Several releases in a row: a copy the learner has brought up to date by hand counts as
// untouched again, an edit stops all updates of that file, and the learner's own files and
// the other shipped files are never in the way.
TEST(Launcher, FollowsReleasesUntilTheLearnerEditsAFile) {
    Launcher l;
    WriteBytes(l.Shipped() / "P0", OldText);
    WriteBytes(l.Shipped() / "P1", OldText);
    l.StartOk();
    WriteBytes(l.Work() / "Notepad.txt", "notes\r\n");
    WriteBytes(l.Work() / "Kelvoinit.txt", "1\r\n5\r\n14\r\n800\r\n1\r\n");

    WriteBytes(l.Shipped() / "P0", NewText);
    WriteBytes(l.Shipped() / "P1", NewText);
    l.StartOk();
    EXPECT_EQ(ReadBytes(l.Work() / "P0"), NewText);
    EXPECT_EQ(ReadBytes(l.Work() / "P1"), NewText);

    WriteBytes(l.Work() / "P1", EditedText);
    const std::string newest = "CQ CQ DE NEWEST\r\n";
    WriteBytes(l.Shipped() / "P0", newest);
    WriteBytes(l.Shipped() / "P1", newest);
    l.StartOk();
    EXPECT_EQ(ReadBytes(l.Work() / "P0"), newest);
    EXPECT_EQ(ReadBytes(l.Work() / "P1"), EditedText);

    // Put back as it was copied, the file follows the releases again.
    WriteBytes(l.Work() / "P1", NewText);
    l.StartOk();
    EXPECT_EQ(ReadBytes(l.Work() / "P1"), newest);

    EXPECT_EQ(ReadBytes(l.Work() / "Notepad.txt"), "notes\r\n");
    EXPECT_EQ(ReadBytes(l.Work() / "Kelvoinit.txt"), "1\r\n5\r\n14\r\n800\r\n1\r\n");
}

// The program opens "P0" as "p0" when only that exists: the learner's "p0" is their P0, and a
// shipped copy beside it would hide it.
TEST(Launcher, AFileInOtherLetterCaseIsTheLearners) {
    Launcher l;
    WriteBytes(l.Shipped() / "P0", NewText);
    fs::create_directories(l.Work());
    WriteBytes(l.Work() / "p0", EditedText);
    l.StartOk();
    EXPECT_FALSE(fs::exists(l.Work() / "P0"));
    EXPECT_EQ(ReadBytes(l.Work() / "p0"), EditedText);
    EXPECT_EQ(ReadBytes(l.Work() / "help.htm"), HelpText);
}

// Where the learner's folder is, by the base directory rules; a relative XDG_DATA_HOME is ignored.
TEST(Launcher, StartsTheProgramInTheLearnersFolder) {
    struct Case {
        const char* name;
        std::vector<std::string> env;
        std::string folder;  // below the scratch home
    };
    const std::vector<Case> cases{
        {"default", {}, ".local/share/kelvo"},
        {"XDG_DATA_HOME", {"XDG_DATA_HOME=@/data"}, "data/kelvo"},
        {"relative XDG_DATA_HOME", {"XDG_DATA_HOME=data"}, ".local/share/kelvo"},
        {"empty XDG_DATA_HOME", {"XDG_DATA_HOME="}, ".local/share/kelvo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Launcher l;
        WriteBytes(l.Shipped() / "P0", NewText);
        std::vector<std::string> env;
        for (std::string e : c.env) {
            if (const auto at = e.find('@'); at != std::string::npos) e.replace(at, 1, l.Home().string());
            env.push_back(e);
        }
        const Outcome r = l.Start(env);
        ASSERT_EQ(r.status, 0) << r.err;
        const fs::path folder = l.Home() / c.folder;
        EXPECT_EQ(r.startedIn, fs::canonical(folder).string());
        EXPECT_EQ(ReadBytes(folder / "P0"), NewText);
        EXPECT_EQ(ReadBytes(folder / "help.htm"), HelpText);
    }
}

// When the folder cannot be made or the shipped files are not there, the launcher says so and
// does not start the program in some other folder.
TEST(Launcher, ReportsWhatIsMissingAndStartsNothing) {
    {
        Launcher l;
        WriteBytes(l.Home() / "blocked", "a file where a folder should be");
        const Outcome r = l.Start({"XDG_DATA_HOME=" + (l.Home() / "blocked").string()});
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find("kelvo: cannot create the folder " + (l.Home() / "blocked/kelvo").string()),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.startedIn, "");
    }
    {
        Launcher l;
        fs::remove_all(l.Shipped());
        const Outcome r = l.Start();
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find("kelvo: the practice texts and help page are missing: no folder " + l.Shipped().string()),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.startedIn, "");
        EXPECT_FALSE(fs::exists(l.Work()));
    }
}

}  // namespace
}  // namespace kelvo
