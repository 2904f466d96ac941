#pragma once
// The code host: the IDE's extensibility object model, as abstract classes with
// exactly the operations the add-in uses. Engines see code only through here.
//
// Objects belong to the host and live as long as it does; a pointer result of
// nullptr is the IDE's "Nothing". Collections are numbered from 1. Every
// failing call raises a VbError (a name that is not in a collection: error 9;
// a procedure that is not in a module: error 35).

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_constants.h"
#include "platform/code_page.h"

namespace qv::host {

class VBE;
class VBProjects;
class VBProject;
class VBComponents;
class VBComponent;
class CodeModule;
class Members;
class Member;
class CodePane;
class Window;
class Windows;
class LinkedWindows;
class Properties;
class Property;
class Designer;
class VBControls;
class VBControl;
class CommandBars;
class CommandBar;
class CommandBarControls;
class CommandBarControl;
class Events;
class CommandBarEvents;

// The settable attributes of a member (procedure attributes dialog): three
// texts, one 32-bit number and seven 16-bit values.
struct MemberAttributes {
    std::string Description;
    std::string Category;
    std::string PropertyPage;
    long HelpContextID = 0;
    short StandardMethod = 0;
    short Bindable = 0;
    short Browsable = 0;
    short DefaultBind = 0;
    short DisplayBind = 0;
    short Hidden = 0;
    short RequestEdit = 0;

    bool operator==(const MemberAttributes&) const = default;
};

class Property {
  public:
    virtual ~Property() = default;
    virtual std::string Name() const = 0;
    // The value as text (numbers as their decimal text).
    virtual std::string Value() const = 0;
    virtual void SetValue(std::string_view value) = 0;
};

class Properties {
  public:
    virtual ~Properties() = default;
    virtual long Count() const = 0;
    virtual Property& Item(long index) = 0;
    virtual Property& Item(std::string_view name) = 0;
};

class VBControl {
  public:
    virtual ~VBControl() = default;
    virtual host::Properties& Properties() = 0;
};

class VBControls {
  public:
    virtual ~VBControls() = default;
    virtual long Count() const = 0;
    virtual VBControl& Item(long index) = 0;
    virtual VBControl& Item(std::string_view name) = 0;
};

// A component's designer; the add-in reaches its controls by name only.
class Designer {
  public:
    virtual ~Designer() = default;
    virtual host::VBControls& VBControls() = 0;
};

class Member {
  public:
    virtual ~Member() = default;
    virtual std::string Name() const = 0;
    virtual int Type() const = 0;
    virtual int Scope() const = 0;
    virtual long CodeLocation() const = 0;
    virtual host::Members& Parent() = 0;
    virtual MemberAttributes Attributes() const = 0;
    virtual void SetAttributes(const MemberAttributes& attributes) = 0;
};

class Members {
  public:
    virtual ~Members() = default;
    virtual long Count() const = 0;
    virtual Member& Item(long index) = 0;
    virtual Member& Item(std::string_view name) = 0;
    virtual host::CodeModule& Parent() = 0;
};

// Told of every change to a code module's lines, in the order they happen.
// Lines are numbered as the module numbers them right after the change.
class CodeModuleObserver {
  public:
    virtual ~CodeModuleObserver() = default;
    // count lines now stand from line on.
    virtual void LinesInserted(CodeModule& module, long line, long count) = 0;
    // count lines that stood from line on are gone.
    virtual void LinesDeleted(CodeModule& module, long line, long count) = 0;
    // The oldCount lines from line on were replaced by newCount others (a
    // cancelled transaction, a module read in again, or a replacement made
    // as one edit).
    virtual void LinesReplaced(CodeModule& module, long line, long oldCount, long newCount) = 0;
    // The edit group of a transaction ended: kept (committed) or undone.
    virtual void TransactionEnded(CodeModule&, bool /*committed*/) {}
};

// The copy of a procedure that a code module's lookups by name answer for
// (CodeModule::ChooseProcCopy); copy 0 is the first definition.
struct ProcCopyChoice {
    std::string name;
    long copy = 0;
};

class CodeModule {
  public:
    virtual ~CodeModule() = default;
    virtual VBComponent& Parent() = 0;
    virtual std::string Name() const = 0;
    virtual long CountOfLines() const = 0;
    virtual long CountOfDeclarationLines() const = 0;
    // Lines start .. start + count − 1 joined with CR LF; lines past the end
    // give empty text.
    virtual std::string Lines(long startLine, long count) const = 0;
    // One line (1 .. CountOfLines()) without a copy, for reading a whole
    // module quickly; the text stays valid until the module changes.
    virtual std::string_view LineView(long line) const = 0;
    // Inserts the text (which may hold CR LF) before line; the host tidies
    // each line it receives as the IDE does.
    virtual void InsertLines(long line, std::string_view text) = 0;
    // InsertLines(line, text) for a caller that has foreseen the stored
    // lines already: shaped holds text's lines, none with a break in it, each
    // as TidyReceivedLine at tabWidth makes it after the line before. A host
    // that tidies received lines with that width takes them as they are
    // instead of tidying them a second time.
    virtual void InsertShapedLines(long line, std::string_view text,
                                   std::vector<std::string>&& shaped, int tabWidth) {
        (void)shaped;
        (void)tabWidth;
        InsertLines(line, text);
    }
    // The same with the text (never empty) made only when the host needs it:
    // a host that takes the shaped lines as they are need not fill it.
    virtual void InsertShapedLines(long line, const std::function<std::string()>& text,
                                   std::vector<std::string>&& shaped, int tabWidth) {
        InsertShapedLines(line, text(), std::move(shaped), tabWidth);
    }
    virtual void DeleteLines(long startLine, long count = 1) = 0;
    // Lines line .. line + oldCount - 1 give way to the text's lines, shaped
    // as for InsertShapedLines: the deletion and the insertion, which a host
    // may make as one edit (its observers then hear of one replacement).
    virtual void ReplaceShapedLines(long line, long oldCount, std::string_view text,
                                    const std::vector<std::string_view>& shaped, int tabWidth) {
        if (oldCount > 0) DeleteLines(line, oldCount);
        InsertShapedLines(line, text, std::vector<std::string>(shaped.begin(), shaped.end()),
                          tabWidth);
    }
    // The same with the text (never empty) made only when the host needs it:
    // a host that takes the shaped lines as they are need not join them.
    virtual void ReplaceShapedLines(long line, long oldCount,
                                    const std::function<std::string()>& text,
                                    const std::vector<std::string_view>& shaped, int tabWidth) {
        ReplaceShapedLines(line, oldCount, text(), shaped, tabWidth);
    }
    virtual long ProcStartLine(std::string_view procName, int procKind) const = 0;
    virtual long ProcBodyLine(std::string_view procName, int procKind) const = 0;
    virtual long ProcCountLines(std::string_view procName, int procKind) const = 0;
    // The procedure whose block holds the line ("" outside every procedure).
    virtual std::string ProcOfLine(long line, int& procKind) const = 0;

    // A procedure defined in full more than once under one name and kind (a
    // copy in each branch of an #If ... #Else ... #End If): the lookups by
    // name (ProcStartLine, ProcBodyLine, ProcCountLines) answer for its
    // first definition, as the IDE's do, unless another copy is chosen.
    // How many definitions (procName, procKind) has: 0 when none, 1 for most.
    virtual long ProcCopies(std::string_view procName, int procKind) const = 0;
    // The copy (0: the first) of the procedure whose block holds the line;
    // 0 outside every procedure.
    virtual long ProcCopyOfLine(long line) const = 0;
    // From now on the lookups by this name answer, for each kind, for its
    // copy of that number (0-based; a kind with fewer copies is not found);
    // the lookups of other names are not affected. Returns the choice in
    // force before.
    virtual ProcCopyChoice ChooseProcCopy(std::string_view procName, long copy) = 0;
    // Searches from (startLine, startColumn) to (endLine, endColumn); −1 as end
    // line and end column stands for the end of the module. On success the
    // four positions hold the hit (end column: the column after its last
    // character).
    virtual bool Find(std::string_view target, long& startLine, long& startColumn, long& endLine,
                      long& endColumn, bool wholeWord = false, bool matchCase = false,
                      bool patternSearch = false) const = 0;
    virtual host::CodePane& CodePane() = 0;
    virtual host::Members& Members() = 0;
    // The code page the lines are written in: the file's (the IDE's ANSI
    // code page, or UTF-8 for a file written so). Names and lines are bytes
    // of it; Find takes its target in it.
    virtual text::CodePage TextCodePage() const = 0;

    // Edit transactions: the edits of one command form one group, which the
    // caller keeps (commit) or undoes (cancel: the lines and the hidden
    // attribute lines are put back exactly as they were at the begin).
    // Transactions nest: an inner group's cancel puts back what the module
    // was at the inner begin, its commit leaves its edits to the enclosing
    // group (which a caller may still cancel), and observers are told only
    // when the outermost group ends. A commit or cancel without an open
    // group raises error 5.
    virtual void BeginTransaction() = 0;
    virtual void CommitTransaction() = 0;
    virtual void CancelTransaction() = 0;
    virtual bool InTransaction() const = 0;

    // The observer stays subscribed until it unsubscribes; it must outlive
    // its subscription.
    virtual void Subscribe(CodeModuleObserver* observer) = 0;
    virtual void Unsubscribe(CodeModuleObserver* observer) = 0;
};

// A transaction that is cancelled unless committed: an error that stops a
// command halfway leaves the module as it was.
class EditTransaction {
  public:
    explicit EditTransaction(CodeModule& module) : module_(module) { module_.BeginTransaction(); }
    ~EditTransaction() {
        if (open_) module_.CancelTransaction();
    }
    EditTransaction(const EditTransaction&) = delete;
    EditTransaction& operator=(const EditTransaction&) = delete;
    void Commit() {
        open_ = false;
        module_.CommitTransaction();
    }
    void Cancel() {
        open_ = false;
        module_.CancelTransaction();
    }

  private:
    CodeModule& module_;
    bool open_ = true;
};

// Makes a code module's lookups by name answer for one copy of a procedure
// for the length of a scope; the choice before comes back at its end.
class ProcCopyScope {
  public:
    ProcCopyScope(CodeModule& module, std::string_view procName, long copy)
        : module_(module), before_(module.ChooseProcCopy(procName, copy)) {}
    ~ProcCopyScope() { module_.ChooseProcCopy(before_.name, before_.copy); }
    ProcCopyScope(const ProcCopyScope&) = delete;
    ProcCopyScope& operator=(const ProcCopyScope&) = delete;

  private:
    CodeModule& module_;
    ProcCopyChoice before_;
};

class CodePane {
  public:
    virtual ~CodePane() = default;
    virtual host::CodeModule& CodeModule() = 0;
    virtual host::Window& Window() = 0;
    virtual void GetSelection(long& startLine, long& startColumn, long& endLine,
                              long& endColumn) const = 0;
    virtual void SetSelection(long startLine, long startColumn, long endLine, long endColumn) = 0;
    virtual long TopLine() const = 0;
    virtual void SetTopLine(long line) = 0;
    virtual void Show() = 0;
};

class VBComponent {
  public:
    virtual ~VBComponent() = default;
    virtual std::string Name() const = 0;
    virtual int Type() const = 0;
    // nullptr for components without code (a related document, a resource).
    virtual host::CodeModule* CodeModule() = 0;
    // nullptr for components without a designer.
    virtual host::Designer* Designer() = 0;
    virtual host::Properties& Properties() = 0;
    virtual int FileCount() const = 0;
    virtual std::string FileNames(int index) const = 0;
    virtual VBComponents& Collection() = 0;
};

class VBComponents {
  public:
    virtual ~VBComponents() = default;
    virtual long Count() const = 0;
    virtual VBComponent& Item(long index) = 0;
    virtual VBComponent& Item(std::string_view name) = 0;
    virtual VBProject& Parent() = 0;
};

class VBProject {
  public:
    virtual ~VBProject() = default;
    virtual std::string Name() const = 0;
    virtual int Type() const = 0;
    virtual host::VBComponents& VBComponents() = 0;
    virtual host::VBE& VBE() = 0;
    // The code page of the project file, which the name is written in.
    virtual text::CodePage TextCodePage() const = 0;
};

// Receives the project collection's events.
class ProjectsObserver {
  public:
    virtual ~ProjectsObserver() = default;
    virtual void ItemAdded(VBProject& project) = 0;
    virtual void ItemRemoved(VBProject& project) = 0;
    virtual void ItemRenamed(VBProject& project, std::string_view oldName) = 0;
};

class VBProjects {
  public:
    virtual ~VBProjects() = default;
    virtual long Count() const = 0;
    virtual VBProject& Item(long index) = 0;
    virtual VBProject& Item(std::string_view name) = 0;
    virtual void Subscribe(ProjectsObserver* observer) = 0;
    virtual void Unsubscribe(ProjectsObserver* observer) = 0;
};

class LinkedWindows {
  public:
    virtual ~LinkedWindows() = default;
    virtual void Add(Window& window) = 0;
};

class Window {
  public:
    virtual ~Window() = default;
    virtual std::string Caption() const = 0;
    virtual int Type() const = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual long Left() const = 0;
    virtual long Top() const = 0;
    virtual long Width() const = 0;
    virtual long Height() const = 0;
    virtual void SetLeft(long value) = 0;
    virtual void SetTop(long value) = 0;
    virtual void SetWidth(long value) = 0;
    virtual void SetHeight(long value) = 0;
    virtual void SetFocus() = 0;
    virtual void Close() = 0;
    virtual long long HWnd() const = 0;
    // The linked-window frame this window is docked in, or nullptr.
    virtual Window* LinkedWindowFrame() = 0;
    // The windows docked in this frame (frames only), or nullptr.
    virtual host::LinkedWindows* LinkedWindows() = 0;
};

// A document object shown in a tool window (the find window's document).
class DocumentObject {
  public:
    virtual ~DocumentObject() = default;
};

// The add-in instance that the host hands to the connection.
class AddInInstance {
  public:
    virtual ~AddInInstance() = default;
    virtual std::string ProgId() const = 0;
};

class Windows {
  public:
    virtual ~Windows() = default;
    virtual long Count() const = 0;
    virtual Window& Item(long index) = 0;
    // Creates a tool window showing the document registered under progId.
    virtual Window& CreateToolWindow(AddInInstance& addIn, std::string_view progId,
                                     std::string_view caption, std::string_view positionGuid,
                                     DocumentObject*& docObject) = 0;
};

class CommandBarControl {
  public:
    virtual ~CommandBarControl() = default;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(std::string_view caption) = 0;
    virtual std::string Parameter() const = 0;
    virtual void SetParameter(std::string_view parameter) = 0;
    virtual int FaceId() const = 0;
    virtual void SetFaceId(int faceId) = 0;
    virtual int Id() const = 0;
    virtual int Type() const = 0;
    virtual void Delete() = 0;
    virtual void Execute() = 0;
    // The controls of a pop-up (CommandBarPopup), nullptr for a button.
    virtual CommandBarControls* Controls() = 0;
};

class CommandBarControls {
  public:
    virtual ~CommandBarControls() = default;
    // before: position to insert at (0 = at the end).
    virtual CommandBarControl& Add(int type, int id = 1, std::string_view parameter = {},
                                   int before = 0, bool temporary = false) = 0;
    virtual long Count() const = 0;
    virtual CommandBarControl& Item(long index) = 0;
    virtual CommandBarControl& Item(std::string_view caption) = 0;
};

class CommandBar {
  public:
    virtual ~CommandBar() = default;
    virtual std::string Name() const = 0;
    virtual CommandBarControls& Controls() = 0;
};

class CommandBars {
  public:
    virtual ~CommandBars() = default;
    virtual long Count() const = 0;
    virtual CommandBar& Item(long index) = 0;
    virtual CommandBar& Item(std::string_view name) = 0;
};

// Raises Click for one command-bar control while the holder keeps it.
class CommandBarEvents {
  public:
    using ClickHandler =
        std::function<void(CommandBarControl& control, bool& handled, bool& cancelDefault)>;
    virtual ~CommandBarEvents() = default;
    virtual void OnClick(ClickHandler handler) = 0;
};

class Events {
  public:
    virtual ~Events() = default;
    virtual std::shared_ptr<host::CommandBarEvents> CommandBarEvents(
        CommandBarControl& control) = 0;
};

class VBE {
  public:
    virtual ~VBE() = default;
    virtual host::VBProjects& VBProjects() = 0;
    virtual VBProject* ActiveVBProject() = 0;
    virtual VBComponent* SelectedVBComponent() = 0;
    virtual host::CodePane* ActiveCodePane() = 0;
    virtual host::Window* ActiveWindow() = 0;
    virtual host::Window& MainWindow() = 0;
    virtual host::Windows& Windows() = 0;
    virtual host::CommandBars& CommandBars() = 0;
    virtual host::Events& Events() = 0;
    // The system's ANSI code page, which the IDE reads and writes files in.
    virtual text::CodePage TextCodePage() const = 0;
};

// The add-in interface the host calls on the connection object.
class IDTExtensibility {
  public:
    virtual ~IDTExtensibility() = default;
    virtual void OnConnection(VBE& vbInst, int connectMode, AddInInstance& addInInst) = 0;
    virtual void OnDisconnection(int removeMode) = 0;
    virtual void OnStartupComplete() = 0;
    virtual void OnAddInsUpdate() = 0;
};

}  // namespace qv::host
