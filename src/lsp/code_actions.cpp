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

Json WorkspaceEdit(const std::string& uri, const std::vector<TextEdit>& edits) {
    Json changes = Json::object();
    changes[uri] = EditsJson(edits);
    return Json{{"changes", std::move(changes)}};
}

// Disables the action with the reason; a client that would not show it
// disabled gets the command that shows the reason when the action is chosen.
void Refuse(Json& action, const std::string& reason, bool disabledSupport) {
    action["disabled"] = Json{{"reason", reason}};
    if (disabledSupport) return;
    action["command"] = Json{{"title", StringAt(action, "title")},
                             {"command", kShowRefusalCommand},
                             {"arguments", Json::array({reason})}};
}

// Fills the action's edit from what the command does, or refuses it; false
// when the command would do nothing at all.
bool Complete(Json& action, const CommandEdits& run, const std::string& uri,
              bool disabledSupport) {
    if (!run.edits.empty()) {
        action["edit"] = WorkspaceEdit(uri, run.edits);
        return true;
    }
    if (run.refusal.empty()) return false;
    Refuse(action, run.refusal, disabledSupport);
    return true;
}

const Json& CodeActionCapabilities(const Json& initializeParams) {
    return ObjectAt(ObjectAt(ObjectAt(initializeParams, "capabilities"), "textDocument"),
                    "codeAction");
}

// The title with the name in the place of its "%1".
Json NewAction(std::string_view title, const std::string& name, const char* kind) {
    std::string text(title);
    text.replace(text.find("%1"), 2, name);
    return Json{{"title", std::move(text)}, {"kind", kind}};
}

}  // namespace

ActionSupport ActionSupportOf(const Json& initializeParams) {
    const Json& codeAction = CodeActionCapabilities(initializeParams);
    const Json& properties = ArrayOf(Member(ObjectAt(codeAction, "resolveSupport"), "properties"));
    return ActionSupport{
        .resolveEdit = std::find(properties.begin(), properties.end(), Json("edit")) !=
                       properties.end(),
        .disabledSupport = BoolOf(Member(codeAction, "disabledSupport"), false)};
}

std::optional<std::string> RefusalToShow(const Json& executeCommandParams) {
    if (StringAt(executeCommandParams, "command") != kShowRefusalCommand) return std::nullopt;
    const Json& arguments = ArrayOf(Member(executeCommandParams, "arguments"));
    if (arguments.empty() || !arguments.front().is_string()) return std::nullopt;
    return StringOf(arguments.front());
}

Json CodeActions(OpenDocument& document, const ActionRequest& request) {
    Json actions = Json::array();
    DocumentModule* module = document.Module();
    if (module == nullptr) return actions;
    const std::string& text = document.Bytes();
    const std::string& uri = document.Text().Uri();
    host::CodeModule& code = *module->Component()->CodeModule();
    const long codeLine = module->CodeLine(request.line);
    int kind = 0;
    const std::string routine = codeLine > 0 ? code.ProcOfLine(codeLine, kind) : std::string{};
    if (!routine.empty()) {
        for (const ActionKind& a : kActions) {
            Json action = NewAction(a.routineTitle, routine,
                                    a.action == "add" ? "quickfix" : "refactor.rewrite");
            const auto id = shell::ScopedCommand(shell::CommandScope::Routine, a.action);
            if (Complete(action, RunOnDocument(*module, text, id, codeLine), uri,
                         request.disabledSupport)) {
                actions.push_back(std::move(action));
            }
        }
    }
    const std::string& moduleName = module->Component()->Name();
    for (const ActionKind& a : kActions) {
        Json action = NewAction(a.moduleTitle, moduleName, "source");
        action["data"] = Json{{"uri", uri}, {"action", std::string(a.action)}};
        if (request.resolveModule) {
            actions.push_back(std::move(action));
            continue;
        }
        const auto id = shell::ScopedCommand(shell::CommandScope::Module, a.action);
        if (Complete(action, RunOnDocument(*module, text, id, 0), uri, request.disabledSupport)) {
            actions.push_back(std::move(action));
        }
    }
    return actions;
}

Json ResolveCodeAction(OpenDocument& document, Json action, bool disabledSupport, bool& resolved) {
    resolved = false;
    DocumentModule* module = document.Module();
    const std::string word = StringAt(ObjectAt(action, "data"), "action");
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

Json FormattingEdits(OpenDocument& document, int firstLine, int lastLine, std::string& refusal) {
    DocumentModule* module = document.Module();
    if (module == nullptr) return Json::array();
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
