// qvaddin find <target> TEXT: every hit of the text as the find window's
// result tree, one node a line, indented by depth, the summary first.

#include <ostream>
#include <string>
#include <string_view>

#include "app/cli/broken_modules.h"
#include "app/cli/command.h"
#include "app/cli/project_target.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "find/find_model.h"
#include "find/find_search.h"
#include "host/files/module_loader.h"

namespace qv::cli {

namespace {

const Option kWholeWordOption{{"whole-word"}, "Find whole words only."};
const Option kMatchCaseOption{{"match-case"}, "Match upper and lower case."};
const Option kPatternOption{{"pattern"},
    "The text is a pattern: ? one character, * any run, # one digit, [list], [!list]."};
const Option kFirstPerLineOption{{"first-per-line"},
                                             "Show only the first hit on a line."};
const Option kScopeOption{{"scope"},
    "Where to search: module (the --module one), project (the default: --project, else every "
    "project the targets name; of a group its startup project) or group (every project).",
    "scope", "project"};

find::FindScope ParseScope(const std::string& value) {
    if (value == "module") return find::FindScope::Module;
    if (value == "project") return find::FindScope::Project;
    if (value == "group") return find::FindScope::Group;
    throw CliError(kExitUsage,
                   "--scope " + value + ": use module, project or group");
}

// A code-line node's key ends in start line / start column / end line / end
// column; the line and column lead the printed line as in a compiler message.
void AppendPosition(std::string& out, const find::FindNode& node) {
    const std::string_view key = node.key;
    // The last "/" before the given position, if any.
    const auto slashBefore = [&](size_t end) {
        return end == 0 ? std::string_view::npos : key.rfind('/', end - 1);
    };
    const size_t endColumn = slashBefore(key.size());
    const size_t endLine = endColumn == std::string_view::npos ? endColumn : slashBefore(endColumn);
    const size_t column = endLine == std::string_view::npos ? endLine : slashBefore(endLine);
    if (column == std::string_view::npos) return;
    const size_t before = slashBefore(column);
    const size_t line = before == std::string_view::npos ? 0 : before + 1;
    out.append(key.substr(line, column - line))
        .append(":")
        .append(key.substr(column + 1, endLine - column - 1))
        .append(": ");
}

// The tree is written whole, once: a search of many hits prints a line a
// node.
void PrintTree(std::ostream& out, const find::FindTree& tree) {
    std::string text;
    tree.Walk([&](long, const find::FindNode& node, int depth) {
        text.append(static_cast<size_t>(depth) * 2, ' ');
        if (node.tag == "Code") AppendPosition(text, node);
        text.append(DisplayText(node.text, node.codePage)).push_back('\n');
    });
    out << text;
}

JsonNode NodesJson(const find::FindTree& tree, long parent) {
    JsonNode nodes = JsonNode::array();
    for (long id : tree.Children(parent)) {
        const find::FindNode& node = tree.Node(id);
        JsonNode object{{"key", VbText(node.key, node.codePage)},
                           {"text", VbText(node.text, node.codePage)},
                           {"image", std::string(node.image)},
                           {"tag", std::string(node.tag)}};
        if (!node.children.empty()) object["children"] = NodesJson(tree, id);
        nodes.push_back(std::move(object));
    }
    return nodes;
}

class FindCommand : public Command {
public:
    std::string Name() const override { return "find"; }
    std::string Summary() const override {
        return "Find a text in the code and show the hits as a tree (at most 1000).";
    }
    void AddOptions(OptionParser& parser) const override {
        AddTargetOptions(parser);
        parser.AddPositionalArgument("text", "The text to find.", "TEXT");
        parser.AddOption(kWholeWordOption);
        parser.AddOption(kMatchCaseOption);
        parser.AddOption(kPatternOption);
        parser.AddOption(kFirstPerLineOption);
        parser.AddOption(kScopeOption);
    }

    int Run(CommandContext& context) override {
        if (context.arguments.size() < 2) {
            throw CliError(kExitUsage, "usage: qvaddin find <target>... TEXT");
        }
        const std::string what = context.arguments.back();
        if (what.empty()) throw CliError(kExitUsage, "the text to find is empty");
        find::FindModel model;
        find::FindOptions& options = model.Options();
        options.wholeWord = context.parser.IsSet(kWholeWordOption);
        options.matchCase = context.parser.IsSet(kMatchCaseOption);
        options.patternSearch = context.parser.IsSet(kPatternOption);
        options.firstPerLine = context.parser.IsSet(kFirstPerLineOption);
        options.scope = ParseScope(context.parser.Value(kScopeOption));
        options.codePage = RunCodePage(context);
        if (options.scope == find::FindScope::Module && !context.parser.IsSet("module") &&
            !context.parser.IsSet("routine")) {
            throw CliError(kExitUsage, "--scope module needs --module NAME (or --routine NAME)");
        }
        // A search reads text only: a procedure without its End line does
        // not make its hits wrong, so such a module is searched too.
        const std::vector<std::string> paths(context.arguments.begin(),
                                             context.arguments.end() - 1);
        // A module's code is read only when its bytes may hold a hit, as the
        // search comes to it (a search that reaches the hit limit early reads
        // few modules); a routine or line to select needs the code at once.
        // The bytes of a module that cannot hold a hit are dropped as soon as
        // it is read.
        const bool deferCode = !context.parser.IsSet("routine") && !context.parser.IsSet("line");
        auto target = LoadTarget(context, paths, false, deferCode,
                                 deferCode ? find::ModuleTextTest(what, options)
                                           : host::files::CodeFilter{});
        if (deferCode) {
            options.readCode = [&files = target->Files()](host::VBComponent& component,
                                                          const find::FindOptions::ModuleText& mayHoldHit) {
                return host::files::LoadDeferredCode(
                    files, static_cast<host::memory::MemoryComponent&>(component), mayHoldHit);
            };
        }
        const Selection selection = SelectTarget(context, *target);
        // The project scope: every project the command line names.
        options.projects.assign(selection.projects.begin(), selection.projects.end());
        model.Search(target->Vbe(), what);
        const BrokenList broken =
            options.scope == find::FindScope::Module ? BrokenList{}
            : options.scope == find::FindScope::Group
                ? BrokenModules(*target, nullptr)
                : BrokenModules(*target, selection.projects);
        ReportBrokenModules(context.err, broken);
        if (context.format == OutputFormat::Json) {
            const find::SearchOutcome& outcome = model.LastOutcome();
            WriteJson(context.out, JsonNode{{"hits", std::int64_t(outcome.hits)},
                                               {"beyondLimit", outcome.beyondLimit},
                                               {"nodes", NodesJson(model.Tree(),
                                                                   find::FindTree::kRoot)},
                                               {"errors", BrokenModulesJson(broken)}});
        } else {
            PrintTree(context.out, model.Tree());
        }
        return broken.empty() ? kExitOk : kExitBadInput;
    }
};

}  // namespace

QV_REGISTER_COMMAND("find", FindCommand);

}  // namespace qv::cli
