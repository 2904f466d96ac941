#include "app/cli/project_target.h"

#include <ostream>

#include "app/cli/vb_text.h"
#include "host/files/file_error.h"
#include "host/files/project_loader.h"
#include "host/files/unified_diff.h"
#include "host/files/workspace_saver.h"
#include "platform/text.h"
#include "settings/ide_tab_width.h"

namespace qv::cli {

namespace {

using host::memory::MemoryCodeModule;
using host::memory::MemoryComponent;
using host::memory::MemoryProject;

const QCommandLineOption kProjectOption(
    QStringList{"project"}, "The project of a group to work on (default: the startup project).",
    "name");
const QCommandLineOption kModuleOption(QStringList{"module"},
                                       "The module (component) to work on, by name.", "name");
const QCommandLineOption kRoutineOption(
    QStringList{"routine"},
    "The routine to work on; a property accessor as name:Get, name:Let or name:Set.",
    "name[:kind]");
const QCommandLineOption kLineOption(QStringList{"line"},
                                     "The cursor line in the module's code window (1-based).", "n");

std::string Str(const QString& s) {
    return s.toStdString();
}

[[noreturn]] void BadInput(const std::string& message) {
    throw CliError(kExitBadInput, message);
}
[[noreturn]] void Usage(const std::string& message) {
    throw CliError(kExitUsage, message);
}

std::string TargetText(const LoadedTarget& target) {
    std::string text;
    for (const std::string& p : target.Paths()) text += (text.empty() ? "" : " ") + p;
    return text;
}

std::string Names(std::vector<std::string> names) {
    constexpr size_t kShown = 12;
    std::string text;
    for (size_t i = 0; i < names.size() && i < kShown; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > kShown) text += ", ... (" + std::to_string(names.size()) + " in all)";
    return text;
}

MemoryProject& PickProject(CommandContext& context, LoadedTarget& target) {
    auto& projects = target.Vbe().Projects();
    if (projects.Count() == 0) BadInput(TargetText(target) + ": no project was loaded");
    if (!context.parser.isSet(kProjectOption)) {
        auto* active = static_cast<MemoryProject*>(target.Vbe().ActiveVBProject());
        return active != nullptr ? *active : projects.At(1);
    }
    const std::string name = Str(context.parser.value(kProjectOption));
    if (MemoryProject* found = projects.Find(name)) return *found;
    std::vector<std::string> names;
    for (long i = 1; i <= projects.Count(); ++i) names.push_back(projects.At(i).Name());
    BadInput(TargetText(target) + ": there is no project named \"" + name +
             "\"; the projects are: " + Names(names));
}

MemoryComponent& PickModule(MemoryProject& project, const std::string& name,
                            const LoadedTarget& target) {
    if (MemoryComponent* found = project.Components().Find(name)) return *found;
    for (const host::files::BrokenModule& broken : target.Files().BrokenModules()) {
        if (broken.project == &project && text::EqualsIgnoreCase(broken.name, name)) {
            BadInput("module " + name + " could not be loaded: " + broken.message);
        }
    }
    std::vector<std::string> names;
    for (long i = 1; i <= project.Components().Count(); ++i) {
        names.push_back(project.Components().At(i).Name());
    }
    BadInput(TargetText(target) + ": project " + project.Name() + " has no module named \"" + name +
             "\"" + (names.empty() ? "" : "; its modules are: " + Names(names)));
}

struct RoutineName {
    std::string name;
    int kind = -1;  // -1: not given
};

RoutineName ParseRoutine(const QString& value) {
    RoutineName r;
    const qsizetype colon = value.lastIndexOf(':');
    r.name = Str(colon < 0 ? value : value.left(colon));
    if (colon >= 0) {
        const QString kind = value.mid(colon + 1).toLower();
        if (kind == "get")
            r.kind = host::vbext_pk_Get;
        else if (kind == "let")
            r.kind = host::vbext_pk_Let;
        else if (kind == "set")
            r.kind = host::vbext_pk_Set;
        else
            Usage("--routine " + Str(value) + ": the kind after ':' is Get, Let or Set");
    }
    if (text::Trim(r.name).empty()) Usage("--routine needs a routine name");
    return r;
}

bool HasRoutine(MemoryCodeModule& code, const std::string& name, int kind) {
    return code.Index().Find(name, kind) >= 0;
}

// The kinds of the routine the module holds: the one asked for, or every
// kind when none was.
std::vector<int> KindsIn(MemoryComponent& component, const RoutineName& routine) {
    std::vector<int> kinds;
    MemoryCodeModule* code = component.Code();
    if (code == nullptr) return kinds;
    if (routine.kind >= 0) {
        if (HasRoutine(*code, routine.name, routine.kind)) kinds.push_back(routine.kind);
        return kinds;
    }
    for (int kind :
         {host::vbext_pk_Proc, host::vbext_pk_Get, host::vbext_pk_Let, host::vbext_pk_Set}) {
        if (HasRoutine(*code, routine.name, kind)) kinds.push_back(kind);
    }
    return kinds;
}

std::string KindSuffix(int kind) {
    switch (kind) {
        case host::vbext_pk_Get:
            return ":Get";
        case host::vbext_pk_Let:
            return ":Let";
        case host::vbext_pk_Set:
            return ":Set";
        default:
            return "";
    }
}

void PickRoutine(MemoryProject& project, const RoutineName& routine, const LoadedTarget& target,
                 Selection& selection) {
    std::vector<MemoryComponent*> holders;
    if (selection.component != nullptr) {
        holders.push_back(selection.component);
    } else {
        for (long i = 1; i <= project.Components().Count(); ++i) {
            if (!KindsIn(project.Components().At(i), routine).empty()) {
                holders.push_back(&project.Components().At(i));
            }
        }
    }
    const std::string asked = routine.name + KindSuffix(routine.kind);
    const std::vector<int> kinds =
        holders.empty() ? std::vector<int>{} : KindsIn(*holders[0], routine);
    if (kinds.empty()) {
        BadInput(TargetText(target) + ": there is no routine \"" + asked + "\" in " +
                 (selection.component != nullptr ? "module " + selection.component->Name()
                                                 : "project " + project.Name()) +
                 "; 'qvaddin list' shows the routines");
    }
    if (holders.size() > 1) {
        std::vector<std::string> names;
        for (auto* c : holders) names.push_back(c->Name());
        BadInput(TargetText(target) + ": routine \"" + asked + "\" is in several modules (" +
                 Names(names) + "); name one with --module");
    }
    if (kinds.size() > 1) {
        BadInput(TargetText(target) + ": property " + routine.name + " in module " +
                 holders[0]->Name() + " has several accessors; name one as " + routine.name +
                 ":Get, :Let or :Set");
    }
    selection.component = holders[0];
    selection.routine = routine.name;
    selection.routineKind = kinds[0];
}

long ParseLine(const QString& value) {
    bool ok = false;
    const long line = value.toLong(&ok);
    if (!ok || line < 1) Usage("--line " + Str(value) + ": give a line number from 1 up");
    return line;
}

// Puts the module's cursor on the line and makes its code pane the active
// one, as clicking into the IDE's code window would.
void PlaceCursor(MemoryComponent& component, long line) {
    host::CodePane& pane = component.Code()->CodePane();
    pane.SetSelection(line, 1, line, 1);
    pane.SetTopLine(line);
    pane.Show();
}

std::string DisplayPath(const std::string& path) {
    return DisplayText(path);
}

}  // namespace

LoadedTarget::LoadedTarget()
    : vbe_(std::make_unique<host::memory::MemoryVbe>()),
      workspace_(std::make_unique<host::files::Workspace>(*vbe_)) {}

namespace {
bool& KeepUntilExit() {
    static bool keep = false;
    return keep;
}
}  // namespace

void KeepTargetsUntilExit(bool keep) {
    KeepUntilExit() = keep;
}

LoadedTarget::~LoadedTarget() {
#if !defined(__SANITIZE_ADDRESS__)
    if (KeepUntilExit()) {
        // The process ends next and the system takes the memory back at once.
        static_cast<void>(workspace_.release());
        static_cast<void>(vbe_.release());
        return;
    }
#endif
    workspace_.reset();
    vbe_.reset();
}

void AddTargetOptions(QCommandLineParser& parser) {
    parser.addOption(kProjectOption);
    parser.addOption(kModuleOption);
    parser.addOption(kRoutineOption);
    parser.addOption(kLineOption);
    parser.addPositionalArgument("target", "A .vbp project, a .vbg project group, or module files.",
                                 "<target>...");
}

namespace {
// The host lays out the tabs of the lines it receives with the IDE's tab
// width, as the IDE does; a stored width that is not a number leaves the
// host's default.
void UseIdeTabWidth(LoadedTarget& target) {
    try {
        target.Vbe().SetTabWidth(settings::UsableTabWidth(settings::IdeTabWidth()));
    } catch (...) {
    }
}
}  // namespace

std::unique_ptr<LoadedTarget> LoadTarget(CommandContext& context) {
    return LoadTarget(context, context.arguments);
}

std::unique_ptr<LoadedTarget> LoadTarget(CommandContext& context, const QStringList& paths,
                                         bool checkProcedures) {
    if (paths.isEmpty()) {
        Usage("name a target: a .vbp project, a .vbg project group or module files");
    }
    auto target = std::make_unique<LoadedTarget>();
    target->Files().SetCheckProcedures(checkProcedures);
    std::vector<std::string> local;
    for (const QString& p : paths) local.push_back(LocalPath(p));
    target->SetPaths(local);
    try {
        host::files::LoadTargets(target->Files(), local);
    } catch (const host::files::FileError& e) {
        BadInput(e.what());
    }
    for (const std::string& warning : target->Files().Warnings()) {
        context.err << "qvaddin: warning: " << warning << '\n';
    }
    for (const std::string& leftover : host::files::RemoveLeftoverTempFiles(target->Files())) {
        context.err << "qvaddin: note: removed " << DisplayPath(leftover)
                    << ", a temporary file that an interrupted run left behind\n";
    }
    UseIdeTabWidth(*target);
    return target;
}

Selection SelectTarget(CommandContext& context, LoadedTarget& target) {
    Selection selection;
    MemoryProject& project = PickProject(context, target);
    selection.project = &project;
    target.Vbe().SetActiveProject(&project);
    if (context.parser.isSet(kModuleOption)) {
        selection.component =
            &PickModule(project, Str(context.parser.value(kModuleOption)), target);
    }
    if (context.parser.isSet(kRoutineOption)) {
        PickRoutine(project, ParseRoutine(context.parser.value(kRoutineOption)), target, selection);
    }
    if (context.parser.isSet(kLineOption)) {
        selection.line = ParseLine(context.parser.value(kLineOption));
        if (selection.component == nullptr) Usage("--line needs --module (or --routine)");
    }
    if (selection.component == nullptr) return selection;

    target.Vbe().SetSelectedComponent(selection.component);
    MemoryCodeModule* code = selection.component->Code();
    if (code == nullptr) {
        if (selection.line > 0) {
            BadInput(TargetText(target) + ": " + selection.component->Name() + " holds no code");
        }
        return selection;
    }
    if (selection.line > code->CountOfLines()) {
        BadInput(TargetText(target) + ": --line " + std::to_string(selection.line) +
                 " is past the end of module " + selection.component->Name() + ", which has " +
                 std::to_string(code->CountOfLines()) + " lines");
    }
    if (selection.line > 0 && !selection.routine.empty()) {
        int kind = 0;
        const std::string at = code->ProcOfLine(selection.line, kind);
        if (!text::EqualsIgnoreCase(at, selection.routine) || kind != selection.routineKind) {
            BadInput(TargetText(target) + ": line " + std::to_string(selection.line) + " of " +
                     selection.component->Name() + " is not in routine " + selection.routine +
                     KindSuffix(selection.routineKind) + "; give --routine or --line alone");
        }
    }
    long cursor = selection.line;
    if (cursor == 0 && !selection.routine.empty()) {
        cursor = code->ProcBodyLine(selection.routine, selection.routineKind);
    }
    PlaceCursor(*selection.component, cursor > 0 ? cursor : 1);
    return selection;
}

int SaveChanges(CommandContext& context, LoadedTarget& target, std::vector<std::string>* written) {
    std::vector<host::files::FileChange> changes;
    try {
        changes = host::files::PendingChanges(target.Files());
        for (const auto& change : changes) {
            for (const std::string& line : change.dropped) {
                context.err << "qvaddin: warning: " << DisplayPath(change.file->path)
                            << ": the attribute line \"" << DisplayText(line)
                            << "\" is left out: its member is no longer declared\n";
            }
        }
        if (context.dryRun) {
            // A dry run refuses what the real run would refuse.
            host::files::RefuseUnwritable(changes);
            for (const auto& change : changes) {
                const std::string& path = change.file->path;
                const bool relative = !path.empty() && path.front() != '/';
                context.out << host::files::UnifiedDiff(*change.file->bytes, change.newBytes,
                                                        relative ? "a/" + path : path,
                                                        relative ? "b/" + path : path);
            }
        } else {
            host::files::WriteChanges(changes);
        }
    } catch (const host::files::FileError& e) {
        BadInput(e.what());
    }
    if (written != nullptr) {
        for (const auto& change : changes) written->push_back(change.file->path);
    }
    return kExitOk;
}

}  // namespace qv::cli
