#include "lsp/symbols.h"

#include <QJsonObject>
#include <algorithm>
#include <map>
#include <optional>

#include "analysis/routine_parsing.h"
#include "errorhandling/module_counts.h"
#include "host/host_constants.h"
#include "errorhandling/status_findings.h"
#include "lsp/module_locator.h"
#include "stats/module_figures.h"

namespace qv::lsp {

namespace {

using host::memory::MemoryComponent;

// The protocol's symbol kinds.
enum SymbolKind : int { kMethod = 6, kProperty = 7, kFunction = 12 };

analysis::RoutineList Routines(MemoryComponent& component) {
    analysis::RoutineList routines;
    if (component.CodeModule() == nullptr) return routines;
    analysis::GetRoutineNames(component.Collection().Parent().VBE(),
                              component.Collection().Parent().Name(), component.Name(), routines,
                              false);
    if (!routines.empty()) routines.erase(routines.begin());  // the declarations
    // In the order of the code (the list keeps a property's accessors together).
    host::CodeModule& code = *component.CodeModule();
    std::vector<std::pair<long, analysis::RoutineEntry>> placed;
    for (analysis::RoutineEntry& routine : routines) {
        const analysis::RoutineCopyScope copy(code, routine);
        placed.emplace_back(code.ProcBodyLine(routine.name, routine.kind), std::move(routine));
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    routines.clear();
    for (auto& entry : placed) routines.push_back(std::move(entry.second));
    return routines;
}

int KindOf(MemoryComponent& component, const analysis::RoutineEntry& routine) {
    if (routine.kind != host::vbext_pk_Proc) return kMethod;
    return component.Type() == host::vbext_ct_StdModule ? kFunction : kMethod;
}

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The routine's lines in the document and its name on its declaration line.
QJsonObject RoutineSymbol(DocumentModule& module, const analysis::RoutineEntry& routine,
                          const TextDocument& text, int kind) {
    host::CodeModule& code = *module.Component()->CodeModule();
    const analysis::RoutineCopyScope copy(code, routine);
    const long start = code.ProcStartLine(routine.name, routine.kind);
    const long end = start + code.ProcCountLines(routine.name, routine.kind) - 1;
    const int declaration = module.DocumentLine(code.ProcBodyLine(routine.name, routine.kind));
    const int last = module.DocumentLine(end);
    const QString name = QString::fromUtf8(routine.name);
    const QString line = text.Line(declaration);
    qsizetype at = 0;
    for (qsizetype from = 0; (at = line.indexOf(name, from, Qt::CaseInsensitive)) >= 0;
         from = at + 1) {
        const bool before = at == 0 || !IsWordChar(line[at - 1]);
        const bool after = at + name.size() >= line.size() || !IsWordChar(line[at + name.size()]);
        if (before && after) break;
    }
    if (at < 0) at = 0;
    const std::string type = analysis::GetRoutineType(code, routine.name, routine.kind);
    const std::string word = analysis::KindWord(routine.kind);
    return QJsonObject{
        {"name", kind == kProperty ? QString::fromStdString(word) + " " + name : name},
        {"detail", QString::fromStdString(word.empty() ? type : type + " " + word)},
        {"kind", kind == kProperty ? kMethod : kind},
        {"range", RangeJson({module.DocumentLine(start), 0},
                            {last, static_cast<int>(text.Line(last).size())})},
        {"selectionRange",
         RangeJson({declaration, static_cast<int>(at)},
                   {declaration, static_cast<int>(at + name.size())})}};
}

}  // namespace

QJsonArray DocumentSymbols(OpenDocument& document) {
    QJsonArray symbols;
    DocumentModule* module = document.Module();
    if (module == nullptr) return symbols;
    MemoryComponent& component = *module->Component();
    // A property is one symbol with its accessors as children, in the place
    // of its first accessor (each copy of a property defined more than once
    // is one).
    std::map<std::pair<std::string, long>, qsizetype> properties;
    for (const analysis::RoutineEntry& routine : Routines(component)) {
        if (routine.kind == host::vbext_pk_Proc) {
            symbols.append(RoutineSymbol(*module, routine, document.Text(),
                                         KindOf(component, routine)));
            continue;
        }
        const QJsonObject accessor = RoutineSymbol(*module, routine, document.Text(), kProperty);
        const auto [it, added] =
            properties.try_emplace({routine.name, routine.copy}, symbols.size());
        if (added) {
            symbols.append(QJsonObject{{"name", QString::fromUtf8(routine.name +
                                                                  analysis::CopySuffix(routine.copy))},
                                       {"detail", "Property"},
                                       {"kind", kProperty},
                                       {"range", accessor.value("range")},
                                       {"selectionRange", accessor.value("selectionRange")},
                                       {"children", QJsonArray{}}});
        }
        QJsonObject property = symbols.at(it->second).toObject();
        QJsonArray children = property.value("children").toArray();
        children.append(accessor);
        property.insert("children", children);
        // The property spans its accessors.
        QJsonObject range = property.value("range").toObject();
        const QJsonObject end = accessor.value("range").toObject().value("end").toObject();
        if (end.value("line").toInt() > range.value("end").toObject().value("line").toInt()) {
            range.insert("end", end);
            property.insert("range", range);
        }
        symbols.replace(it->second, property);
    }
    return symbols;
}

QJsonArray WorkspaceSymbols(const std::vector<workspace::LoadedTarget*>& targets,
                            const QString& query) {
    QJsonArray symbols;
    for (workspace::LoadedTarget* target : targets) {
        ModuleLocator locator(*target);
        for (host::memory::MemoryProject* project : target->Projects()) {
            for (MemoryComponent* component : workspace::LoadedTarget::Components(*project)) {
                if (component->CodeModule() == nullptr) continue;
                host::CodeModule& code = *component->CodeModule();
                for (const analysis::RoutineEntry& routine : Routines(*component)) {
                    const text::CodePage page = code.TextCodePage();
                    const QString name = QString::fromStdString(text::ToUtf8(routine.name, page));
                    if (!name.contains(query, Qt::CaseInsensitive)) continue;
                    const analysis::RoutineCopyScope copy(code, routine);
                    const long line = code.ProcBodyLine(routine.name, routine.kind);
                    const auto location = locator.Location(*component, line, 1, line, 1);
                    if (!location) continue;
                    symbols.append(QJsonObject{
                        {"name", name},
                        {"kind", routine.kind == host::vbext_pk_Proc ? KindOf(*component, routine)
                                                                     : kProperty},
                        {"location", *location},
                        {"containerName",
                         QString::fromStdString(text::ToUtf8(component->Name(), page))}});
                }
            }
        }
    }
    return symbols;
}

QString WordAt(const TextDocument& document, Position position) {
    const QString line = document.Line(position.line);
    qsizetype start = std::min<qsizetype>(position.character, line.size());
    qsizetype end = start;
    while (start > 0 && IsWordChar(line[start - 1])) --start;
    while (end < line.size() && IsWordChar(line[end])) ++end;
    return line.mid(start, end - start);
}

QJsonValue Hover(OpenDocument& document, Position position,
                 const settings::SettingsRecord& settings) {
    DocumentModule* module = document.Module();
    const QString word = WordAt(document.Text(), position);
    if (module == nullptr || word.isEmpty()) return QJsonValue();
    host::CodeModule& code = *module->Component()->CodeModule();
    // The accessor whose lines hold the position, else the routine's first.
    const long codeLine = module->CodeLine(position.line);
    int kindHere = -1;
    const std::string routineHere = codeLine > 0 ? code.ProcOfLine(codeLine, kindHere) : "";
    const long copyHere = codeLine > 0 ? code.ProcCopyOfLine(codeLine) : 0;
    std::optional<analysis::RoutineEntry> found;
    for (const analysis::RoutineEntry& routine : Routines(*module->Component())) {
        if (QString::fromUtf8(routine.name).compare(word, Qt::CaseInsensitive) != 0) continue;
        if (!found || (routine.name == routineHere && routine.kind == kindHere &&
                       routine.copy == copyHere)) {
            found = routine;
        }
    }
    if (!found) return QJsonValue();
    const analysis::RoutineStatusRow row = analysis::JudgeRoutine(code, *found, true, settings);
    const stats::RoutineFigures figures = stats::GetRoutineFigures(code, *found);
    const std::string kind = analysis::KindWord(found->kind);
    QString text = "**" + QString::fromUtf8(found->name + analysis::CopySuffix(found->copy)) + "**" +
                   (kind.empty() ? QString() : " (" + QString::fromStdString(kind) + ")") +
                   "\n\n";
    auto statusLine = [&](const char* label, bool top) {
        const QString meaning = QString::fromStdString(analysis::StatusMeaning(row, top));
        const int value = top ? row.status.top : row.status.exit;
        return QString(label) + ": " + QString::fromStdString(analysis::StatusString(value)) +
               (meaning.isEmpty() ? QString() : " (" + meaning + ")") + "  \n";
    };
    text += statusLine("Top Status", true) + statusLine("Exit Status", false);
    text += QString("\nLines: %1 total, %2 blank, %3 comments, %4 code")
                .arg(figures.totalLines)
                .arg(figures.blank)
                .arg(figures.comments)
                .arg(figures.actualCode);
    return QJsonObject{{"contents", QJsonObject{{"kind", "markdown"}, {"value", text}}}};
}

}  // namespace qv::lsp
