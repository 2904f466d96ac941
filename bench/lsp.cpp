// Times the language server as an editor uses it, in-process: the
// diagnostics after a change of a large module, a code action's edits, and
// the memory of the server with a large project open. Prints figures; sets
// no limits.
//
// Usage: qvaddin-bench-lsp MODULE [--runs N]
//        qvaddin-bench-lsp --memory MODULE_OF_A_LARGE_PROJECT

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <fstream>
#include <string>
#include <vector>

#include "lsp/file_uri.h"
#include "lsp/json_rpc.h"
#include "lsp/server.h"
#include "lsp/text_document.h"
#include "shell/process_start.h"

namespace {

using qv::lsp::Json;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// VmRSS or VmHWM of this process, in MB.
double MemoryMb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) / 1024;
    }
    return 0;
}

class Editor {
  public:
    // The server's answer to one message, and how long it took.
    std::vector<Json> Send(const Json& message, double& ms) {
        const std::string bytes = qv::lsp::Framed(message);
        const auto start = Clock::now();
        const std::string out = server_.Receive(bytes);
        ms = Ms(Clock::now() - start);
        qv::lsp::MessageFramer framer;
        framer.Append(out);
        std::vector<Json> messages;
        std::string problem;
        while (auto frame = framer.Next()) {
            messages.push_back(qv::lsp::ParseMessage(frame->body, problem).value_or(Json()));
        }
        return messages;
    }
    Json Request(const std::string& method, const Json& params, double& ms) {
        const int id = next_++;
        for (const Json& m : Send(Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}, ms)) {
            if (qv::lsp::IntOf(qv::lsp::Member(m, "id")) == id) return m;
        }
        return Json::object();
    }
    std::vector<Json> Notify(const std::string& method, const Json& params, double& ms) {
        return Send(qv::lsp::NotificationMessage(method, params), ms);
    }

  private:
    qv::lsp::Server server_;
    int next_ = 1;
};

Json Initialize() {
    return Json{
        {"capabilities",
         Json{{"textDocument",
               Json{{"codeAction",
                     Json{{"resolveSupport", Json{{"properties", Json::array({"edit"})}}}}}}}}}};
}

Json Open(const std::string& uri, const std::string& text) {
    return Json{{"textDocument", Json{{"uri", uri}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}};
}

bool StartsWith(std::string_view text, std::string_view start) { return text.starts_with(start); }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The file's bytes; nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return std::nullopt;
    std::string bytes(static_cast<size_t>(file.tellg()), '\0');
    file.seekg(0);
    if (!file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
    return bytes;
}

std::string UriOf(const std::string& path) {
    return qv::lsp::UriOfPath(std::filesystem::absolute(path).string());
}

// The line of the first routine's first body line (after "Sub"/"Function").
int FirstBodyLine(const qv::lsp::TextDocument& doc) {
    for (int line = 0; line < doc.LineCount(); ++line) {
        const std::string_view t = Trimmed(doc.Line(line));
        if ((StartsWith(t, "Public Sub ") || StartsWith(t, "Private Sub ") || StartsWith(t, "Sub ") ||
             StartsWith(t, "Public Function ") || StartsWith(t, "Private Function ")) &&
            !t.ends_with("_")) {
            return line + 1;
        }
    }
    return 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int Memory(const std::string& path) {
    const std::optional<std::string> text = ReadFile(path);
    if (!text) return 2;
    Editor editor;
    double ms = 0;
    editor.Request("initialize", Initialize(), ms);
    const double before = MemoryMb("VmRSS");
    editor.Notify("textDocument/didOpen", Open(UriOf(path), *text), ms);
    std::printf("open one module of the project (the project loaded): %.0f ms\n", ms);
    std::printf("memory: %.0f MB resident before, %.0f MB after, peak %.0f MB\n", before,
                MemoryMb("VmRSS"), MemoryMb("VmHWM"));
    // The whole project is there: every routine of it, and a search.
    const Json symbols = editor.Request("workspace/symbol", Json{{"query", ""}}, ms);
    std::printf("workspace symbols (every routine): %lld in %.0f ms\n",
                static_cast<long long>(symbols["result"].size()), ms);
    const Json hits =
        editor.Request("qvaddin/search", Json{{"text", "result"}, {"wholeWord", true}}, ms);
    std::printf("search (whole word, up to the engine's 1000 hits): %lld in %.0f ms\n",
                static_cast<long long>(hits["result"].size()), ms);
    std::printf("memory after them: %.0f MB resident, peak %.0f MB\n", MemoryMb("VmRSS"),
                MemoryMb("VmHWM"));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qv::shell::CommandLineStart();
    const std::vector<std::string> args(argv, argv + argc);
    if (args.size() >= 3 && args[1] == "--memory") return Memory(args[2]);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: qvaddin-bench-lsp MODULE [--runs N] | --memory MODULE\n");
        return 2;
    }
    const int runs = args.size() >= 4 && args[2] == "--runs" ? std::atoi(args[3].c_str()) : 20;
    const std::optional<std::string> read = ReadFile(args[1]);
    if (!read) return 2;
    const std::string& text = *read;
    const std::string uri = UriOf(args[1]);
    qv::lsp::TextDocument doc(uri, "vb", 1, text);
    const int body = FirstBodyLine(doc);

    Editor editor;
    double ms = 0;
    editor.Request("initialize", Initialize(), ms);
    editor.Notify("textDocument/didOpen", Open(uri, text), ms);
    std::printf("%d lines; open with diagnostics: %.1f ms\n", doc.LineCount(), ms);

    std::vector<double> change, action, perAction, resolve;
    size_t diagnostics = 0, actions = 0;
    size_t resolvedEdits = 0;
    std::string resolveTitle;
    for (int run = 0; run < runs; ++run) {
        // One character typed into the first routine, then taken back.
        const bool add = run % 2 == 0;
        const Json edit{{"range", qv::lsp::RangeJson({body, 0}, {body, add ? 0 : 1})},
                        {"text", add ? " " : ""}};
        const auto out = editor.Notify(
            "textDocument/didChange",
            Json{{"textDocument", Json{{"uri", uri}, {"version", run + 2}}},
                 {"contentChanges", Json::array({edit})}},
            ms);
        change.push_back(ms);
        for (const Json& m : out) diagnostics = m["params"]["diagnostics"].size();
        const Json result = editor.Request(
            "textDocument/codeAction",
            Json{{"textDocument", Json{{"uri", uri}}},
                 {"range", qv::lsp::RangeJson({body, 0}, {body, 0})}},
            ms);
        action.push_back(ms);
        const Json list = result["result"];
        actions = 0;
        for (const Json& a : list) actions += a.contains("data") ? 0 : 1;
        perAction.push_back(actions == 0 ? 0 : ms / static_cast<double>(actions));
        // The module's "add error handling", resolved to its edits.
        for (const Json& a : list) {
            if (!a.contains("data")) continue;
            const Json response = editor.Request("codeAction/resolve", a, ms);
            const Json& resolved = response["result"];
            resolveTitle = resolved["title"].get<std::string>();
            resolvedEdits = resolved["edit"]["changes"][uri].size();
            resolve.push_back(ms);
            break;
        }
    }
    std::printf("change -> diagnostics (%zu published): median %.1f ms, worst %.1f ms\n", diagnostics,
                Median(change), *std::max_element(change.begin(), change.end()));
    std::printf("code actions at a routine (%zu with their edits): median %.1f ms, %.1f ms per action\n",
                actions, Median(action), Median(perAction));
    std::printf("a module action resolved (%s, %lld edits): median %.1f ms\n", resolveTitle.c_str(),
                static_cast<long long>(resolvedEdits), Median(resolve));
    return 0;
}
