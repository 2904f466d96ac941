// What the server does with input an editor should not send, or sends at
// the wrong time: it answers with the protocol's error, or nothing, and
// goes on serving.

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <thread>

#include "host/files/temp_files.h"
#include "host_files/temp_folder.h"
#include "lsp/json_rpc.h"
#include "lsp_client.h"
#include "support/vb_fixture.h"

namespace qv::test {
namespace {

std::string Framed(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

int ErrorCode(const Json& message) {
    return lsp::IntOf(lsp::Member(lsp::ObjectAt(message, "error"), "code"));
}

TEST(ProtocolTest, RequestsBeforeInitializeAreRefusedAndNotificationsDropped) {
    LspClient client;
    EXPECT_EQ(ErrorCode(client.Request("textDocument/hover")), lsp::kServerNotInitialized);
    client.Open("file:///nowhere/a.bas", "Attribute VB_Name = \"a\"\r\n");
    EXPECT_TRUE(client.Diagnostics("file:///nowhere/a.bas").empty());
    EXPECT_TRUE(client.Initialize().contains("result"));
    // A second initialize is an error, the first one stands.
    EXPECT_TRUE(client.Initialize().contains("error"));
}

TEST(ProtocolTest, BadMessagesGetErrorsAndTheServerKeepsServing) {
    LspClient client;
    client.Initialize();
    std::vector<Json> replies = client.SendBytes(Framed("{\"jsonrpc\": \"2.0\", \"id\": 4,"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(ErrorCode(replies[0]), lsp::kParseError);
    EXPECT_TRUE(replies[0].at("id").is_null());

    replies = client.SendBytes(Framed("[1, 2]"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(ErrorCode(replies[0]), lsp::kInvalidRequest);

    // A header block that names no length is dropped; the next message is read.
    replies = client.SendBytes("Content-Type: x\r\n\r\n" +
                               Framed("{\"jsonrpc\":\"2.0\",\"id\":9,\"method\":\"shutdown\"}"));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(ErrorCode(replies[0]), lsp::kParseError);
    EXPECT_EQ(replies[1].at("id").get<int>(), 9);
    EXPECT_TRUE(replies[1].contains("result"));
    // After shutdown every request is refused; exit then ends with 0.
    EXPECT_EQ(ErrorCode(client.Request("textDocument/hover")), lsp::kInvalidRequest);
    client.Notify("exit");
    EXPECT_EQ(client.ExitCode(), 0);
}

// What a pipe or a faulty client may garble. After each, the server answers
// the broken frame once and serves the well-formed request that follows,
// whether the two arrive together or one after the other.
TEST(ProtocolTest, AfterABrokenFrameTheNextRequestIsServed) {
    const std::string lost = "{\"jsonrpc\":\"2.0\",\"id\":70,\"method\":\"workspace/symbol\","
                             "\"params\":{\"query\":\"\"}}";
    const std::string size = std::to_string(lost.size());
    const std::vector<std::pair<std::string, std::string>> broken{
        {"a stray byte", "x"},
        {"stray bytes that look like a header", "Content-Lengthy: 3\r\n\r\nabc"},
        {"a Content-Length too large", "Content-Length: 900\r\n\r\n" + lost},
        {"a Content-Length too small", "Content-Length: 12\r\n\r\n" + lost},
        {"a header without Content-Length and a body",
         "Content-Type: application/vscode-jsonrpc\r\n\r\n" + lost},
        {"a header ended by LF alone", "Content-Length: " + size + "\n\n" + lost},
        {"a Content-Length that is no number", "Content-Length: 1e3\r\n\r\n" + lost},
    };
    const std::string request =
        Framed("{\"jsonrpc\":\"2.0\",\"id\":71,\"method\":\"workspace/symbol\","
               "\"params\":{\"query\":\"\"}}");
    for (const auto& [what, bytes] : broken) {
        for (const bool together : {true, false}) {
            SCOPED_TRACE(what + (together ? " (in one piece)" : " (then the request)"));
            LspClient client;
            client.Initialize();
            std::vector<Json> replies;
            if (together) {
                replies = client.SendBytes(bytes + request);
            } else {
                replies = client.SendBytes(bytes);
                for (const Json& reply : client.SendBytes(request)) replies.push_back(reply);
            }
            ASSERT_EQ(replies.size(), 2u);
            EXPECT_EQ(ErrorCode(replies[0]), lsp::kParseError);
            EXPECT_TRUE(replies[0].at("id").is_null());
            EXPECT_EQ(replies[1].at("id").get<int>(), 71);
            EXPECT_TRUE(replies[1].at("result").is_array());
            // And the stream stays in step.
            EXPECT_TRUE(client.Request("workspace/symbol", Json{{"query", ""}})
                            .at("result")
                            .is_array());
        }
    }
}

// A body that is JSON but no message, or nests without end, is answered as
// one that is no JSON; ids come back as they were sent, whole numbers whole.
TEST(ProtocolTest, BareValuesAndEndlessNestingAreParseErrorsAndIdsComeBack) {
    LspClient client;
    client.Initialize();
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    for (const std::string& body : std::vector<std::string>{"5", "\"text\"", "null", deep}) {
        const std::vector<Json> replies = client.SendBytes(Framed(body));
        ASSERT_EQ(replies.size(), 1u) << body;
        EXPECT_EQ(ErrorCode(replies[0]), lsp::kParseError) << body;
    }
    client.SendBytes(Framed(R"({"jsonrpc":"2.0","id":7.0,"method":"workspace/symbol","params":{}})"));
    EXPECT_NE(client.LastOutput().find(R"("id":7,)"), std::string::npos) << client.LastOutput();
    client.SendBytes(Framed(R"({"jsonrpc":"2.0","id":"xé","method":"workspace/symbol"})"));
    EXPECT_NE(client.LastOutput().find("\"id\":\"x\xC3\xA9\","), std::string::npos);
}

// Broken frames one after another, with no message between them, are one
// broken stretch: answered once.
TEST(ProtocolTest, BrokenStretchesAreAnsweredOnce) {
    LspClient client;
    client.Initialize();
    const std::vector<Json> replies = client.SendBytes(
        "junk\r\nContent-Length: 4\n\n{}{}Content-Type: x\r\n\r\n[1]" +
        Framed("{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"shutdown\"}"));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(ErrorCode(replies[0]), lsp::kParseError);
    EXPECT_EQ(replies[1].at("id").get<int>(), 5);
}

// A project of one module on disk and a server for it; Open() opens the
// module in the editor (which loads the project).
struct OpenedProject {
    TempFolder folder;
    LspClient client;
    std::string uri;
    OpenedProject() {
        folder.Write("Proj.vbp", "Type=Exe\r\nModule=modA; modA.bas\r\nName=\"Proj\"\r\n");
        folder.Write("modA.bas", Vb({"Attribute VB_Name = \"modA\"", "Sub A()", "End Sub"}));
        client.Initialize();
        uri = UriOf(folder.File("modA.bas"));
    }
    void Open() { client.Open(uri, folder.Read("modA.bas")); }
};

#ifndef _WIN32
// Linux only: named pipes, /dev/zero and fork, which Windows has not; there
// the reading of only regular files is tested by host_files_tests.
// When a document closes, the project goes on with the file on disk: read
// only as the command line reads, so that what stands there in its place
// neither blocks the server nor floods its memory.
TEST(ProtocolTest, ClosingReadsOnlyARegularFileFromTheDisk) {
    for (const std::string kind : {"a named pipe", "a link to /dev/zero"}) {
        SCOPED_TRACE(kind);
        OpenedProject opened;
        opened.Open();
        const std::string path = opened.folder.File("modA.bas");
        ASSERT_EQ(::unlink(path.c_str()), 0);
        if (kind == "a named pipe") {
            ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
        } else {
            std::filesystem::create_symlink("/dev/zero", path);
        }
        // Should the server wait for a writer, this one comes after a while,
        // so that the test ends and tells.
        std::atomic<bool> closed{false};
        std::thread writer([&] {
            for (int i = 0; i < 50 && !closed; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        });
        const auto start = std::chrono::steady_clock::now();
        opened.client.Notify("textDocument/didClose",
                             Json{{"textDocument", Json{{"uri", opened.uri}}}});
        const auto took = std::chrono::steady_clock::now() - start;
        closed = true;
        writer.join();
        EXPECT_LT(took, std::chrono::seconds(2));
        EXPECT_TRUE(opened.client.Request("workspace/symbol", Json{{"query", "A"}})
                        .at("result")
                        .is_array());
    }
}

// Leftovers of a killed run stay where the server only reads.
TEST(ProtocolTest, AKilledRunsLeftoverSurvivesTheServer) {
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    std::string name = std::filesystem::path(host::files::TempFileTemplate("/x/modA.bas"))
                           .filename()
                           .string();
    const size_t pid = name.find(".qvaddin-") + 9;
    name.replace(pid, name.find('.', pid) - pid, std::to_string(gone));
    name.replace(name.size() - 6, 6, "AbC123");
    OpenedProject opened;
    opened.folder.Write(name, "a killed run's text");
    opened.Open();
    opened.client.Open(UriOf(opened.folder.File("modB.bas")), "Attribute VB_Name = \"modB\"\r\n");
    opened.client.Request("workspace/symbol", Json{{"query", "A"}});
    opened.client.Notify("textDocument/didClose",
                         Json{{"textDocument", Json{{"uri", opened.uri}}}});
    EXPECT_TRUE(std::filesystem::exists(opened.folder.File(name)));
}
#endif

TEST(ProtocolTest, UnknownMethodsAndWrongParams) {
    LspClient client;
    client.Initialize();
    EXPECT_EQ(ErrorCode(client.Request("textDocument/teleport")), lsp::kMethodNotFound);
    // An unknown notification (and $/ ones) are passed over without a word.
    EXPECT_TRUE(client.SendBytes(lsp::Framed(lsp::NotificationMessage("$/setTrace", {}))
                                     )
                    .empty());
    // Params of the wrong shape answer empty, not with a crash.
    EXPECT_EQ(client.Request("textDocument/codeAction", Json::array({1})).at("result"),
              Json::array());
    EXPECT_TRUE(client.Request("textDocument/hover", "x").at("result").is_null());
    EXPECT_TRUE(client.Request("textDocument/formatting").contains("result"));
}

TEST(ProtocolTest, ExitWithoutShutdownEndsWithOne) {
    LspClient client;
    client.Initialize();
    client.Notify("exit");
    EXPECT_TRUE(client.Exited());
    EXPECT_EQ(client.ExitCode(), 1);
}

TEST(ProtocolTest, DocumentsThatAreNotVbGetEmptyAnswers) {
    TempFolder folder;
    folder.Write("notes.txt", "Sub A()\r\n");
    LspClient client;
    client.Initialize();
    const std::string uri = UriOf(folder.File("notes.txt"));
    client.Open(uri, "Sub A()\r\n");
    const Json at{{"textDocument", Json{{"uri", uri}}},
                         {"range", lsp::RangeJson({0, 0}, {0, 0})},
                         {"position", lsp::PositionJson({0, 5})}};
    EXPECT_TRUE(client.Diagnostics(uri).empty());
    EXPECT_EQ(client.Request("textDocument/codeAction", at).at("result"), Json::array());
    EXPECT_EQ(client.Request("textDocument/formatting", at).at("result"), Json::array());
    EXPECT_EQ(client.Request("textDocument/documentSymbol", at).at("result"), Json::array());
    EXPECT_TRUE(client.Request("textDocument/hover", at).at("result").is_null());
    // A .bas that is not a module (no VB_Name) gets its reason as a diagnostic.
    const std::string bas = UriOf(folder.File("junk.bas"));
    client.Open(bas, "just words\r\n");
    ASSERT_EQ(client.Diagnostics(bas).size(), 1);
    EXPECT_EQ(client.Diagnostics(bas)[0]["severity"].get<int>(), 1);
    EXPECT_EQ(client.Request("textDocument/codeAction",
                             Json{{"textDocument", Json{{"uri", bas}}},
                                         {"range", lsp::RangeJson({0, 0}, {0, 0})}})
                  .at("result"),
              Json::array());
}

TEST(ProtocolTest, AnUnclosedRoutineIsReportedUntilItIsClosedAgain) {
    const std::string module = Vb({"Attribute VB_Name = \"modA\"", "Sub A()", "End Sub"});
    TempFolder folder;
    folder.Write("modA.bas", module);
    const std::string uri = UriOf(folder.File("modA.bas"));
    LspClient client;
    client.Initialize();
    client.Open(uri, module);
    ASSERT_EQ(client.Diagnostics(uri).size(), 1);
    EXPECT_EQ(client.Diagnostics(uri)[0]["severity"].get<int>(), 2);
    // "End Sub" deleted: the text is no module until it is typed again.
    client.ChangeRange(uri, {1, 7}, {2, 7}, "");
    ASSERT_EQ(client.Diagnostics(uri).size(), 1);
    EXPECT_EQ(client.Diagnostics(uri)[0]["severity"].get<int>(), 1);
    const Json at{{"textDocument", Json{{"uri", uri}}},
                         {"range", lsp::RangeJson({1, 0}, {1, 0})}};
    EXPECT_EQ(client.Request("textDocument/codeAction", at).at("result"), Json::array());
    client.ChangeRange(uri, {1, 7}, {1, 7}, "\r\nEnd Sub");
    EXPECT_EQ(client.Text(uri), module);
    ASSERT_EQ(client.Diagnostics(uri).size(), 1);
    EXPECT_EQ(client.Diagnostics(uri)[0]["severity"].get<int>(), 2);
}

}  // namespace
}  // namespace qv::test
