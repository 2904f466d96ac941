// Times the language server as an editor uses it, in-process: the
// diagnostics after a change of a large module, a code action's edits, and
// the memory of the server with a large project open. Prints figures; sets
// no limits.
//
// Usage: qvaddin-bench-lsp MODULE [--runs N]
//        qvaddin-bench-lsp --memory MODULE_OF_A_LARGE_PROJECT

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "lsp/json_rpc.h"
#include "lsp/server.h"
#include "lsp/text_document.h"
#include "shell/process_start.h"

namespace {

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
    std::vector<QJsonObject> Send(const QJsonObject& message, double& ms) {
        const QByteArray bytes = qv::lsp::Framed(message);
        const auto start = Clock::now();
        const QByteArray out = server_.Receive({bytes.constData(), static_cast<size_t>(bytes.size())});
        ms = Ms(Clock::now() - start);
        qv::lsp::MessageFramer framer;
        framer.Append({out.constData(), static_cast<size_t>(out.size())});
        std::vector<QJsonObject> messages;
        while (auto frame = framer.Next()) messages.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(frame->body)).object());
        return messages;
    }
    QJsonObject Request(const QString& method, const QJsonValue& params, double& ms) {
        const int id = next_++;
        for (const QJsonObject& m : Send(QJsonObject{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}, ms)) {
            if (m.value("id").toInt() == id) return m;
        }
        return {};
    }
    std::vector<QJsonObject> Notify(const QString& method, const QJsonValue& params, double& ms) {
        return Send(qv::lsp::NotificationMessage(method, params), ms);
    }

  private:
    qv::lsp::Server server_;
    int next_ = 1;
};

QJsonObject Initialize() {
    return QJsonObject{
        {"capabilities",
         QJsonObject{{"textDocument",
                      QJsonObject{{"codeAction",
                                   QJsonObject{{"resolveSupport",
                                                QJsonObject{{"properties", QJsonArray{"edit"}}}}}}}}}}};
}

QJsonObject Open(const QString& uri, const QString& text) {
    return QJsonObject{{"textDocument", QJsonObject{{"uri", uri}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}};
}

// The line of the first routine's first body line (after "Sub"/"Function").
int FirstBodyLine(const qv::lsp::TextDocument& doc) {
    for (int line = 0; line < doc.LineCount(); ++line) {
        const QString t = doc.Line(line).trimmed();
        if ((t.startsWith("Public Sub ") || t.startsWith("Private Sub ") || t.startsWith("Sub ") ||
             t.startsWith("Public Function ") || t.startsWith("Private Function ")) &&
            !t.endsWith("_")) {
            return line + 1;
        }
    }
    return 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int Memory(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 2;
    const QString text = QString::fromUtf8(file.readAll());
    Editor editor;
    double ms = 0;
    editor.Request("initialize", Initialize(), ms);
    const double before = MemoryMb("VmRSS");
    editor.Notify("textDocument/didOpen", Open(QUrl::fromLocalFile(path).toString(), text), ms);
    std::printf("open one module of the project (the project loaded): %.0f ms\n", ms);
    std::printf("memory: %.0f MB resident before, %.0f MB after, peak %.0f MB\n", before,
                MemoryMb("VmRSS"), MemoryMb("VmHWM"));
    // The whole project is there: every routine of it, and a search.
    const QJsonObject symbols = editor.Request("workspace/symbol", QJsonObject{{"query", ""}}, ms);
    std::printf("workspace symbols (every routine): %lld in %.0f ms\n",
                static_cast<long long>(symbols["result"].toArray().size()), ms);
    const QJsonObject hits = editor.Request(
        "qvaddin/search", QJsonObject{{"text", "result"}, {"wholeWord", true}}, ms);
    std::printf("search (whole word, up to the engine's 1000 hits): %lld in %.0f ms\n",
                static_cast<long long>(hits["result"].toArray().size()), ms);
    std::printf("memory after them: %.0f MB resident, peak %.0f MB\n", MemoryMb("VmRSS"),
                MemoryMb("VmHWM"));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qv::shell::CommandLineStart();
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == "--memory") return Memory(args[2]);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: qvaddin-bench-lsp MODULE [--runs N] | --memory MODULE\n");
        return 2;
    }
    const int runs = args.size() >= 4 && args[2] == "--runs" ? args[3].toInt() : 20;
    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly)) return 2;
    const QString text = QString::fromUtf8(file.readAll());
    const QString uri = QUrl::fromLocalFile(args[1]).toString();
    qv::lsp::TextDocument doc(uri, "vb", 1, text);
    const int body = FirstBodyLine(doc);

    Editor editor;
    double ms = 0;
    editor.Request("initialize", Initialize(), ms);
    editor.Notify("textDocument/didOpen", Open(uri, text), ms);
    std::printf("%d lines; open with diagnostics: %.1f ms\n", doc.LineCount(), ms);

    std::vector<double> change, action, perAction, resolve;
    size_t diagnostics = 0, actions = 0;
    qsizetype resolvedEdits = 0;
    std::string resolveTitle;
    for (int run = 0; run < runs; ++run) {
        // One character typed into the first routine, then taken back.
        const bool add = run % 2 == 0;
        const QJsonObject edit{{"range", qv::lsp::RangeJson({body, 0}, {body, add ? 0 : 1})},
                               {"text", add ? " " : ""}};
        const auto out = editor.Notify(
            "textDocument/didChange",
            QJsonObject{{"textDocument", QJsonObject{{"uri", uri}, {"version", run + 2}}},
                        {"contentChanges", QJsonArray{edit}}},
            ms);
        change.push_back(ms);
        for (const QJsonObject& m : out) diagnostics = m["params"].toObject()["diagnostics"].toArray().size();
        const QJsonObject result = editor.Request(
            "textDocument/codeAction",
            QJsonObject{{"textDocument", QJsonObject{{"uri", uri}}},
                        {"range", qv::lsp::RangeJson({body, 0}, {body, 0})}},
            ms);
        action.push_back(ms);
        const QJsonArray list = result["result"].toArray();
        actions = 0;
        for (const QJsonValue& a : list) actions += a.toObject().contains("data") ? 0 : 1;
        perAction.push_back(actions == 0 ? 0 : ms / static_cast<double>(actions));
        // The module's "add error handling", resolved to its edits.
        for (const QJsonValue& a : list) {
            if (!a.toObject().contains("data")) continue;
            const QJsonObject resolved = editor.Request("codeAction/resolve", a, ms)["result"].toObject();
            resolveTitle = resolved["title"].toString().toStdString();
            resolvedEdits = resolved["edit"].toObject()["changes"].toObject()[uri].toArray().size();
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
