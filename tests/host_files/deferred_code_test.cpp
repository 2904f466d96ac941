// A load that leaves the modules' code unread until it is wanted: the header
// read alone finds every fault the whole read finds, at the same line, and
// code read later is the code a whole load reads; a search reads only the
// modules whose bytes may hold a hit and finds what it finds in a whole load.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <mutex>
#include <set>
#include <sstream>

#include "find/find_search.h"
#include "host/files/file_error.h"
#include "host/files/module_file.h"
#include "host/files/module_loader.h"
#include "host/files/module_writer.h"
#include "host/files/project_loader.h"
#include "host_files/files_fixture.h"
#include "host_files/module_texts.h"
#include "platform/code_page.h"
#include "platform/unicode_text.h"

namespace qv::test {
namespace {

using host::files::FileError;
using host::files::ParsedModule;

// A form whose designer block runs past the first lines (32) a header read
// takes at once, and past four times as many; closed or not, with its VB_Name line or without.
std::vector<std::string> LongDesigner(int controls, bool closed = true, bool named = true) {
    std::vector<std::string> lines{"VERSION 5.00", "Begin VB.Form frmBig ", "   Caption = \"Big\""};
    for (int i = 0; i < controls; ++i) {
        lines.push_back("   Begin VB.TextBox txt" + std::to_string(i) + " ");
        lines.push_back("      Text = \"" + std::to_string(i) + "\"");
        lines.push_back("   End");
    }
    if (closed) lines.push_back("End");
    if (named) lines.push_back("Attribute VB_Name = \"frmBig\"");
    return lines;
}

std::vector<std::string> Plus(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What a parse tells of the header and where the code starts, or its error
// (the designer's controls apart: the header read alone skims the block).
template <typename Parse>
std::string Outcome(Parse parse, const std::string& bytes) {
    try {
        const ParsedModule m = parse("m.frm", std::make_shared<const std::string>(bytes));
        std::ostringstream out;
        out << "name " << m.header.vbName << " lines " << m.headerLines << " code at "
            << m.codeOffset << " break " << m.headerEndsWithBreak << " designer "
            << m.header.hasDesigner << "/" << m.header.designer.className << "/"
            << m.header.designer.name << " class "
            << m.header.hasClassBlock << "/" << m.header.classBlock.size();
        for (const auto& [key, value] : m.header.attributes) out << " " << key << "=" << value;
        return out.str();
    } catch (const FileError& e) {
        return "error at " + std::to_string(e.Line()) + ": " + e.what();
    }
}

// Texts whose header is read from its first lines alone while the rest
// still matters: the header ends where the text ends (with a break, without
// one, a CR alone), lines broken by CR alone, a designer block of more than
// a thousand lines, and faults (a NUL byte, a line too long, one byte past
// ASCII) far below a header that ends early.
std::vector<std::string> LinesSplitAsRead() {
    const std::vector<std::string> bas{"Attribute VB_Name = \"m\"", "Sub A()", "End Sub"};
    const std::vector<std::string> longForm = Plus(LongDesigner(400), SampleCode("x"));
    std::vector<std::string> texts{
        "Attribute VB_Name = \"m\"\r",
        "Attribute VB_Name = \"m\"\r\r",
        "\xEF\xBB\xBF" "Attribute VB_Name = \"m\"",
        Joined(bas, "\r"),
        Joined(Plus(LongDesigner(50), SampleCode("x")), "\r"),
        Joined(LongDesigner(50), "\r", false),
        Joined(LongDesigner(50), "\r"),
        Joined(longForm),
        Joined(longForm, "\n", false),
        Joined(Plus(LongDesigner(400, false), {"Attribute VB_Name = \"frmBig\""})),
    };
    // A line of the most bytes allowed and one of a byte more, crossing
    // every place where the scan of the whole text splits it.
    for (size_t lead : {size_t{0}, size_t{100}, size_t{32760}, size_t{40000}}) {
        for (size_t length : {size_t{65536}, size_t{65537}}) {
            texts.push_back(Joined(Plus(bas, {std::string(lead, 'a'), std::string(length, 'x')})));
            texts.push_back(Joined(Plus(bas, {std::string(lead, 'a'), std::string(length, 'x')}),
                                   "\r\n", false));
        }
    }
    const std::string header = Joined(bas);
    const std::string code = Joined(SampleCode("x"));
    for (size_t at : {size_t{0}, code.size() / 2, code.size() - 1}) {
        for (char c : {'\0', '\xE9'}) {
            std::string marked = header + code;
            marked[header.size() + at] = c;
            texts.push_back(marked);
        }
    }
    return texts;
}

TEST(ModuleHeader, TellsWhetherEveryByteIsAscii) {
    for (const std::string& text : LinesSplitAsRead()) {
        std::optional<bool> ascii;
        try {
            ascii = host::files::ParseModuleHeader("m.frm", std::make_shared<const std::string>(text))
                        .ascii;
        } catch (const FileError&) {
            continue;
        }
        ASSERT_TRUE(ascii.has_value());
        EXPECT_EQ(*ascii, text::IsAscii(text)) << "for " << text.substr(0, 60);
    }
}

TEST(ModuleHeader, ReadsWhatTheWholeReadReadsAndFailsWhereItFails) {
    const std::string bas = Joined({"Attribute VB_Name = \"m\"", "Sub A()", "End Sub"});
    std::vector<std::string> texts{
        bas,
        "\xEF\xBB\xBF" + bas,
        Joined({"Attribute VB_Name = \"m\""}, "\n"),
        "Attribute VB_Name = \"m\"",
        "Attribute VB_Name = \"m\"\r\n",
        Joined(Plus(LongDesigner(50), SampleCode("x"))),
        Joined(Plus(LongDesigner(150), SampleCode("x")), "\n"),
        Joined(LongDesigner(50), "\r\n", false),
        // A header of many blank lines, its VB_Name line far down.
        Joined(Plus(std::vector<std::string>(300, ""), {"Attribute VB_Name = \"m\"", "Sub A()"})),
        // Faults: none of them may be found other than by the whole read.
        "",
        "Attribute VB_Name = \"m\"\r\n" + std::string(1, '\0') + "\r\n",
        Joined(Plus(Plus({"Attribute VB_Name = \"m\""}, std::vector<std::string>(150, "' x")),
                    {std::string(70000, 'x'), "' y"})),
        Joined(Plus(LongDesigner(2), {"   Caption = \"" + std::string(70000, 'c') + "\""})),
        Joined(Plus(LongDesigner(50, false), {"Attribute VB_Name = \"frmBig\"", "Sub A()"})),
        Joined(Plus(LongDesigner(50, true, false), {"Sub A()", "End Sub"})),
        Joined(Plus(std::vector<std::string>(200, ""), {"Sub A()"})),
        Joined(Plus({"VERSION 1.0 CLASS", "BEGIN"},
                    std::vector<std::string>(200, "  MultiUse = -1  'True"))),
    };
    for (const ModuleKind& kind : EveryModuleKind()) {
        texts.push_back(Joined(Plus(kind.header, SampleCode("\x81\x5F"))));
    }
    for (const std::string& text : LinesSplitAsRead()) texts.push_back(text);
    for (const std::string& text : texts) {
        const std::string whole = Outcome(host::files::ParseModuleFile, text);
        EXPECT_EQ(Outcome(host::files::ParseModuleHeader, text), whole)
            << "for " << text.substr(0, 60);
    }
    const ParsedModule header =
        host::files::ParseModuleHeader("m.bas", std::make_shared<const std::string>(bas));
    EXPECT_FALSE(header.codeRead);
    EXPECT_TRUE(header.code.empty());
    EXPECT_TRUE(
        host::files::ParseModuleFile("m.bas", std::make_shared<const std::string>(bas)).codeRead);

    // The skimmed designer block keeps no controls or properties; the whole
    // read keeps every one.
    const auto form = std::make_shared<const std::string>(Joined(LongDesigner(150)));
    const ParsedModule skimmed = host::files::ParseModuleHeader("m.frm", form);
    EXPECT_FALSE(skimmed.header.designerContentsRead);
    EXPECT_TRUE(skimmed.header.designer.controls.empty());
    EXPECT_TRUE(skimmed.header.designer.properties.empty());
    const ParsedModule whole = host::files::ParseModuleFile("m.frm", form);
    EXPECT_TRUE(whole.header.designerContentsRead);
    EXPECT_EQ(whole.header.designer.controls.size(), 150u);
    EXPECT_EQ(whole.header.designer.properties.size(), 1u);
}

// A project of every module kind (the standard module with an attribute
// line of a member it does not declare), a module with a NUL byte and one
// with a line far too long.
void WriteProject(const TempFolder& folder) {
    std::vector<ModuleKind> kinds = EveryModuleKind();
    for (const ModuleKind& kind : kinds) {
        std::vector<std::string> code = SampleCode("\xE9");
        if (kind.fileName == "modA.bas") code.push_back("Attribute Gone.VB_Description = \"x\"");
        folder.Write(kind.fileName, Joined(Plus(kind.header, code), kind.fileName == "CThing.cls"
                                                                       ? "\n"
                                                                       : "\r\n"));
    }
    folder.Write("modNul.bas", "Attribute VB_Name = \"modNul\"\r\nx" + std::string(1, '\0'));
    folder.Write("modLong.bas", Joined({"Attribute VB_Name = \"modLong\"", std::string(70000, 'x')}));
    kinds.push_back({"Module", "modNul.bas", "modNul", 0, {}});
    kinds.push_back({"Module", "modLong.bas", "modLong", 0, {}});
    folder.Write("p.vbp", Joined(ProjectLines(kinds)));
}

LoadedFiles LoadProject(const TempFolder& folder, bool defer, text::CodePage page = {},
                        host::files::CodeFilter filter = {}) {
    LoadedFiles loaded;
    loaded.vbe = std::make_unique<host::memory::MemoryVbe>();
    loaded.vbe->SetTextCodePage(page);
    loaded.workspace = std::make_unique<host::files::Workspace>(*loaded.vbe);
    loaded.workspace->SetCheckProcedures(false);
    loaded.workspace->SetDeferCode(defer);
    loaded.workspace->SetCodeFilter(std::move(filter));
    host::files::LoadTargets(*loaded.workspace, {folder.File("p.vbp")});
    return loaded;
}

// The component's own properties and its designer's controls with theirs.
std::string DesignerContents(host::memory::MemoryComponent& component) {
    std::string text;
    const auto properties = [&](host::Properties& list) {
        for (long i = 1; i <= list.Count(); ++i) {
            text += " " + list.Item(i).Name() + "=" + list.Item(i).Value();
        }
        text += "\n";
    };
    properties(component.Props());
    if (host::Designer* designer = component.Designer()) {
        for (long i = 1; i <= designer->VBControls().Count(); ++i) {
            auto& control =
                static_cast<host::memory::MemoryControl&>(designer->VBControls().Item(i));
            text += control.ControlName() + ":";
            properties(control.Properties());
        }
    }
    return text;
}

std::vector<std::string> Lines(host::memory::MemoryCodeModule& code) {
    std::vector<std::string> lines;
    for (long l = 1; l <= code.CountOfLines(); ++l) lines.emplace_back(code.Lines(l, 1));
    return lines;
}

std::string HiddenLines(host::memory::MemoryCodeModule& code) {
    std::string text;
    for (const std::string& member : code.MembersWithHiddenAttributes()) {
        for (const auto& line : *code.HiddenAttributes(member)) {
            text += member + ":" + std::to_string(line.anchorKind) + ":" + std::to_string(line.occurrence) + ":" + line.text + "\n";
        }
    }
    return text;
}

TEST(DeferredCode, CodeReadLaterIsTheCodeAWholeLoadReads) {
    TempFolder folder;
    WriteProject(folder);
    LoadedFiles whole = LoadProject(folder, false);
    LoadedFiles later = LoadProject(folder, true);
    ASSERT_TRUE(later.workspace->DefersCode());

    // The broken modules are found all the same, in the same place.
    const auto& broken = later.workspace->BrokenModules();
    ASSERT_EQ(broken.size(), 2u);
    ASSERT_EQ(whole.workspace->BrokenModules().size(), 2u);
    for (size_t i = 0; i < broken.size(); ++i) {
        const host::files::BrokenModule& expected = whole.workspace->BrokenModules()[i];
        EXPECT_EQ(broken[i].message, expected.message);
        EXPECT_EQ(broken[i].line, expected.line);
        EXPECT_EQ(broken[i].position, expected.position);
    }

    for (const ModuleKind& kind : EveryModuleKind()) {
        SCOPED_TRACE(kind.fileName);
        host::memory::MemoryComponent& component = later.Component(kind.name);
        host::memory::MemoryCodeModule& code = *component.Code();
        EXPECT_EQ(component.Type(), whole.Component(kind.name).Type());
        EXPECT_EQ(code.CountOfLines(), 0);
        EXPECT_TRUE(later.File(kind.name).codeDeferred);
        if (component.Designer() != nullptr) {
            EXPECT_EQ(component.Designer()->VBControls().Count(), 0);
        }

        // A test that fails leaves the code unread.
        EXPECT_FALSE(host::files::LoadDeferredCode(*later.workspace, component,
                                                   [](std::string_view) { return false; }));
        EXPECT_EQ(code.CountOfLines(), 0);

        std::string asked;
        EXPECT_TRUE(host::files::LoadDeferredCode(*later.workspace, component,
                                                  [&](std::string_view text) {
                                                      asked = text;
                                                      return true;
                                                  }));
        const host::files::ModuleFile& file = later.File(kind.name);
        EXPECT_EQ(asked, file.bytes->substr(file.codeOffset));
        EXPECT_FALSE(file.codeDeferred);

        host::memory::MemoryCodeModule& expected = whole.Code(kind.name);
        EXPECT_EQ(Lines(code), Lines(expected));
        EXPECT_EQ(HiddenLines(code), HiddenLines(expected));
        EXPECT_EQ(DesignerContents(component), DesignerContents(whole.Component(kind.name)));
        const host::files::ModuleFile& expectedFile = whole.File(kind.name);
        EXPECT_EQ(file.ending, expectedFile.ending);
        EXPECT_EQ(file.finalBreak, expectedFile.finalBreak);
        EXPECT_EQ(file.loadedAttributes.size(), expectedFile.loadedAttributes.size());
        EXPECT_EQ(host::files::RenderModuleFile(file).bytes, *file.bytes);

        // Read once: the test is not asked again.
        EXPECT_TRUE(host::files::LoadDeferredCode(*later.workspace, component,
                                                  [](std::string_view) {
                                                      ADD_FAILURE() << "asked again";
                                                      return false;
                                                  }));
    }
    // The attribute line of a member the module does not declare stays a code line.
    EXPECT_EQ(Lines(later.Code("modA")).back(), "Attribute Gone.VB_Description = \"x\"");
}

// A load that hands each module on as soon as it is in its project: the
// modules come in the project's order, each with its code as a whole load
// reads it, and one let go there keeps an empty code module and no bytes
// while the modules after it load as ever.
TEST(ModuleLoaded, EachModuleIsHandedOnWholeInOrderAndMayBeLetGo) {
    TempFolder folder;
    WriteProject(folder);
    LoadedFiles whole = LoadProject(folder, false);
    LoadedFiles loaded;
    loaded.vbe = std::make_unique<host::memory::MemoryVbe>();
    loaded.workspace = std::make_unique<host::files::Workspace>(*loaded.vbe);
    loaded.workspace->SetCheckProcedures(false);
    std::vector<std::string> order;
    loaded.workspace->SetModuleLoaded(
        [&](host::files::Workspace& workspace, host::memory::MemoryComponent& component) {
            order.push_back(component.Name());
            SCOPED_TRACE(component.Name());
            EXPECT_EQ(Lines(*component.Code()), Lines(whole.Code(component.Name())));
            EXPECT_EQ(HiddenLines(*component.Code()), HiddenLines(whole.Code(component.Name())));
            ASSERT_NE(workspace.FileOf(component), nullptr);
            // Every other module is let go.
            if (order.size() % 2 == 1) host::files::ReleaseLoadedCode(workspace, component);
        });
    host::files::LoadTargets(*loaded.workspace, {folder.File("p.vbp")});

    std::vector<std::string> expected;
    for (const ModuleKind& kind : EveryModuleKind()) expected.push_back(kind.name);
    EXPECT_EQ(order, expected);
    ASSERT_EQ(loaded.workspace->BrokenModules().size(), 2u);
    for (size_t i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(order[i]);
        const bool released = i % 2 == 0;
        host::memory::MemoryCodeModule& code = loaded.Code(order[i]);
        EXPECT_EQ(code.CountOfLines(), released ? 0 : whole.Code(order[i]).CountOfLines());
        EXPECT_EQ(code.LoadedBuffers().empty(), released);
        EXPECT_EQ(loaded.File(order[i]).bytes == nullptr, released);
        EXPECT_EQ(loaded.File(order[i]).loadedAttributeBreaks.empty(),
                  released || whole.File(order[i]).loadedAttributeBreaks.empty());
    }
}

TEST(DeferredCode, OnlyALoadThatDoesNotCheckProceduresDefers) {
    host::memory::MemoryVbe vbe;
    host::files::Workspace workspace(vbe);
    using host::files::CodeReading;
    EXPECT_EQ(host::files::ReadingFor(workspace), CodeReading::Indexed);
    workspace.SetDeferCode(true);
    EXPECT_FALSE(workspace.DefersCode());
    EXPECT_EQ(host::files::ReadingFor(workspace), CodeReading::Indexed);
    workspace.SetCheckProcedures(false);
    EXPECT_TRUE(workspace.DefersCode());
    EXPECT_EQ(host::files::ReadingFor(workspace), CodeReading::Deferred);
    workspace.SetDeferCode(false);
    EXPECT_EQ(host::files::ReadingFor(workspace), CodeReading::Lines);
}

std::string Dump(const find::FindTree& tree) {
    std::ostringstream out;
    tree.Walk([&](long, const find::FindNode& node, int depth) {
        out << std::string(static_cast<size_t>(depth) * 2, ' ') << node.text << " | " << node.key
            << " | " << node.codePage.Number() << '\n';
    });
    return out.str();
}

// Twenty modules (enough to be searched side by side), a few of which hold
// the word, in either case, as a whole word or in a longer one; one written
// in UTF-8, the others in the run's Shift-JIS.
void WriteSearchedProject(const TempFolder& folder) {
    std::vector<ModuleKind> kinds;
    for (int i = 1; i <= 20; ++i) {
        const std::string name = "m" + std::to_string(i);
        std::vector<std::string> code{"Option Explicit", "Public Sub Go" + name + "()",
                                      "    Dim result As Long", "    result = " + name.substr(1),
                                      "End Sub"};
        if (i == 3) code[3] = "    result = Zyzzyva + Zyzzyva ' \x95\x5C";
        if (i == 9) code.insert(code.begin() + 1, "' zyzzyva");
        if (i == 11) code[2] = "    Dim Zyzzyvas As Long";
        if (i == 17) code.push_back("Attribute Zyzzyva.VB_Description = \"Zyzzyva\"");
        if (i == 18) code[1] = "' \xE8\xA1\xA8 Zyzzyva";  // UTF-8
        folder.Write(name + ".bas", Joined(Plus({"Attribute VB_Name = \"" + name + "\""}, code)));
        kinds.push_back({"Module", name + ".bas", name, 0, {}});
    }
    folder.Write("p.vbp", Joined(ProjectLines(kinds)));
}

TEST(DeferredCode, ASearchReadsOnlyTheModulesThatMayHoldAHit) {
    TempFolder folder;
    WriteSearchedProject(folder);
    const text::CodePage shiftJis = *text::CodePage::Named("932");
    struct Case {
        std::string what;
        bool wholeWord, matchCase, pattern, firstPerLine;
        std::set<std::string> read;  // the modules a search reads
    };
    const std::set<std::string> all = [] {
        std::set<std::string> names;
        for (int i = 1; i <= 20; ++i) names.insert("m" + std::to_string(i));
        return names;
    }();
    const std::vector<Case> cases{
        {"Zyzzyva", true, false, false, false, {"m3", "m9", "m11", "m17", "m18"}},
        {"Zyzzyva", false, true, false, true, {"m3", "m11", "m17", "m18"}},
        {"zyzzyva", false, true, false, false, {"m9"}},
        {"Zyz*a", false, false, true, false, all},
        {"\xE8\xA1\xA8", false, false, false, false, {"m3", "m18"}},
        {"Absent", false, false, false, false, {}},
        {"result", true, false, false, false, all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        find::FindOptions options;
        options.wholeWord = c.wholeWord;
        options.matchCase = c.matchCase;
        options.patternSearch = c.pattern;
        options.firstPerLine = c.firstPerLine;
        options.codePage = shiftJis;

        LoadedFiles whole = LoadProject(folder, false, shiftJis);
        find::FindTree expected;
        find::SearchProjects(*whole.vbe, c.what, options, expected);

        // Loaded with the code deferred, and again with every module's code
        // dropped as it is read (to be read again when it is wanted, if it
        // may hold a hit): each search reads the same modules and finds what
        // the whole load finds.
        for (const bool filtered : {false, true}) {
            SCOPED_TRACE(filtered ? "filtered while read" : "deferred");
            LoadedFiles later = LoadProject(folder, true, shiftJis,
                                            filtered ? find::ModuleTextTest(c.what, options)
                                                     : host::files::CodeFilter{});
            if (filtered) {
                // Every module keeps its header alone (a pattern, which any
                // text may match, filters nothing: the modules are kept
                // whole); those that may hold a hit are marked to be read
                // again.
                const auto test = find::ModuleTextTest(c.what, options);
                for (int i = 1; i <= 20; ++i) {
                    const std::string name = "m" + std::to_string(i);
                    const host::files::ModuleFile& file = later.File(name);
                    const std::string onDisk = folder.Read(name + ".bas");
                    const bool mayHoldHit = c.read.count(name) > 0;
                    EXPECT_EQ(*file.bytes, c.pattern ? onDisk : onDisk.substr(0, file.codeOffset))
                        << name;
                    EXPECT_EQ(file.codeOnDisk, !c.pattern && mayHoldHit) << name;
                    EXPECT_EQ(file.codeOffset, onDisk.find("Option Explicit")) << name;
                    if (test) {
                        EXPECT_EQ(test(std::string_view(onDisk).substr(file.codeOffset), i == 18),
                                  mayHoldHit)
                            << name;
                    }
                }
            }
            std::mutex lock;
            std::set<std::string> read;
            options.readCode = [&](host::VBComponent& component,
                                   const find::FindOptions::ModuleText& mayHoldHit) {
                const bool loaded = host::files::LoadDeferredCode(
                    *later.workspace, static_cast<host::memory::MemoryComponent&>(component),
                    mayHoldHit);
                const std::lock_guard<std::mutex> guard(lock);
                if (loaded) read.insert(component.Name());
                return loaded;
            };
            find::FindTree found;
            find::SearchProjects(*later.vbe, c.what, options, found);
            EXPECT_EQ(Dump(found), Dump(expected));
            EXPECT_EQ(read, c.read);
            options.readCode = {};
        }
        EXPECT_EQ(static_cast<bool>(find::ModuleTextTest(c.what, options)), !c.pattern);
    }
}

// A filter that drops every module's code leaves the broken modules, names,
// types and designers of a deferred load as they were.
TEST(DeferredCode, DroppedCodeLeavesEverythingElseAsLoaded) {
    TempFolder folder;
    WriteProject(folder);
    LoadedFiles kept = LoadProject(folder, true);
    LoadedFiles dropped = LoadProject(folder, true, {}, [](std::string_view, bool) { return false; });
    const auto& broken = dropped.workspace->BrokenModules();
    ASSERT_EQ(broken.size(), kept.workspace->BrokenModules().size());
    for (size_t i = 0; i < broken.size(); ++i) {
        EXPECT_EQ(broken[i].message, kept.workspace->BrokenModules()[i].message);
        EXPECT_EQ(broken[i].position, kept.workspace->BrokenModules()[i].position);
    }
    ASSERT_EQ(dropped.Project().Components().Count(), kept.Project().Components().Count());
    for (const ModuleKind& kind : EveryModuleKind()) {
        SCOPED_TRACE(kind.fileName);
        host::memory::MemoryComponent& component = dropped.Component(kind.name);
        host::memory::MemoryComponent& expected = kept.Component(kind.name);
        EXPECT_EQ(component.Type(), expected.Type());
        EXPECT_EQ(component.FileCount(), expected.FileCount());
        EXPECT_EQ(component.TextCodePage(), expected.TextCodePage());
        EXPECT_EQ(component.Designer() != nullptr, expected.Designer() != nullptr);
        const host::files::ModuleFile& file = dropped.File(kind.name);
        const host::files::ModuleFile& whole = kept.File(kind.name);
        EXPECT_EQ(file.codeOffset, whole.codeOffset);
        EXPECT_EQ(*file.bytes, whole.bytes->substr(0, whole.codeOffset));
        // Its code reads as empty: no test of any text finds a hit in it.
        EXPECT_FALSE(host::files::LoadDeferredCode(*dropped.workspace, component,
                                                   [](std::string_view code) {
                                                       return !code.empty();
                                                   }));
    }
}

// The code of a module that may hold a hit is read from its file again when
// the search wants it: taken while the file keeps the header the load read,
// left unread (no hits) once the file is gone or its header changed.
TEST(DeferredCode, CodeReadAgainIsTakenOnlyUnderTheHeaderLoaded) {
    TempFolder folder;
    WriteSearchedProject(folder);
    find::FindOptions options;
    options.wholeWord = true;
    LoadedFiles loaded = LoadProject(folder, true, {}, find::ModuleTextTest("Zyzzyva", options));
    LoadedFiles whole = LoadProject(folder, false);
    const std::string m11 = folder.Read("m11.bas");
    folder.Write("m11.bas", m11 + "' one line more\r\n");
    folder.Write("m3.bas", "Attribute VB_Name = \"m3x\"\r\nSub A()\r\nEnd Sub\r\n");
    std::remove(folder.File("m9.bas").c_str());
    const auto read = [&](const std::string& name) {
        return host::files::LoadDeferredCode(*loaded.workspace, loaded.Component(name));
    };
    EXPECT_FALSE(read("m3"));
    EXPECT_FALSE(read("m9"));
    EXPECT_EQ(loaded.Code("m3").CountOfLines(), 0);
    EXPECT_TRUE(read("m17"));
    EXPECT_EQ(Lines(loaded.Code("m17")), Lines(whole.Code("m17")));
    EXPECT_EQ(HiddenLines(loaded.Code("m17")), HiddenLines(whole.Code("m17")));
    EXPECT_FALSE(loaded.File("m17").codeOnDisk);
    EXPECT_EQ(*loaded.File("m17").bytes, folder.Read("m17.bas"));
    EXPECT_TRUE(read("m11"));
    std::vector<std::string> grown = Lines(whole.Code("m11"));
    grown.push_back("' one line more");
    EXPECT_EQ(Lines(loaded.Code("m11")), grown);
    // A module that cannot hold a hit reads as empty, whatever its file holds.
    EXPECT_TRUE(read("m1"));
    EXPECT_EQ(loaded.Code("m1").CountOfLines(), 0);
}

// A module whose code below its header gains or loses text in UTF-8 between
// the load and the search is searched, and shown, in the code page of the
// bytes read again: the search finds what a load after the change finds.
// (The character 表 is 95 5C in Shift-JIS and E8 A1 A8 in UTF-8.)
TEST(DeferredCode, CodeReadAgainTellsItsCodePageAnew) {
    const text::CodePage shiftJis = *text::CodePage::Named("932");
    struct Case {
        std::string what, module, line;
    };
    const std::vector<Case> cases{
        {"\xE8\xA1\xA8", "m3", "' \xE8\xA1\xA8 Zyzzyva"},  // gains UTF-8: its bytes are searched
        {"Zyzzyva", "m3", "' \xE8\xA1\xA8 Zyzzyva"},          // and its line shown so
        {"Zyzzyva", "m18", "' \x95\x5C Zyzzyva"},              // loses it: Shift-JIS now
        {"Zyzzyva", "m18", "' Zyzzyva"},                        // plain ASCII now
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module + ": " + c.line);
        TempFolder folder;
        WriteSearchedProject(folder);
        find::FindOptions options;
        options.codePage = shiftJis;
        LoadedFiles loaded =
            LoadProject(folder, true, shiftJis, find::ModuleTextTest(c.what, options));
        ASSERT_TRUE(loaded.File(c.module).codeOnDisk);
        const text::CodePage before = loaded.Component(c.module).TextCodePage();
        // The same header, other code.
        folder.Write(c.module + ".bas", Joined({"Attribute VB_Name = \"" + c.module + "\"",
                                                "Option Explicit", c.line}));
        options.readCode = [&](host::VBComponent& component,
                               const find::FindOptions::ModuleText& mayHoldHit) {
            return host::files::LoadDeferredCode(
                *loaded.workspace, static_cast<host::memory::MemoryComponent&>(component),
                mayHoldHit);
        };
        find::FindTree found;
        find::SearchProjects(*loaded.vbe, c.what, options, found);
        options.readCode = {};

        LoadedFiles after = LoadProject(folder, false, shiftJis);
        find::FindTree expected;
        find::SearchProjects(*after.vbe, c.what, options, expected);
        const std::string expectedText = Dump(expected);
        EXPECT_NE(expectedText.find("key" + after.Project().Name() + "/" + c.module + "/"),
                  std::string::npos);
        EXPECT_EQ(Dump(found), expectedText);
        const text::CodePage now = after.Component(c.module).TextCodePage();
        EXPECT_NE(now, before);
        EXPECT_EQ(loaded.Component(c.module).TextCodePage(), now);
    }
}

}  // namespace
}  // namespace qv::test
