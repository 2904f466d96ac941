// The command line against what a hostile or unlucky machine gives it: files
// with access lists, extended attributes and other owners, huge module files,
// names that would steer a terminal, settings that cannot be written, a
// killed run's leftovers, and an output that closes early. Most cases run the
// real program, as a user or a CI job runs it, in a process of its own.

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "app/cli/vb_text.h"
#include "cli/cli_test_support.h"
#include "host/files/temp_files.h"
#include "shell/process_start.h"

extern char** environ;

namespace qv::test {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int code = -1;        // the exit code; -1 when a signal ended it
    int signal = 0;       // the signal that ended it
    std::string out;
    std::string err;
    long peakKb = 0;      // the most memory it held (resident, in KB)
};

struct ProgramOptions {
    std::map<std::string, std::string> env;  // variables set for it
    bool closedOutput = false;               // standard output: a pipe nobody reads
    bool asNobody = false;                   // run as nobody:nogroup (root only)
    fs::path folder = {};                    // working folder (empty: the test's)
};

constexpr uid_t kNobody = 65534;

// The real qvaddin with these arguments. Everything the child needs is made
// before the fork, which then runs only calls that are safe there.
ProgramRun RunProgram(const std::vector<std::string>& arguments, const ProgramOptions& options = {}) {
    TempFolder capture;
    std::vector<std::string> args{QV_CLI_PROGRAM};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (options.env.count(entry.substr(0, entry.find('='))) == 0) variables.push_back(entry);
    }
    for (const auto& [name, value] : options.env) variables.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);

    const int out = ::open(capture.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int err = ::open(capture.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    int closed[2] = {-1, -1};
    if (options.closedOutput) {
        EXPECT_EQ(::pipe(closed), 0);
        ::close(closed[0]);  // nobody reads: the first write fails
    }
    const std::string folder = options.folder.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
        ::dup2(options.closedOutput ? closed[1] : out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        ::sigaction(SIGPIPE, &fallback, nullptr);  // as a shell starts it
        if (options.asNobody &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(125);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out);
    ::close(err);
    if (options.closedOutput) ::close(closed[1]);
    ProgramRun run;
    int status = 0;
    struct rusage usage {};
    EXPECT_EQ(::wait4(pid, &status, 0, &usage), pid);
    if (WIFEXITED(status)) run.code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    run.peakKb = usage.ru_maxrss;
    run.out = capture.Read("out");
    run.err = capture.Read("err");
    return run;
}

// The output of a shell command ("" when it fails).
std::string Shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        if (::pclose(pipe) != 0) output.clear();
    }
    return output;
}

std::string Quoted(const std::string& path) {
    std::string quoted = "'";
    for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The in-process runs start as the program does: the first defaults stored.
class HostileInput : public ::testing::Test {
  protected:
    void SetUp() override { shell::CommandLineStart(); }
};

// A settings folder of its own for a run of the real program.
struct Settings {
    TempFolder home;
    std::map<std::string, std::string> Env() const { return {{"XDG_CONFIG_HOME", home.Path()}}; }
};

// ------------------------------------------------- what a rewritten file keeps

TEST_F(HostileInput, AnAccessListAnAttributeAndTheModeSurviveAdd) {
    TempFolder copy = CopyOfFolder(ExampleFolder());
    const std::string module = copy.File("modMain.bas");
    const std::string q = Quoted(module);
    ASSERT_EQ(::chmod(module.c_str(), 0640), 0);
    if (std::system(("setfacl -m u:4321:rw " + q + " && setfattr -n user.origin -v kept " + q)
                        .c_str()) != 0) {
        GTEST_SKIP() << "this file system keeps no access lists or user attributes";
    }
    // A folder whose default access list a new file would inherit: the one
    // beside it has no list, and must not get one.
    const std::string plain = copy.File("CAccount.cls");
    ASSERT_EQ(std::system(("setfacl -d -m u:4322:rwx " + Quoted(copy.Path().string())).c_str()), 0);
    const std::string acl = Shell("getfacl -n " + q);
    const std::string plainAcl = Shell("getfacl -n " + Quoted(plain));
    ASSERT_NE(acl.find("user:4321:rw-"), std::string::npos) << acl;
    struct stat before {};
    ASSERT_EQ(::stat(module.c_str(), &before), 0);

    const CliResult r = RunCli({"add", copy.File("Example.vbp")});
    ASSERT_EQ(r.code, 0) << r.err;
    ASSERT_NE(copy.Read("modMain.bas").find("Exit_Routine:"), std::string::npos) << "rewritten";
    ASSERT_NE(copy.Read("CAccount.cls").find("Exit_Routine:"), std::string::npos) << "rewritten";

    struct stat after {};
    ASSERT_EQ(::stat(module.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode) << "the group gains no write";
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(Shell("getfacl -n " + q), acl);
    EXPECT_EQ(Shell("getfattr --only-values -n user.origin " + q), "kept");
    EXPECT_EQ(Shell("getfacl -n " + Quoted(plain)), plainAcl) << "no list the file lacked";
}

// The usual case, where neither the file nor its folder has an access list
// or another extended attribute: the mode alone is kept, and nothing else
// appears on the new file.
TEST_F(HostileInput, AnUncommonModeWithoutAttributesSurvivesAdd) {
    TempFolder copy = CopyOfFolder(ExampleFolder());
    const std::string module = copy.File("modMain.bas");
    ASSERT_EQ(::chmod(module.c_str(), 0604), 0);
    const std::string attributes = "getfattr -d -m - " + Quoted(module) + " 2>/dev/null";
    if (!Shell(attributes).empty()) GTEST_SKIP() << "this file system gives files attributes";

    const CliResult r = RunCli({"add", copy.File("Example.vbp")});
    ASSERT_EQ(r.code, 0) << r.err;
    ASSERT_NE(copy.Read("modMain.bas").find("Exit_Routine:"), std::string::npos) << "rewritten";
    struct stat after {};
    ASSERT_EQ(::stat(module.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0604u);
    EXPECT_EQ(Shell(attributes), "");
}

TEST_F(HostileInput, ARewriteThatWouldChangeTheOwnerIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs the superuser to make a file of another user";
    TempFolder copy = CopyOfFolder(ExampleFolder());
    Settings settings;
    // Another user's module, writable by the group nobody's run is in, in a
    // folder anybody may write.
    for (const fs::path& path : {copy.Path(), settings.home.Path()}) {
        ASSERT_EQ(::chmod(path.c_str(), 0777), 0);
    }
    const std::string module = copy.File("modMain.bas");
    ASSERT_EQ(::chown(module.c_str(), 4321, kNobody), 0);
    ASSERT_EQ(::chmod(module.c_str(), 0664), 0);
    const std::string bytes = copy.Read("modMain.bas");

    const ProgramRun run = RunProgram({"add", module},
                                      {.env = settings.Env(), .asNobody = true});
    if (run.code == 125) GTEST_SKIP() << "cannot run as nobody here";
    EXPECT_EQ(run.code, 3) << run.err;
    EXPECT_NE(run.err.find("belongs to uid 4321"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("nothing was written"), std::string::npos) << run.err;
    struct stat after {};
    ASSERT_EQ(::stat(module.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 4321u);
    EXPECT_EQ(copy.Read("modMain.bas"), bytes);
    for (const auto& entry : fs::directory_iterator(copy.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".qvaddin-"), std::string::npos);
    }
}

// ----------------------------------------------------------- bounded reads

TEST_F(HostileInput, AModuleOverTheLimitIsRefusedBeforeItIsRead) {
    TempFolder copy = CopyOfFolder(ExampleFolder());
    Settings settings;
    // 1.5 GB of a module that takes no room on disk.
    {
        std::ofstream big(copy.File("modMain.bas"), std::ios::binary | std::ios::trunc);
        big << "Attribute VB_Name = \"modMain\"\r\n";
    }
    ASSERT_EQ(::truncate(copy.File("modMain.bas").c_str(), 1536L << 20), 0);

    const ProgramRun run = RunProgram({"check", copy.File("Example.vbp")}, {.env = settings.Env()});
    EXPECT_EQ(run.code, 3) << run.err;
    EXPECT_NE(run.err.find("the file is 1536 MB, larger than the largest module file that is "
                           "read (64 MB, the setting modulemb)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("CAccount"), std::string::npos) << "the other modules are judged";
    EXPECT_LT(run.peakKb, 200 * 1024) << "it was never read";
    EXPECT_EQ(run.err.find("CLIPBOARD"), std::string::npos);

    // The limit is a setting: lowered, a module of 2 MB is refused as well.
    {
        std::ofstream two(copy.File("modMain.bas"), std::ios::binary | std::ios::trunc);
        two << "Attribute VB_Name = \"modMain\"\r\n";
        for (int i = 0; i < 32 * 1024; ++i) two << "' " << std::string(60, '-') << "\r\n";
    }
    EXPECT_EQ(RunProgram({"check", copy.File("Example.vbp")}, {.env = settings.Env()}).code, 1);
    ASSERT_EQ(RunProgram({"settings", "set", "modulemb", "1"}, {.env = settings.Env()}).code, 0);
    const ProgramRun lowered =
        RunProgram({"check", copy.File("modMain.bas")}, {.env = settings.Env()});
    EXPECT_EQ(lowered.code, 3);
    EXPECT_NE(lowered.err.find("the file is 2 MB, larger than"), std::string::npos) << lowered.err;
}

// ------------------------------------------------------------ names shown

// A routine or module name as a report shows it: printable ASCII and tabs as
// they are, every control character escaped, other bytes read in the
// module's code page.
TEST(DisplayText, PrintableAsciiAsItIsControlsEscapedOtherBytesConverted) {
    const text::CodePage ansi = text::CodePage::Windows1252();
    EXPECT_EQ(cli::DisplayText("Save_Click (Let)\t~", ansi), "Save_Click (Let)\t~");
    EXPECT_EQ(cli::DisplayText("", ansi), "");
    EXPECT_EQ(cli::DisplayText("a\x1b[31mb\x7f", ansi), "a\\x1b[31mb\\x7f");
    EXPECT_EQ(cli::DisplayText("line\nbreak\r", ansi), "line\\x0abreak\\x0d");
    EXPECT_EQ(cli::DisplayText("caf\xe9", ansi), "caf\xc3\xa9");
    // A C1 control, once the name is UTF-8, is escaped too.
    EXPECT_EQ(cli::DisplayText("x\xc2\x9by", text::CodePage::Utf8()), "x\\u009by");
}

// ------------------------------------------------------------ diff headers

TEST_F(HostileInput, ADiffOfNamesWithEscapesAndLineBreaksIsOnePatchAccepts) {
    TempFolder folder;
    const std::vector<std::string> names = {"mod\x1b[31mred\nx.bas", "with space.bas",
                                            "caf\xc3\xa9 \"q\".bas"};
    const auto module = [](size_t i) {
        // CR LF as the IDE writes, or line feeds as a git checkout may have
        // them: the diff keeps each file's own breaks, or patch finds no line.
        const std::string nl = i % 2 == 0 ? "\r\n" : "\n";
        return "Attribute VB_Name = \"modOdd" + std::to_string(i) + "\"" + nl + "Sub Work()" + nl +
               "    Beep" + nl + "End Sub" + nl;
    };
    for (size_t i = 0; i < names.size(); ++i) folder.Write(names[i], module(i));
    std::vector<std::string> args = {"--dry-run", "add"};
    args.insert(args.end(), names.begin(), names.end());
    const CliResult dry = RunCliIn(folder.Path(), args);
    ASSERT_EQ(dry.code, 0) << dry.err;
    EXPECT_EQ(dry.out.find('\x1b'), std::string::npos) << "nothing steers the terminal";
    EXPECT_NE(dry.out.find("--- \"a/mod\\033[31mred\\nx.bas\"\n"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("+++ b/with space.bas\t\n"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("--- \"a/caf\\303\\251 \\\"q\\\".bas\"\t\n"), std::string::npos)
        << dry.out;

    // patch applies it; the files then read as add writes them.
    TempFolder patched = CopyOfFolder(folder.Path());
    patched.Write("changes.diff", dry.out);
    ASSERT_EQ(std::system(("cd " + Quoted(patched.Path().string()) +
                           " && patch -p1 --batch --quiet < changes.diff")
                              .c_str()),
              0);
    ASSERT_EQ(RunCliIn(folder.Path(), std::vector<std::string>(args.begin() + 1, args.end())).code,
              0);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_NE(folder.Read(names[i]), module(i)) << "add changed it";
        EXPECT_EQ(patched.Read(names[i]), folder.Read(names[i])) << names[i];
    }
}

// ----------------------------------------------- settings and the user's folders

TEST_F(HostileInput, ReadOnlyWorkGoesOnWhereTheSettingsCannotBeWritten) {
    TempFolder places;
    places.Write("a-file", "");
    std::vector<std::string> homes = {places.File("a-file/config")};  // no folder can be made
    if (::geteuid() != 0) {
        ASSERT_EQ(::mkdir(places.File("read-only").c_str(), 0555), 0);
        homes.push_back(places.File("read-only"));
    }
    for (const std::string& home : homes) {
        SCOPED_TRACE(home);
        const std::map<std::string, std::string> env{{"XDG_CONFIG_HOME", home}};
        const std::string project = (ExampleFolder() / "Example.vbp").string();
        const ProgramRun check = RunProgram({"check", project}, {.env = env});
        EXPECT_EQ(check.code, 1) << check.err;
        EXPECT_NE(check.out.find("16 routines judged"), std::string::npos) << check.out;
        EXPECT_EQ(Count(check.err, "warning:"), 1u) << "said once: " << check.err;
        EXPECT_NE(check.err.find("cannot be"), std::string::npos) << check.err;
        // The built-in templates, as a first start would have stored them.
        const ProgramRun dry = RunProgram({"--dry-run", "add", project}, {.env = env});
        EXPECT_EQ(dry.code, 0) << dry.err;
        EXPECT_NE(dry.out.find("+Exit_Routine:"), std::string::npos) << dry.err;
        const ProgramRun sarif = RunProgram({"--format", "sarif", "check", project}, {.env = env});
        EXPECT_EQ(sarif.code, 1) << sarif.err;
        EXPECT_NE(sarif.out.find("\"fixes\""), std::string::npos) << sarif.err;
    }
}

// A temporary file of a writer that was killed: our form, this machine, a
// writer that no longer runs.
std::string LeftoverBeside(const TempFolder& folder, const std::string& file) {
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    std::string name =
        fs::path(host::files::TempFileTemplate(folder.File(file))).filename().string();
    const std::string mark = ".qvaddin-";
    const size_t pid = name.find(mark) + mark.size();
    name.replace(pid, name.find('.', pid) - pid, std::to_string(gone));
    name.replace(name.size() - 6, 6, "AbC123");
    folder.Write(name, "the text a killed run was writing");
    return name;
}

TEST_F(HostileInput, OnlyCommandsThatWriteRemoveAKilledRunsLeftovers) {
    TempFolder copy = CopyOfFolder(ExampleFolder());
    const std::string leftover = LeftoverBeside(copy, "modMain.bas");
    const std::string project = copy.File("Example.vbp");
    for (const auto& args :
         {std::vector<std::string>{"check", project}, {"list", project}, {"stats", project},
          {"find", project, "Balance"}, {"--dry-run", "add", project}}) {
        const CliResult r = RunCli(args);
        EXPECT_LE(r.code, 1) << args.front() << ": " << r.err;
        EXPECT_TRUE(fs::exists(copy.Path() / leftover)) << args.front() << " left it alone";
    }
    const CliResult add = RunCli({"add", project});
    EXPECT_EQ(add.code, 0) << add.err;
    EXPECT_NE(add.err.find("note: removed"), std::string::npos) << add.err;
    EXPECT_FALSE(fs::exists(copy.Path() / leftover));
}

// ------------------------------------------------------------ closed output

TEST_F(HostileInput, AClosedOutputKeepsTheExitCodeOfTheWork) {
    TempFolder copy = CopyOfFolder(ExampleFolder());
    Settings settings;
    const ProgramRun run = RunProgram({"add", copy.File("Example.vbp")},
                                      {.env = settings.Env(), .closedOutput = true});
    EXPECT_EQ(run.signal, 0) << "not ended by SIGPIPE";
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(copy.Read("modMain.bas").find("Exit_Routine:"), std::string::npos);
}

}  // namespace
}  // namespace qv::test
