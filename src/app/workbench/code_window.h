#pragma once
// A code window: the object and procedure drop-downs above an editor bound
// to one code module of the host. What the user types reaches the module
// (tidied as the IDE tidies it, one edit group, so one undo step) when the
// cursor is moved off the lines typed (not by the typing itself: a Return
// or a paste keeps the group open), or before a command, a save or an
// undo; the window is marked changed from the first keystroke. The editor
// observes the module, so what a command or an undo changes shows at once.
// The cursor, the selection and the top line are the code pane's.

#include <QComboBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/routine_parsing.h"
#include "host/memory/memory_host.h"

namespace qv::ui {
class VbHighlighter;
}

namespace qv::workbench {

// What a code window asks of its IDE.
class CodeWindowOwner {
  public:
    virtual ~CodeWindowOwner() = default;
    // The cursor moved (line and column from 1) in the active code window.
    virtual void CursorMoved(long line, long column) = 0;
    // The user asked for the code window's pop-up at a global position.
    virtual void CodePopup(const QPoint& globalPosition) = 0;
    // The editor began to hold typing the module does not have yet, or no
    // longer holds any (CodeWindow::HasTyping).
    virtual void TypingChanged() = 0;
};

class CodeWindow : public QWidget, public host::CodeModuleObserver {
  public:
    CodeWindow(host::memory::MemoryCodeModule& module, CodeWindowOwner& owner,
               QWidget* parent = nullptr);
    ~CodeWindow() override;

    host::memory::MemoryCodeModule& Module() { return module_; }
    QPlainTextEdit& Editor() { return *editor_; }

    // Typed lines not yet in the module go there now (before a command, a
    // save, an undo). The line at the cursor is tidied in the editor too
    // when withCursorLine is set.
    void Flush(bool withCursorLine = true);
    // The editor holds typing that has not reached the module yet.
    bool HasTyping() const { return typed_; }
    // The editor takes the pane's selection (from its start to its end)
    // and top line.
    void FollowPane();
    // Around an add-in command: the view stays the user's unless the
    // command puts the pane's top line elsewhere; followCursor: the cursor
    // goes to the pane's selection (the code window in front).
    void BeginCommand();
    void EndCommand(bool followCursor);
    // Puts the cursor on a code line (from 1) and shows it.
    void GoToLine(long line, long column = 1);
    // The pane's selection and top line, as the editor shows them now.
    void PublishSelection();
    void RefreshDropDowns();
    // The cursor's column as the host counts it: in bytes, from 1.
    long CursorColumn() const;

    // --- CodeModuleObserver: the editor follows the module's lines.
    void LinesInserted(host::CodeModule&, long line, long count) override;
    void LinesDeleted(host::CodeModule&, long line, long count) override;
    void LinesReplaced(host::CodeModule&, long line, long oldCount, long newCount) override;
    void TransactionEnded(host::CodeModule&, bool committed) override;

  private:
    // Editor lines first .. first + oldCount − 1 (from 1) become the
    // module's lines first .. first + newCount − 1.
    void ShowModuleLines(long first, long oldCount, long newCount);
    // The place in the editor's text of a code line and column (from 1),
    // kept inside the text.
    int PositionOf(long line, long column) const;
    long ColumnOf(const QTextBlock& block, int offset) const;
    // Puts the cursor on a code line (from 1) without scrolling to it.
    void PlaceCursor(long line, long column);
    // The editor's lines (from 0) as the module would hold them.
    size_t EditorLineCount() const;
    std::vector<std::string> EditorLines(size_t first, size_t count) const;
    // The module's line when the editor shows it as this text.
    std::optional<std::string> ModuleLineShownAs(const QString& shown, long line) const;
    // Widens the span of typed lines by an edit of the editor's text.
    void OnContentsChange(int position, int added);
    void MarkAllTyped();
    void SetTyped(bool typed);
    void FlushTyped(bool withCursorLine);
    // The editor's own keys (Tab, Shift+Tab, Return, Insert); false for a
    // key the editor handles as usual.
    bool OnEditorKey(const QKeyEvent& key);
    void IndentSelection(bool outdent);
    void MarkNothingTyped();
    void ReplaceEditorLines(int first, int count, const std::vector<std::string>& lines,
                            int keepBlock);
    void OnCursorMoved();
    // The routines in the order of their lines in the module.
    void SortInCodeOrder(analysis::RoutineList& routines) const;
    void OnProcedureChosen(int index);
    void OnObjectChosen(int index);
    void ShowProcedureAtCursor();

    host::memory::MemoryCodeModule& module_;
    CodeWindowOwner& owner_;
    QComboBox* objects_;
    QComboBox* procedures_;
    QPlainTextEdit* editor_;
    ui::VbHighlighter* highlighter_;
    int lastBlock_ = 0;
    bool typed_ = false;     // the editor holds text the module does not have yet
    bool updating_ = false;  // the editor is being changed from the module
    bool flushing_ = false;  // the module is being changed from the editor
    bool editedSinceMove_ = false;  // the last cursor move came from an edit
    bool inCommand_ = false;        // an add-in command runs
    long topBeforeCommand_ = 1;
    // While typed_: the lines before typedFirst_ and the last typedFromEnd_
    // lines are the module's as they stand.
    size_t typedFirst_ = SIZE_MAX;
    size_t typedFromEnd_ = SIZE_MAX;
};

}  // namespace qv::workbench
