#pragma once
// The in-memory code host: projects holding components holding code modules,
// with procedures found from their declaration lines as the IDE finds them.
// It is the model under the command-line tool, the workbench and the tests.
// VB6 files are read into it and written back from it elsewhere.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/code_host.h"
#include "host/memory/line_store.h"
#include "host/memory/member_attribute_lines.h"
#include "host/memory/procedure_index.h"

namespace qv::host::memory {

class MemoryVbe;
class MemoryProject;
class MemoryComponent;
class MemoryCodeModule;
class MemoryWindow;

class MemoryProperty : public Property {
  public:
    MemoryProperty(std::string name, std::string value)
        : name_(std::move(name)), value_(std::move(value)) {}
    std::string Name() const override { return name_; }
    std::string Value() const override { return value_; }
    void SetValue(std::string_view value) override { value_ = value; }

  private:
    std::string name_;
    std::string value_;
};

class MemoryProperties : public Properties {
  public:
    long Count() const override { return static_cast<long>(items_.size()); }
    Property& Item(long index) override;
    Property& Item(std::string_view name) override;
    // Adds the property or changes its value.
    void Set(std::string_view name, std::string_view value);
    bool Has(std::string_view name) const;

  private:
    std::vector<std::unique_ptr<MemoryProperty>> items_;
};

class MemoryControl : public VBControl {
  public:
    explicit MemoryControl(std::string name);
    const std::string& ControlName() const { return name_; }
    host::Properties& Properties() override { return properties_; }
    MemoryProperties& Props() { return properties_; }

  private:
    std::string name_;
    MemoryProperties properties_;
};

class MemoryControls : public VBControls {
  public:
    long Count() const override { return static_cast<long>(items_.size()); }
    VBControl& Item(long index) override;
    VBControl& Item(std::string_view name) override;
    MemoryControl& Add(std::string name);

  private:
    std::vector<std::unique_ptr<MemoryControl>> items_;
};

class MemoryDesigner : public Designer {
  public:
    host::VBControls& VBControls() override { return controls_; }
    MemoryControls& Controls() { return controls_; }

  private:
    MemoryControls controls_;
};

// A member record as the module's text gives it now. A procedure and an
// item of the declarations section may share a name (an event and the
// routine that raises it): they are separate members.
struct MemberRecord {
    std::string name;
    int type = 0;
    int scope = 0;
    long location = 0;
    bool procedure = false;  // a Sub, Function or Property (not a Declare)
};

class MemoryMembers;

// A stable handle: it stays valid while the module lives and answers from the
// module's current text, so engines may hold it across edits.
class MemoryMember : public Member {
  public:
    MemoryMember(MemoryMembers& parent, std::string name, bool procedure)
        : parent_(parent), name_(std::move(name)), procedure_(procedure) {}
    std::string Name() const override { return name_; }
    int Type() const override;
    int Scope() const override;
    long CodeLocation() const override;
    host::Members& Parent() override;
    MemberAttributes Attributes() const override;
    void SetAttributes(const MemberAttributes& attributes) override;

  private:
    const MemberRecord& Record() const;
    // Its attribute lines, and those of a member of the same name of the
    // other sort.
    void SplitAttributeLines(std::vector<HiddenAttribute>& own,
                             std::vector<HiddenAttribute>& other) const;

    MemoryMembers& parent_;
    std::string name_;
    bool procedure_;
};

class MemoryMembers : public Members {
  public:
    explicit MemoryMembers(MemoryCodeModule& module) : module_(module) {}
    long Count() const override;
    Member& Item(long index) override;
    Member& Item(std::string_view name) override;
    host::CodeModule& Parent() override;

    MemoryCodeModule& Module() { return module_; }
    // The current record of a member, or nullptr when the text holds none:
    // the procedure of that name when there is one.
    const MemberRecord* Find(std::string_view name) const;
    // The procedure, or the item of the declarations section, of that name.
    const MemberRecord* Find(std::string_view name, bool procedure) const;
    const std::vector<MemberRecord>& Records() const;
    // The first lines of every statement of the declarations section that
    // declares the name (an item declared in each branch of an #If has
    // several), in order.
    std::vector<long> DeclarationStatements(std::string_view name) const;
    // The Declare statement of that name in the declarations section, or
    // nullptr. A section without the word Declare is told so without
    // reading its statements: most modules have none, and every lookup of
    // a Sub or Function by name asks.
    const MemberRecord* FindDeclare(std::string_view name) const;

  private:
    // The members of the declarations section, read again after an edit
    // there; they are the first records.
    void RefreshDeclarations() const;
    // Every member: the declarations' and the procedures' after them.
    void Refresh() const;
    void Locate(size_t record) const;
    MemoryMember& Handle(const std::string& name, bool procedure);

    MemoryCodeModule& module_;
    mutable std::vector<MemberRecord> records_;
    // The procedure index entry of each record (-1 for the declarations').
    mutable std::vector<long> procOf_;
    mutable unsigned long locatedFor_ = ~0UL;                 // every record's location is current
    mutable std::unordered_map<std::string, size_t> byName_;  // declarations
    mutable std::unordered_map<std::string, size_t> procedureByName_;  // procedures
    mutable unsigned long builtFor_ = ~0UL;
    mutable unsigned long builtForDeclarations_ = ~0UL;
    // Every declaring statement's record, with repeats, in order.
    mutable std::vector<MemberRecord> statements_;
    mutable size_t declarationRecords_ = 0;  // records_ of the declarations section
    // Whether a line of the declarations section holds the word Declare,
    // for the section as it was at that version.
    mutable bool mayDeclare_ = false;
    mutable unsigned long mayDeclareFor_ = ~0UL;
    std::unordered_map<std::string, std::unique_ptr<MemoryMember>> handles_;
};

class MemoryCodePane : public CodePane {
  public:
    MemoryCodePane(MemoryCodeModule& module, MemoryWindow& window)
        : module_(module), window_(window) {}
    host::CodeModule& CodeModule() override;
    host::Window& Window() override;
    void GetSelection(long& startLine, long& startColumn, long& endLine,
                      long& endColumn) const override;
    void SetSelection(long startLine, long startColumn, long endLine, long endColumn) override;
    long TopLine() const override { return topLine_; }
    void SetTopLine(long line) override { topLine_ = line < 1 ? 1 : line; }
    void Show() override;

  private:
    MemoryCodeModule& module_;
    MemoryWindow& window_;
    long startLine_ = 1, startColumn_ = 1, endLine_ = 1, endColumn_ = 1;
    long topLine_ = 1;
};

class MemoryCodeModule : public CodeModule {
  public:
    explicit MemoryCodeModule(MemoryComponent& component);
    ~MemoryCodeModule() override;

    // --- CodeModule
    VBComponent& Parent() override;
    std::string Name() const override;
    long CountOfLines() const override { return lines_.Count(); }
    long CountOfDeclarationLines() const override { return Index().DeclarationLines(); }
    std::string Lines(long startLine, long count) const override;
    std::string_view LineView(long line) const override;
    void InsertLines(long line, std::string_view text) override;
    void InsertShapedLines(long line, std::string_view text, std::vector<std::string>&& shaped,
                           int tabWidth) override;
    void InsertShapedLines(long line, const std::function<std::string()>& text,
                           std::vector<std::string>&& shaped, int tabWidth) override;
    // The lines InsertLines(line, text) would store, tidied as received,
    // without storing them.
    std::vector<std::string> ReceivedLines(long line, std::string_view text) const;
    void DeleteLines(long startLine, long count = 1) override;
    void ReplaceShapedLines(long line, long oldCount, std::string_view text,
                            const std::vector<std::string_view>& shaped, int tabWidth) override;
    void ReplaceShapedLines(long line, long oldCount, const std::function<std::string()>& text,
                            const std::vector<std::string_view>& shaped, int tabWidth) override;
    long ProcStartLine(std::string_view procName, int procKind) const override;
    long ProcBodyLine(std::string_view procName, int procKind) const override;
    long ProcCountLines(std::string_view procName, int procKind) const override;
    std::string ProcOfLine(long line, int& procKind) const override;
    long ProcCopies(std::string_view procName, int procKind) const override;
    long ProcCopyOfLine(long line) const override;
    ProcCopyChoice ChooseProcCopy(std::string_view procName, long copy) override;
    bool Find(std::string_view target, long& startLine, long& startColumn, long& endLine,
              long& endColumn, bool wholeWord, bool matchCase, bool patternSearch) const override;
    host::CodePane& CodePane() override;
    host::Members& Members() override { return members_; }
    text::CodePage TextCodePage() const override;
    void BeginTransaction() override;
    void CommitTransaction() override;
    void CancelTransaction() override;
    bool InTransaction() const override { return !transactions_.empty(); }
    void Subscribe(CodeModuleObserver* observer) override;
    void Unsubscribe(CodeModuleObserver* observer) override;

    // The lines and hidden attribute lines at one moment: what a cancel puts
    // back, and what an undo puts back after a commit.
    using AttributeLines =
        std::map<std::string, std::pair<std::string, std::vector<HiddenAttribute>>>;
    struct State {
        LineSnapshot lines;
        AttributeLines attributes;
        unsigned long editCount = 0;
    };
    State Current() const;
    // Puts the module back as it was (an undo; observers are told the lines
    // were replaced). It counts as an edit: the file may have been saved
    // since, and the writer compares the bytes anyway.
    void Restore(const State& state);
    // While the observers are told that a group was committed: the module
    // as it was at the group's begin, so that one of them may keep the
    // group as one undo step. Null at any other time.
    // Worked out when asked: a group costs the lines it edits, not a copy
    // of the module.
    const State* CommittedFrom() const;
    // Lines first .. first + count - 1 (from 1) as they are now.
    LineSnapshot LinesPart(long first, long count) const {
        return lines_.Snapshot(first - 1, count);
    }
    const AttributeLines& AllHiddenAttributes() const { return attributes_; }
    // Puts one group's lines back: lines first .. first + oldCount - 1 become
    // the given lines, and the attribute lines are as given (an undo or redo;
    // observers are told only of those lines). It counts as an edit.
    void RestorePart(long first, long oldCount, const LineSnapshot& lines,
                     const AttributeLines& attributes, unsigned long editCount);

    // --- loading and writing back
    // Lines that point into buffer, taken as they are (not tidied).
    void LoadLines(std::shared_ptr<const std::string> buffer, std::vector<std::string_view> lines);
    // The same with the index of the procedures of those lines, built on
    // another thread (ProcedureIndex::Rebuild over the same lines).
    void LoadLines(std::shared_ptr<const std::string> buffer, std::vector<std::string_view> lines,
                   ProcedureIndex&& index);
    // Lines read into a store elsewhere (on a reader thread), with the
    // index of their procedures when one was built over them.
    void LoadLines(LineStore&& lines);
    void LoadLines(LineStore&& lines, ProcedureIndex&& index);
    // The text split at line breaks, taken as it is (not tidied).
    void LoadText(std::string_view text);
    // The files' bytes that lines as loaded point into; the break after such
    // a line is the one it has there.
    const std::vector<std::shared_ptr<const std::string>>& LoadedBuffers() const {
        return lines_.Buffers();
    }
    // One line, 1-based, without copying.
    std::string_view Line(long line) const { return lines_.Line(line - 1); }
    // Whether a line from `from` to `to` (1-based, both within the module)
    // holds the byte c.
    bool AnyLineHolds(long from, long to, char c) const {
        return lines_.AnyHolds(from - 1, to - from + 1, c);
    }
    // Bumped by every edit; a module whose count is 0 holds what was loaded.
    unsigned long EditCount() const { return editCount_; }

    // The hidden attribute lines of a member, by member name (case ignored).
    void SetHiddenAttributes(std::string_view memberName, std::vector<HiddenAttribute> lines);
    const std::vector<HiddenAttribute>* HiddenAttributes(std::string_view memberName) const;
    // Every member name that has attribute lines, as first given.
    std::vector<std::string> MembersWithHiddenAttributes() const;

    // The routines the member table holds, as a listing by member reads
    // them, taken from the procedure index alone (no member records or
    // handles are made): for each member that is a Sub or Function (not
    // one a Declare of the same name hides) its entry, for a property an
    // entry per accessor, Let, Set, Get; then the copies after the first
    // of a routine defined more than once. add hears (name, kind, copy)
    // in that order. False, having listed nothing, while a copy of a
    // routine is chosen (the member table must be asked then).
    bool ListRoutines(const std::function<void(const std::string&, int, long)>& add) const;

    // The name of the procedure member that the name (case ignored) finds,
    // as the member table spells it, read from the procedure index without
    // making the table; nullptr when no procedure has the name.
    const std::string* ProcedureMemberName(std::string_view name) const;

    // --- for the member table
    // Read from the lines on first use after a load: a command that only
    // searches text never pays for it.
    const ProcedureIndex& Index() const;
    unsigned long DeclarationsVersion() const { return declarationsVersion_; }
    MemoryVbe& Vbe() const;

  private:
    long CheckedProc(std::string_view procName, int procKind) const;
    const MemberRecord* DeclaredProcedure(std::string_view procName, int procKind) const;
    // Inserts lines as received (tidied already) before line at (1-based,
    // at most one past the last).
    void InsertReceived(long at, std::vector<std::string> lines);
    void AfterEdit(long line, long oldDeclarationLines);
    void AfterReload(long oldCount);
    void PutBack(const State& state);
    template <typename Tell>
    void TellObservers(Tell tell);


    MemoryComponent& component_;
    LineStore lines_;
    mutable ProcedureIndex index_;
    mutable bool indexCurrent_ = false;  // index_ reads the lines as they are
    MemoryMembers members_;
    std::unique_ptr<MemoryWindow> window_;
    std::unique_ptr<MemoryCodePane> pane_;
    AttributeLines attributes_;
    unsigned long editCount_ = 0;
    unsigned long declarationsVersion_ = 0;
    // An open edit group: the module at its begin, kept as the edits since
    // (undone in reverse to get back there) until a reload makes the lines
    // whole.
    struct Transaction {
        AttributeLines attributes;
        unsigned long editCount = 0;
        struct Step {
            long index = 0;     // 0-based
            long inserted = 0;  // lines that now stand from index on
            LineSnapshot removed;  // the lines they replaced
        };
        std::vector<Step> steps;
        std::optional<LineSnapshot> lines;  // the lines at the begin, once whole
        // How many steps each enclosing group held when this one began: a
        // cancel takes this group's edits out of theirs too.
        std::vector<size_t> enclosingSteps;
    };
    void RecordEdit(long index, long oldCount, long newCount);
    void RecordReload();
    LineSnapshot LinesAtBegin(const Transaction& transaction) const;
    void UndoSteps(const Transaction& transaction);
    // The open groups, the innermost last; every edit is recorded in each.
    std::vector<std::unique_ptr<Transaction>> transactions_;
    std::unique_ptr<Transaction> committed_;  // while observers are told of a commit
    mutable std::unique_ptr<State> committedFrom_;
    std::vector<CodeModuleObserver*> observers_;
    ProcCopyChoice chosenCopy_;  // whose copy the lookups by name answer for
};

class MemoryComponents;

class MemoryComponent : public VBComponent {
  public:
    MemoryComponent(MemoryComponents& collection, std::string name, int type);
    std::string Name() const override { return name_; }
    int Type() const override { return type_; }
    host::CodeModule* CodeModule() override { return code_.get(); }
    host::Designer* Designer() override { return designer_.get(); }
    host::Properties& Properties() override { return properties_; }
    int FileCount() const override { return static_cast<int>(files_.size()); }
    std::string FileNames(int index) const override;
    VBComponents& Collection() override;

    MemoryCodeModule* Code() { return code_.get(); }
    // Lets the code module go with all that hangs on it (its lines, procedure
    // index, member table, code window), for a caller done with it whose new
    // text is written already: a project-wide run would otherwise hold every
    // module it finished until it ends. The component then holds no code (a
    // save passes it over).
    void ReleaseCode();
    MemoryProperties& Props() { return properties_; }
    MemoryDesigner& EnsureDesigner();
    void AddFile(std::string path) { files_.push_back(std::move(path)); }
    void SetFiles(std::vector<std::string> files) { files_ = std::move(files); }
    MemoryComponents& Owner() { return collection_; }
    const MemoryComponents& Owner() const { return collection_; }
    // The code page of the component's file: its own when one was set (a
    // file written in UTF-8), else the IDE's.
    text::CodePage TextCodePage() const;
    void SetTextCodePage(text::CodePage page) { codePage_ = page; }

  private:
    MemoryComponents& collection_;
    std::optional<text::CodePage> codePage_;
    std::string name_;
    int type_;
    std::unique_ptr<MemoryCodeModule> code_;
    std::unique_ptr<MemoryDesigner> designer_;
    MemoryProperties properties_;
    std::vector<std::string> files_;
};

class MemoryComponents : public VBComponents {
  public:
    explicit MemoryComponents(MemoryProject& project) : project_(project) {}
    long Count() const override { return static_cast<long>(items_.size()); }
    VBComponent& Item(long index) override;
    VBComponent& Item(std::string_view name) override;
    VBProject& Parent() override;

    MemoryComponent& Add(std::string name, int type);
    // Takes a component out again (a module file whose load failed halfway).
    void Remove(MemoryComponent& component);
    MemoryComponent* Find(std::string_view name);
    MemoryComponent& At(long index) { return *items_[static_cast<size_t>(index - 1)]; }
    MemoryProject& Project() { return project_; }
    const MemoryProject& Project() const { return project_; }

  private:
    MemoryProject& project_;
    std::vector<std::unique_ptr<MemoryComponent>> items_;
    // The first component of each name, by its name in lower case: commands
    // look components up by name once per module, in projects of thousands.
    std::unordered_map<std::string, MemoryComponent*> byName_;
};

class MemoryProjects;

class MemoryProject : public VBProject {
  public:
    MemoryProject(MemoryVbe& vbe, std::string name, int type);
    std::string Name() const override { return name_; }
    int Type() const override { return type_; }
    host::VBComponents& VBComponents() override { return components_; }
    host::VBE& VBE() override;

    MemoryComponent& AddComponent(std::string name, int type) {
        return components_.Add(std::move(name), type);
    }
    MemoryComponents& Components() { return components_; }
    MemoryVbe& Vbe() { return vbe_; }
    const MemoryVbe& Vbe() const { return vbe_; }
    void Rename(std::string name);
    // The code page of the project file, which its name and the paths in it
    // are written in: its own when one was set, else the IDE's.
    text::CodePage TextCodePage() const override;
    void SetTextCodePage(text::CodePage page) { codePage_ = page; }
    // The project file it was read from ("" for a project made in memory).
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

  private:
    MemoryVbe& vbe_;
    std::string name_;
    int type_;
    std::string fileName_;
    std::optional<text::CodePage> codePage_;
    MemoryComponents components_;
};

class MemoryProjects : public VBProjects {
  public:
    explicit MemoryProjects(MemoryVbe& vbe) : vbe_(vbe) {}
    long Count() const override { return static_cast<long>(items_.size()); }
    VBProject& Item(long index) override;
    VBProject& Item(std::string_view name) override;
    void Subscribe(ProjectsObserver* observer) override;
    void Unsubscribe(ProjectsObserver* observer) override;

    MemoryProject& Add(std::string name, int type);
    void Remove(MemoryProject& project);
    MemoryProject* Find(std::string_view name);
    MemoryProject& At(long index) { return *items_[static_cast<size_t>(index - 1)]; }
    void NotifyRenamed(MemoryProject& project, std::string_view oldName);
    // Drops every project without telling the observers (the IDE is closing).
    void Clear();

  private:
    MemoryVbe& vbe_;
    std::vector<std::unique_ptr<MemoryProject>> items_;
    std::vector<ProjectsObserver*> observers_;
};

}  // namespace qv::host::memory
