// qvaddin find <target> TEXT: every hit of the text as the find window's
// result tree, one node a line, indented by depth, the summary first.

#include <QJsonArray>
#include <ostream>

#include "app/cli/broken_modules.h"
#include "app/cli/command.h"
#include "app/cli/project_target.h"
#include "app/cli/target_json.h"
#include "app/cli/vb_text.h"
#include "find/find_model.h"

namespace qv::cli {

namespace {

const QCommandLineOption kWholeWordOption(QStringList{"whole-word"}, "Find whole words only.");
const QCommandLineOption kMatchCaseOption(QStringList{"match-case"}, "Match upper and lower case.");
const QCommandLineOption kPatternOption(
    QStringList{"pattern"},
    "The text is a pattern: ? one character, * any run, # one digit, [list], [!list].");
const QCommandLineOption kFirstPerLineOption(QStringList{"first-per-line"},
                                             "Show only the first hit on a line.");
const QCommandLineOption kScopeOption(
    QStringList{"scope"},
    "Where to search: module (the --module one), project (the default: --project, else every "
    "project the targets name; of a group its startup project) or group (every project).",
    "scope", "project");

find::FindScope ParseScope(const QString& value) {
    if (value == "module") return find::FindScope::Module;
    if (value == "project") return find::FindScope::Project;
    if (value == "group") return find::FindScope::Group;
    throw CliError(kExitUsage,
                   "--scope " + value.toStdString() + ": use module, project or group");
}

// A code-line node's key ends in start line / start column / end line / end
// column; the line and column lead the printed line as in a compiler message.
std::string Position(const find::FindNode& node) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t slash; (slash = node.key.find('/', from)) != std::string::npos; from = slash + 1) {
        parts.push_back(node.key.substr(from, slash - from));
    }
    parts.push_back(node.key.substr(from));
    if (parts.size() < 4) return {};
    return parts[parts.size() - 4] + ":" + parts[parts.size() - 3] + ": ";
}

void PrintTree(std::ostream& out, const find::FindTree& tree) {
    tree.Walk([&](long, const find::FindNode& node, int depth) {
        out << std::string(static_cast<size_t>(depth) * 2, ' ')
            << (node.tag == "Code" ? Position(node) : std::string())
            << DisplayText(node.text, node.codePage) << '\n';
    });
}

QJsonArray NodesJson(const find::FindTree& tree, long parent) {
    QJsonArray nodes;
    for (long id : tree.Children(parent)) {
        const find::FindNode& node = tree.Node(id);
        QJsonObject object{{"key", VbText(node.key, node.codePage)},
                           {"text", VbText(node.text, node.codePage)},
                           {"image", QString::fromStdString(node.image)},
                           {"tag", QString::fromStdString(node.tag)}};
        if (!node.children.empty()) object.insert("children", NodesJson(tree, id));
        nodes.append(object);
    }
    return nodes;
}

class FindCommand : public Command {
public:
    QString Name() const override { return "find"; }
    QString Summary() const override {
        return "Find a text in the code and show the hits as a tree (at most 1000).";
    }
    void AddOptions(QCommandLineParser& parser) const override {
        AddTargetOptions(parser);
        parser.addPositionalArgument("text", "The text to find.", "TEXT");
        parser.addOption(kWholeWordOption);
        parser.addOption(kMatchCaseOption);
        parser.addOption(kPatternOption);
        parser.addOption(kFirstPerLineOption);
        parser.addOption(kScopeOption);
    }

    int Run(CommandContext& context) override {
        if (context.arguments.size() < 2) {
            throw CliError(kExitUsage, "usage: qvaddin find <target>... TEXT");
        }
        const std::string what = context.arguments.back().toStdString();
        if (what.empty()) throw CliError(kExitUsage, "the text to find is empty");
        find::FindModel model;
        find::FindOptions& options = model.Options();
        options.wholeWord = context.parser.isSet(kWholeWordOption);
        options.matchCase = context.parser.isSet(kMatchCaseOption);
        options.patternSearch = context.parser.isSet(kPatternOption);
        options.firstPerLine = context.parser.isSet(kFirstPerLineOption);
        options.scope = ParseScope(context.parser.value(kScopeOption));
        options.codePage = RunCodePage(context);
        if (options.scope == find::FindScope::Module && !context.parser.isSet("module") &&
            !context.parser.isSet("routine")) {
            throw CliError(kExitUsage, "--scope module needs --module NAME (or --routine NAME)");
        }
        // A search reads text only: a procedure without its End line does
        // not make its hits wrong, so such a module is searched too.
        auto target =
            LoadTarget(context, context.arguments.mid(0, context.arguments.size() - 1), false);
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
            WriteJson(context.out, QJsonObject{{"hits", qint64(outcome.hits)},
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
