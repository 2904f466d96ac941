// The real program: `qvaddin lsp` started as an editor starts it, spoken to
// through a pipe.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "host_files/temp_folder.h"
#include "lsp/json_rpc.h"
#include "lsp_client.h"
#include "support/vb_fixture.h"

namespace qv::test {
namespace {

std::string Message(const Json& message) { return lsp::Framed(message); }

struct ServerRun {
    int code = -1;  // -1: not ended normally
    std::string out;
};

// `qvaddin lsp` with the input written into its standard input, a pipe,
// which is then closed.
ServerRun ServeThroughAPipe(const std::string& input) {
    TempFolder capture;
    const std::string program = QV_CLI_PROGRAM;
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("lsp"), nullptr};
    int in[2] = {-1, -1};
    EXPECT_EQ(::pipe(in), 0);
    const int out = ::open(capture.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::close(in[1]);
        ::execv(argv[0], argv);
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out);
    // Should the server end before it has read everything, the rest is lost,
    // not the test.
    ::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        for (size_t at = 0; at < input.size();) {
            const ssize_t n = ::write(in[1], input.data() + at, input.size() - at);
            if (n <= 0) break;
            at += static_cast<size_t>(n);
        }
        ::close(in[1]);
    });
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    writer.join();
    ServerRun run;
    if (WIFEXITED(status)) run.code = WEXITSTATUS(status);
    run.out = capture.Read("out");
    return run;
}

Json Request(int id, const std::string& method, const Json& params) {
    return Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}};
}

TEST(StdioTest, TheProgramServesAnEditorOverItsStandardStreams) {
    TempFolder folder;
    const std::string module = Vb({"Attribute VB_Name = \"modA\"", "Sub A()", "End Sub"});
    folder.Write("modA.bas", module);
    const std::string uri = UriOf(folder.File("modA.bas"));

    std::string input;
    input += Message(Request(1, "initialize", Json{{"capabilities", Json::object()}}));
    input += Message(lsp::NotificationMessage("initialized", Json::object()));
    input += "Content-Length: 5\r\n\r\n{bad}";
    input += Message(lsp::NotificationMessage(
        "textDocument/didOpen",
        Json{{"textDocument", Json{{"uri", uri},
                                                 {"languageId", "vb"},
                                                 {"version", 1},
                                                 {"text", std::string(module)}}}}));
    input += "\x1b";  // a stray byte: answered, and the stream stays in step
    input += Message(Request(2, "shutdown", Json()));
    input += Message(lsp::NotificationMessage("exit", Json()));
    const ServerRun run = ServeThroughAPipe(input);
    EXPECT_EQ(run.code, 0);
    const std::vector<Json> messages = Messages(run.out);
    // initialize, the parse error, the diagnostics, the stray byte's error,
    // shutdown; nothing else on standard output.
    ASSERT_EQ(messages.size(), 5u) << run.out;
    EXPECT_TRUE(messages[0]["result"]["capabilities"].contains(
        "codeActionProvider"));
    EXPECT_EQ(messages[1]["error"]["code"].get<int>(), lsp::kParseError);
    EXPECT_EQ(messages[2]["method"].get<std::string>(), "textDocument/publishDiagnostics");
    EXPECT_EQ(messages[2]["params"]["diagnostics"].size(), 1);
    EXPECT_EQ(messages[3]["error"]["code"].get<int>(), lsp::kParseError);
    EXPECT_EQ(messages[4]["id"].get<int>(), 2);
}

TEST(StdioTest, TheEndOfInputEndsTheServer) {
    // A message cut short, then the editor goes away.
    EXPECT_EQ(ServeThroughAPipe("Content-Length: 3\r\n\r\n{}").code, 1);
}

}  // namespace
}  // namespace qv::test
