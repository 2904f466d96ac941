// The module loader on any bytes, in any code page (the first byte picks
// the file's type and the run's code page): a module file either loads or
// is recorded as broken, never a crash; every routine of a loaded module
// answers the questions the engines ask; its header read alone tells what
// the whole read tells; a search never stops inside a
// character; an unedited module counts as unchanged; and what the writer
// would write for it loads again and is written the same.

#include <exception>

#include "analysis/routine_parsing.h"
#include "analysis/routine_shape.h"
#include "fuzz_setup.h"
#include "host/files/file_error.h"
#include "host/files/module_file.h"
#include "host/files/module_loader.h"
#include "host/files/module_writer.h"

namespace {

using namespace qv;

struct Loaded {
    explicit Loaded(text::CodePage page) { vbe.SetTextCodePage(page); }
    host::memory::MemoryVbe vbe;
    host::files::Workspace workspace{vbe};
    const host::files::ModuleFile* file = nullptr;
};

// What a read of the bytes tells of the header, or the error it stops at.
// Not the designer's controls: the header read alone passes over them (they
// are read with the code, when it is read).
template <typename Parse>
std::string ReadOutcome(Parse parse, const std::string& path, std::string_view bytes) {
    try {
        const host::files::ParsedModule m = parse(path, std::make_shared<std::string>(bytes));
        return m.header.vbName + "/" + std::to_string(m.headerLines) + "/" +
               std::to_string(m.codeOffset) + "/" + std::to_string(m.headerEndsWithBreak) + "/" +
               std::to_string(m.header.attributes.size());
    } catch (const host::files::FileError& e) {
        return std::to_string(e.Line()) + " " + e.what();
    }
}

// Loads the bytes as the module file at path; file stays nullptr when the
// module is broken. The header read alone (a load that defers the code)
// reads the same header, or fails with the same error.
void Load(Loaded& loaded, const std::string& path, std::string_view bytes) {
    fuzz::ExpectSame(ReadOutcome(host::files::ParseModuleFile, path, bytes),
                     ReadOutcome(host::files::ParseModuleHeader, path, bytes),
                     "the header read alone tells what the whole read tells");
    host::files::ReadModule read;
    try {
        read.parsed = host::files::ParseModuleFile(path, std::make_shared<std::string>(bytes));
    } catch (...) {
        read.error = std::current_exception();
    }
    host::memory::MemoryProject& project = loaded.vbe.AddProject("Fuzz");
    host::files::LoadModuleOrRecord(loaded.workspace, project, path, 0, std::move(read), "");
    if (loaded.workspace.BrokenModules().empty())
        loaded.file = loaded.workspace.Files().front().get();
}

void AskEveryRoutine(Loaded& loaded) {
    host::memory::MemoryComponent& component = *loaded.file->component;
    analysis::RoutineList routines;
    analysis::GetRoutineNames(loaded.vbe, "Fuzz", component.Name(), routines, false);
    host::CodeModule& code = *component.CodeModule();
    for (size_t i = 1; i < routines.size(); ++i) {
        const analysis::RoutineCopyScope copy(code, routines[i]);
        const analysis::RoutineSpan span =
            analysis::FirstAndLast(code, routines[i].name, routines[i].kind);
        fuzz::Expect(span.startLine >= 1 && span.afterDeclarationLine > span.startLine,
                     "a routine's span lies in order");
        analysis::ChangeRefusal(code, routines[i].name, routines[i].kind);
        analysis::GetRoutineType(code, routines[i].name, routines[i].kind);
        analysis::ParameterList(code.Members().Item(routines[i].name), routines[i].kind, true);
    }
}

// Every hit of the text (two bytes from the input's middle) starts and ends on a
// character of the module's code page.
void SearchWholeCharacters(Loaded& loaded, std::string_view target) {
    host::CodeModule& code = *loaded.file->component->CodeModule();
    const text::CodePage page = code.TextCodePage();
    long sl = 1, sc = 1, el = -1, ec = -1;
    for (int hits = 0; hits < 100 && code.Find(target, sl, sc, el, ec, false, false, false);
         ++hits) {
        const std::string line = code.Lines(sl, 1);
        fuzz::Expect(text::StartsCharacter(line, static_cast<size_t>(sc - 1), page) &&
                         text::StartsCharacter(line, static_cast<size_t>(ec - 1), page),
                     "a hit holds whole characters");
        ++sc;
        el = ec = -1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* const kPaths[] = {"m.bas", "c.cls", "f.frm"};
    const std::string path = kPaths[data[0] % 3];
    const text::CodePage page = fuzz::CodePageOf(data[0] / 3u);
    const std::string_view bytes = fuzz::Bytes(data + 1, size - 1);
    Loaded first(page);
    Load(first, path, bytes);
    if (first.file == nullptr) return 0;
    AskEveryRoutine(first);
    SearchWholeCharacters(first, bytes.substr(bytes.size() / 2, 2));
    fuzz::Expect(!host::files::ModuleEdited(*first.file), "an unedited module counts as changed");
    const std::string written = host::files::RenderModuleFile(*first.file).bytes;
    Loaded again(page);
    Load(again, path, written);
    fuzz::Expect(again.file != nullptr, "what the writer writes loads again");
    fuzz::Expect(host::files::RenderModuleFile(*again.file).bytes == written,
                 "what the writer writes is written the same once read again");
    return 0;
}
