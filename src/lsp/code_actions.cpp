#include "lsp/code_actions.h"

#include <algorithm>
#include <array>

#include "lsp/command_edits.h"

namespace qv::lsp {

namespace {

struct ActionKind {
    std::string_view action;  // the catalogue's action word
    const char* routineTitle;
    const char* moduleTitle;
};

constexpr std::array<ActionKind, 6> kActions = {{
    {"add", "Add error handling to %1", "Add error handling to every routine of %1"},
    {"replace", "Replace the error handling of %1", "Replace the error handling of every routine of %1"},
    {"remove", "Remove the error handling from %1", "Remove the error handling from every routine of %1"},
    {"line", "Add line numbers to %1", "Add line numbers to every routine of %1"},
    {"unnumber", "Remove the line numbers from %1", "Remove the line numbers from every routine of %1"},
    {"tidy", "Tidy %1", "Tidy every routine of %1"},
}};

QJsonObject WorkspaceEdit(const QString& uri, const std::vector<TextEdit>& edits) {
    return QJsonObject{{"changes", QJsonObject{{uri, EditsJson(edits)}}}};
}

// Disables the action with the reason; a client that would not show it
// disabled gets the command that shows the reason when the action is chosen.
void Refuse(QJsonObject& action, const QString& reason, bool disabledSupport) {
    action.insert("disabled", QJsonObject{{"reason", reason}});
    if (disabledSupport) return;
    action.insert("command", QJsonObject{{"title", action.value("title").toString()},
                                         {"command", kShowRefusalCommand},
                                         {"arguments", QJsonArray{reason}}});
}

// Fills the action's edit from what the command does, or refuses it; false
// when the command would do nothing at all.
bool Complete(QJsonObject& action, const CommandEdits& run, const QString& uri,
              bool disabledSupport) {
    if (!run.edits.empty()) {
        action.insert("edit", WorkspaceEdit(uri, run.edits));
        return true;
    }
    if (run.refusal.empty()) return false;
    Refuse(action, QString::fromUtf8(run.refusal), disabledSupport);
    return true;
}

QJsonObject CodeActionCapabilities(const QJsonObject& initializeParams) {
    return initializeParams.value("capabilities")
        .toObject()
        .value("textDocument")
        .toObject()
        .value("codeAction")
        .toObject();
}

QJsonObject NewAction(const char* title, const QString& name, const QString& kind) {
    return QJsonObject{{"title", QString::fromUtf8(title).arg(name)}, {"kind", kind}};
}

}  // namespace

ActionSupport ActionSupportOf(const QJsonObject& initializeParams) {
    const QJsonObject codeAction = CodeActionCapabilities(initializeParams);
    return ActionSupport{.resolveEdit = codeAction.value("resolveSupport")
                                            .toObject()
                                            .value("properties")
                                            .toArray()
                                            .contains("edit"),
                         .disabledSupport = codeAction.value("disabledSupport").toBool(false)};
}

std::optional<QString> RefusalToShow(const QJsonObject& executeCommandParams) {
    if (executeCommandParams.value("command").toString() != kShowRefusalCommand) {
        return std::nullopt;
    }
    const QJsonArray arguments = executeCommandParams.value("arguments").toArray();
    if (arguments.isEmpty() || !arguments.first().isString()) return std::nullopt;
    return arguments.first().toString();
}

QJsonArray CodeActions(OpenDocument& document, const ActionRequest& request) {
    QJsonArray actions;
    DocumentModule* module = document.Module();
    if (module == nullptr) return actions;
    const std::string& text = document.Bytes();
    const QString uri = document.Text().Uri();
    host::CodeModule& code = *module->Component()->CodeModule();
    const long codeLine = module->CodeLine(request.line);
    int kind = 0;
    const std::string routine = codeLine > 0 ? code.ProcOfLine(codeLine, kind) : std::string{};
    if (!routine.empty()) {
        for (const ActionKind& a : kActions) {
            QJsonObject action = NewAction(a.routineTitle, QString::fromUtf8(routine),
                                           a.action == "add" ? "quickfix" : "refactor.rewrite");
            const auto id = shell::ScopedCommand(shell::CommandScope::Routine, a.action);
            if (Complete(action, RunOnDocument(*module, text, id, codeLine), uri,
                         request.disabledSupport)) {
                actions.append(action);
            }
        }
    }
    const QString moduleName = QString::fromUtf8(module->Component()->Name());
    for (const ActionKind& a : kActions) {
        QJsonObject action = NewAction(a.moduleTitle, moduleName, "source");
        action.insert("data", QJsonObject{{"uri", uri},
                                          {"action", QString::fromUtf8(a.action.data(),
                                                                       static_cast<qsizetype>(
                                                                           a.action.size()))}});
        if (request.resolveModule) {
            actions.append(action);
            continue;
        }
        const auto id = shell::ScopedCommand(shell::CommandScope::Module, a.action);
        if (Complete(action, RunOnDocument(*module, text, id, 0), uri, request.disabledSupport)) {
            actions.append(action);
        }
    }
    return actions;
}

QJsonObject ResolveCodeAction(OpenDocument& document, QJsonObject action, bool disabledSupport,
                              bool& resolved) {
    resolved = false;
    DocumentModule* module = document.Module();
    const std::string word = action.value("data").toObject().value("action").toString().toStdString();
    const auto known = std::find_if(kActions.begin(), kActions.end(),
                                    [&](const ActionKind& a) { return a.action == word; });
    if (module == nullptr || known == kActions.end()) return action;
    resolved = true;
    const auto id = shell::ScopedCommand(shell::CommandScope::Module, known->action);
    const CommandEdits run = RunOnDocument(*module, document.Bytes(), id, 0);
    if (!Complete(action, run, document.Text().Uri(), disabledSupport)) {
        Refuse(action, "Nothing to change.", disabledSupport);
    }
    return action;
}

QJsonArray FormattingEdits(OpenDocument& document, int firstLine, int lastLine,
                           std::string& refusal) {
    DocumentModule* module = document.Module();
    if (module == nullptr) return {};
    CommandEdits run = RunOnDocument(*module, document.Bytes(), shell::CommandId::ModuleTidy, 0);
    refusal = run.edits.empty() ? run.refusal : std::string{};
    std::erase_if(run.edits, [&](const TextEdit& e) {
        // An edit touches the lines it replaces, or the line it inserts at.
        const int last = e.end.line > e.start.line && e.end.character == 0 ? e.end.line - 1
                                                                             : e.end.line;
        return last < firstLine || e.start.line > lastLine;
    });
    return EditsJson(run.edits);
}

}  // namespace qv::lsp
