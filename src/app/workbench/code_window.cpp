#include "app/workbench/code_window.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cstdint>

#include "analysis/routine_parsing.h"
#include "app/workbench/code_text.h"
#include "app/workbench/editor_keys.h"
#include "ui/vb_highlighter.h"
#include "ui/vb_qstring.h"
#include "host/host_constants.h"
#include "host/memory/memory_vbe.h"

namespace qv::workbench {

using host::CodePane;
using host::memory::MemoryCodeModule;

namespace {

constexpr const char* kGeneral = "(General)";
constexpr const char* kDeclarations = "(Declarations)";

QString KindSuffix(int kind) {
    switch (kind) {
        case host::vbext_pk_Let:
            return QStringLiteral(" [Let]");
        case host::vbext_pk_Set:
            return QStringLiteral(" [Set]");
        case host::vbext_pk_Get:
            return QStringLiteral(" [Get]");
        default:
            return {};
    }
}

// The lines both sides share at their start and at their end.
struct CommonEnds {
    size_t prefix = 0;
    size_t suffix = 0;
};

template <class A, class B>
CommonEnds FindCommonEnds(const A& a, size_t aCount, const B& b, size_t bCount) {
    CommonEnds ends;
    while (ends.prefix < aCount && ends.prefix < bCount && a(ends.prefix) == b(ends.prefix)) {
        ++ends.prefix;
    }
    while (ends.suffix < aCount - ends.prefix && ends.suffix < bCount - ends.prefix &&
           a(aCount - 1 - ends.suffix) == b(bCount - 1 - ends.suffix)) {
        ++ends.suffix;
    }
    return ends;
}

std::string JoinCrLf(const std::vector<std::string>& lines, size_t first, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) text += "\r\n";
        text += lines[first + i];
    }
    return text;
}

// Keys that belong to the IDE's own actions although a text editor takes
// them for itself: undo and redo are the IDE's steps, not the editor's.
bool IsIdeKey(const QKeyEvent& key) {
    const QKeyCombination pressed = key.keyCombination();
    return key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo) ||
           pressed == QKeyCombination(Qt::CTRL | Qt::Key_Y) ||
           pressed == QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
}

// The editor whose context menu is the IDE's "Code Window" pop-up and whose
// own keys the code window handles.
class CodeEditor : public QPlainTextEdit {
  public:
    // onInput runs as each key press or mouse press begins, onKey then for
    // the key (true: handled).
    CodeEditor(CodeWindowOwner& owner, std::function<void()> onInput,
               std::function<bool(const QKeyEvent&)> onKey, QWidget* parent)
        : QPlainTextEdit(parent),
          owner_(owner),
          onInput_(std::move(onInput)),
          onKey_(std::move(onKey)) {}

  protected:
    bool event(QEvent* event) override {
        // Not taken here, the key goes to the window's shortcut.
        if (event->type() == QEvent::ShortcutOverride &&
            IsIdeKey(*static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
        return QPlainTextEdit::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        onInput_();
        if (onKey_(*event)) {
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override {
        onInput_();
        QPlainTextEdit::mousePressEvent(event);
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        // As in the IDE, the caret goes where the mouse was pressed, so that
        // the pop-up's commands act on the routine under the pointer; a
        // click inside the selection keeps it (to cut or copy it).
        if (event->reason() == QContextMenuEvent::Mouse) {
            const QTextCursor clicked = cursorForPosition(event->pos());
            const QTextCursor current = textCursor();
            const bool inSelection = current.hasSelection() &&
                                     clicked.position() >= current.selectionStart() &&
                                     clicked.position() <= current.selectionEnd();
            if (!inSelection) setTextCursor(clicked);
        }
        owner_.CodePopup(event->globalPos());
    }

  private:
    CodeWindowOwner& owner_;
    std::function<void()> onInput_;
    std::function<bool(const QKeyEvent&)> onKey_;
};

}  // namespace

void CodeWindow::SortInCodeOrder(analysis::RoutineList& routines) const {
    // The routine list names a property's accessors Let, Set, Get; the
    // drop-down lists every procedure where the code has it. The
    // declarations section stays first.
    std::vector<std::pair<long, analysis::RoutineEntry>> placed;
    placed.reserve(routines.size());
    for (const analysis::RoutineEntry& routine : routines) {
        long line = 0;
        if (routine.name != analysis::kDeclarationsName) {
            try {
                line = module_.ProcStartLine(routine.name, routine.kind);
            } catch (...) {
                line = LONG_MAX;
            }
        }
        placed.emplace_back(line, routine);
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < placed.size(); ++i) routines[i] = std::move(placed[i].second);
}

CodeWindow::CodeWindow(MemoryCodeModule& module, CodeWindowOwner& owner, QWidget* parent)
    : QWidget(parent), module_(module), owner_(owner) {
    objects_ = new QComboBox(this);
    procedures_ = new QComboBox(this);
    // An edit and the cursor move it makes come in one key press; a key
    // that only edits (Delete) must not make the next move look like one.
    editor_ = new CodeEditor(
        owner, [this] { editedSinceMove_ = false; },
        [this](const QKeyEvent& key) { return OnEditorKey(key); }, this);
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Undo is the IDE's: one typed line or one command is one step.
    editor_->setUndoRedoEnabled(false);
    highlighter_ = new ui::VbHighlighter(editor_->document());

    auto* bar = new QHBoxLayout;
    bar->addWidget(objects_, 1);
    bar->addWidget(procedures_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(editor_);

    std::vector<std::string> lines;
    for (long i = 1; i <= module.CountOfLines(); ++i) lines.emplace_back(module.Line(i));
    updating_ = true;
    QStringList text;
    for (const std::string& line : lines) text << DecodeCode(line, module_.TextCodePage());
    editor_->setPlainText(text.join(u'\n'));
    updating_ = false;

    connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
        if (!updating_) SetTyped(true);
    });
    connect(editor_->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { OnContentsChange(position, added); });
    connect(editor_, &QPlainTextEdit::cursorPositionChanged, this, [this] { OnCursorMoved(); });
    connect(editor_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        // What a command's edits do to the view is not the user's scrolling.
        if (!inCommand_) module_.CodePane().SetTopLine(value + 1);
    });
    connect(procedures_, &QComboBox::activated, this, [this](int i) { OnProcedureChosen(i); });
    connect(objects_, &QComboBox::activated, this, [this](int i) { OnObjectChosen(i); });
    RefreshDropDowns();
    module_.Subscribe(this);
}

CodeWindow::~CodeWindow() {
    module_.Unsubscribe(this);
}

size_t CodeWindow::EditorLineCount() const {
    const QTextDocument& document = *editor_->document();
    // An empty module is one empty block in the editor.
    if (document.blockCount() == 1 && document.firstBlock().length() == 1 &&
        module_.CountOfLines() == 0)
        return 0;
    return static_cast<size_t>(document.blockCount());
}

std::vector<std::string> CodeWindow::EditorLines(size_t first, size_t count) const {
    std::vector<std::string> lines;
    lines.reserve(count);
    // A line the editor shows as the module holds it keeps the module's
    // bytes: one character may have two byte forms in a code page (and a
    // broken one none), and a line the user did not change must not change.
    // It is looked for at its own place and at its place from the end, where
    // it is after lines were added or removed above it. In a single-byte code
    // page every shown line has one byte form, so there is nothing to look for.
    const bool oneForm = text::SingleByteCharacters(module_.TextCodePage()) != nullptr;
    const long shift = module_.CountOfLines() - static_cast<long>(EditorLineCount());
    QTextBlock b = editor_->document()->findBlockByNumber(static_cast<int>(first));
    for (size_t i = 0; i < count && b.isValid(); ++i, b = b.next()) {
        if (oneForm) {
            lines.push_back(EncodeCode(b.text(), module_.TextCodePage()));
            continue;
        }
        const long line = static_cast<long>(first + i) + 1;
        std::optional<std::string> kept = ModuleLineShownAs(b.text(), line);
        if (!kept && shift != 0) kept = ModuleLineShownAs(b.text(), line + shift);
        lines.push_back(kept ? std::move(*kept) : EncodeCode(b.text(), module_.TextCodePage()));
    }
    return lines;
}

std::optional<std::string> CodeWindow::ModuleLineShownAs(const QString& shown, long line) const {
    if (line < 1 || line > module_.CountOfLines()) return std::nullopt;
    std::string bytes(module_.Line(line));
    if (DecodeCode(bytes, module_.TextCodePage()) != shown) return std::nullopt;
    return bytes;
}

void CodeWindow::OnContentsChange(int position, int added) {
    const QTextDocument& document = *editor_->document();
    if (updating_) {
        // The module changed under typed lines: their place is not known.
        if (typed_) MarkAllTyped();
        return;
    }
    editedSinceMove_ = true;
    QTextBlock last = document.findBlock(position + added);
    if (!last.isValid()) last = document.lastBlock();
    typedFirst_ =
        std::min(typedFirst_, static_cast<size_t>(document.findBlock(position).blockNumber()));
    typedFromEnd_ = std::min(typedFromEnd_,
                             static_cast<size_t>(document.blockCount() - 1 - last.blockNumber()));
}

void CodeWindow::MarkAllTyped() {
    typedFirst_ = 0;
    typedFromEnd_ = 0;
}

void CodeWindow::MarkNothingTyped() {
    typedFirst_ = SIZE_MAX;
    typedFromEnd_ = SIZE_MAX;
}

void CodeWindow::SetTyped(bool typed) {
    if (typed_ == typed) return;
    typed_ = typed;
    owner_.TypingChanged();
}

void CodeWindow::Flush(bool withCursorLine) {
    if (!typed_) return;
    try {
        FlushTyped(withCursorLine);
    } catch (...) {
        owner_.TypingChanged();
        throw;
    }
    // Still typing when the cursor's line keeps what the user typed.
    if (!typed_) owner_.TypingChanged();
}

void CodeWindow::FlushTyped(bool withCursorLine) {
    typed_ = false;
    // Only the lines between the first and the last the user touched are
    // read back: a keystroke in a long module costs what its lines cost.
    const size_t editorCount = EditorLineCount();
    const size_t moduleCount = static_cast<size_t>(module_.CountOfLines());
    const size_t from = std::min(typedFirst_, std::min(editorCount, moduleCount));
    const size_t fromEnd = std::min(typedFromEnd_, std::min(editorCount, moduleCount) - from);
    MarkNothingTyped();
    const std::vector<std::string> typed = EditorLines(from, editorCount - from - fromEnd);
    const CommonEnds ends =
        FindCommonEnds([&](size_t i) { return std::string_view(typed[i]); }, typed.size(),
                       [&](size_t i) { return module_.Line(static_cast<long>(from + i) + 1); },
                       moduleCount - from - fromEnd);
    const size_t oldCount = moduleCount - from - fromEnd - ends.prefix - ends.suffix;
    const size_t newCount = typed.size() - ends.prefix - ends.suffix;
    if (oldCount == 0 && newCount == 0) return;
    const long first = static_cast<long>(from + ends.prefix) + 1;
    // The typed lines are one edit group: one undo step.
    flushing_ = true;
    try {
        host::EditTransaction edits(module_);
        if (oldCount > 0) module_.DeleteLines(first, static_cast<long>(oldCount));
        if (newCount > 0) module_.InsertLines(first, JoinCrLf(typed, ends.prefix, newCount));
        edits.Commit();
    } catch (...) {
        flushing_ = false;
        throw;
    }
    flushing_ = false;
    // The editor shows the lines as the module keeps them now.
    std::vector<std::string> stored;
    for (size_t i = 0; i < newCount; ++i)
        stored.emplace_back(module_.Line(first + static_cast<long>(i)));
    const int cursorBlock = withCursorLine ? -1 : editor_->textCursor().blockNumber();
    const int firstBlock = static_cast<int>(first) - 1;
    ReplaceEditorLines(firstBlock, static_cast<int>(newCount), stored, cursorBlock);
    if (cursorBlock >= 0 && cursorBlock >= firstBlock &&
        cursorBlock < firstBlock + static_cast<int>(newCount)) {
        typed_ = !ModuleLineShownAs(editor_->document()->findBlockByNumber(cursorBlock).text(),
                                    cursorBlock + 1);
        // The cursor's line keeps what the user typed until the cursor leaves it.
        if (typed_) {
            typedFirst_ = static_cast<size_t>(cursorBlock);
            typedFromEnd_ =
                static_cast<size_t>(editor_->document()->blockCount() - 1 - cursorBlock);
        }
    }
    RefreshDropDowns();
}

void CodeWindow::ReplaceEditorLines(int first, int count, const std::vector<std::string>& lines,
                                    int keepBlock) {
    updating_ = true;
    QTextDocument& document = *editor_->document();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (int i = 0; i < count; ++i) {
        const int block = first + i;
        if (block == keepBlock) continue;
        const QString text = DecodeCode(lines[static_cast<size_t>(i)], module_.TextCodePage());
        QTextBlock b = document.findBlockByNumber(block);
        if (!b.isValid() || b.text() == text) continue;
        QTextCursor line(b);
        line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        line.insertText(text);
    }
    cursor.endEditBlock();
    updating_ = false;
}

void CodeWindow::ShowModuleLines(long first, long oldCount, long newCount) {
    QStringList text;
    for (long i = 0; i < newCount; ++i) {
        text << DecodeCode(module_.Line(first + i), module_.TextCodePage());
    }
    QTextDocument& document = *editor_->document();
    // An empty module shows as one empty block, which is no line.
    const long shown =
        module_.CountOfLines() - newCount + oldCount == 0 ? 0 : document.blockCount();
    updating_ = true;
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    if (oldCount > 0) {
        const QTextBlock firstOld = document.findBlockByNumber(static_cast<int>(first - 1));
        const QTextBlock lastOld =
            document.findBlockByNumber(static_cast<int>(first + oldCount - 2));
        cursor.setPosition(firstOld.position());
        cursor.setPosition(lastOld.position() + lastOld.length() - 1, QTextCursor::KeepAnchor);
        if (newCount == 0) {
            // The line break goes with the lines: the one after them, or
            // at the end of the text the one before them.
            if (lastOld.next().isValid()) {
                cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
            } else if (first > 1) {
                const int end = cursor.position();
                cursor.setPosition(firstOld.position() - 1);
                cursor.setPosition(end, QTextCursor::KeepAnchor);
            }
        }
        cursor.insertText(text.join(u'\n'));
    } else if (newCount > 0) {
        if (shown == 0) {
            cursor.insertText(text.join(u'\n'));
        } else if (first > shown) {
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(u'\n' + text.join(u'\n'));
        } else {
            cursor.setPosition(document.findBlockByNumber(static_cast<int>(first - 1)).position());
            cursor.insertText(text.join(u'\n') + u'\n');
        }
    }
    cursor.endEditBlock();
    updating_ = false;
}

void CodeWindow::LinesInserted(host::CodeModule&, long line, long count) {
    if (!flushing_) ShowModuleLines(line, 0, count);
}

void CodeWindow::LinesDeleted(host::CodeModule&, long line, long count) {
    if (!flushing_) ShowModuleLines(line, count, 0);
}

void CodeWindow::LinesReplaced(host::CodeModule&, long line, long oldCount, long newCount) {
    if (!flushing_) ShowModuleLines(line, oldCount, newCount);
}

void CodeWindow::TransactionEnded(host::CodeModule&, bool) {
    if (!flushing_) RefreshDropDowns();
}

void CodeWindow::FollowPane() {
    long startLine = 1, startColumn = 1, endLine = 1, endColumn = 1;
    module_.CodePane().GetSelection(startLine, startColumn, endLine, endColumn);
    const long top = module_.CodePane().TopLine();
    GoToLine(startLine, startColumn);
    QTextCursor selection = editor_->textCursor();
    selection.setPosition(PositionOf(endLine, endColumn), QTextCursor::KeepAnchor);
    editor_->setTextCursor(selection);
    editor_->verticalScrollBar()->setValue(static_cast<int>(top - 1));
}

void CodeWindow::BeginCommand() {
    module_.CodePane().SetTopLine(editor_->verticalScrollBar()->value() + 1);
    topBeforeCommand_ = module_.CodePane().TopLine();
    inCommand_ = true;
}

void CodeWindow::EndCommand(bool followCursor) {
    if (!inCommand_) {
        if (followCursor) FollowPane();
        return;
    }
    inCommand_ = false;
    CodePane& pane = module_.CodePane();
    // A command that put the pane's top line elsewhere (Go to Code) moves
    // the view; any other keeps it where the user had it, and only brings
    // the cursor into it, as the IDE does after a command on the routine
    // at the cursor.
    if (pane.TopLine() != topBeforeCommand_) {
        if (followCursor) FollowPane();
        return;
    }
    if (followCursor) {
        long startLine = 1, startColumn = 1, endLine = 1, endColumn = 1;
        pane.GetSelection(startLine, startColumn, endLine, endColumn);
        PlaceCursor(startLine, startColumn);
    }
    editor_->verticalScrollBar()->setValue(static_cast<int>(topBeforeCommand_ - 1));
    editor_->ensureCursorVisible();
    pane.SetTopLine(editor_->verticalScrollBar()->value() + 1);
}

void CodeWindow::GoToLine(long line, long column) {
    PlaceCursor(line, column);
    editor_->centerCursor();
}

int CodeWindow::PositionOf(long line, long column) const {
    QTextBlock block = editor_->document()->findBlockByNumber(static_cast<int>(line - 1));
    if (!block.isValid()) block = editor_->document()->lastBlock();
    return block.position() +
           ShownOffsetOf(block.text(), std::max<long>(column - 1, 0), module_.TextCodePage());
}

long CodeWindow::ColumnOf(const QTextBlock& block, int offset) const {
    return ByteOffsetOf(block.text(), offset, module_.TextCodePage()) + 1;
}

long CodeWindow::CursorColumn() const {
    const QTextCursor cursor = editor_->textCursor();
    return ColumnOf(cursor.block(), cursor.positionInBlock());
}

void CodeWindow::PlaceCursor(long line, long column) {
    QTextCursor cursor(editor_->document());
    cursor.setPosition(PositionOf(line, column));
    editor_->setTextCursor(cursor);
}

void CodeWindow::PublishSelection() {
    const QTextCursor cursor = editor_->textCursor();
    const QTextBlock start = editor_->document()->findBlock(cursor.selectionStart());
    const QTextBlock end = editor_->document()->findBlock(cursor.selectionEnd());
    module_.CodePane().SetSelection(start.blockNumber() + 1,
                                    ColumnOf(start, cursor.selectionStart() - start.position()),
                                    end.blockNumber() + 1,
                                    ColumnOf(end, cursor.selectionEnd() - end.position()));
}

void CodeWindow::OnCursorMoved() {
    if (updating_) return;
    const QTextCursor cursor = editor_->textCursor();
    const int block = cursor.blockNumber();
    if (block != lastBlock_) {
        lastBlock_ = block;
        // A Return or a paste moves the cursor as it types: the typing
        // goes on, one group.
        if (!editedSinceMove_) Flush(false);
        ShowProcedureAtCursor();
    }
    editedSinceMove_ = false;
    PublishSelection();
    owner_.CursorMoved(block + 1, CursorColumn());
}

bool CodeWindow::OnEditorKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    switch (key.key()) {
        case Qt::Key_Tab:
            if (!plain) return false;
            IndentSelection(false);
            return true;
        case Qt::Key_Backtab:  // Shift+Tab
            if (modifiers != Qt::ShiftModifier && !plain) return false;
            IndentSelection(true);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            if (!plain && modifiers != Qt::ShiftModifier) return false;
            QTextCursor cursor = editor_->textCursor();
            NewLineKeepingIndent(cursor);
            editor_->setTextCursor(cursor);
            editor_->ensureCursorVisible();
            return true;
        }
        case Qt::Key_Insert:
            if (!plain) return false;  // Shift+Insert and Ctrl+Insert are the clipboard's
            editor_->setOverwriteMode(!editor_->overwriteMode());
            return true;
        default:
            return false;
    }
}

void CodeWindow::IndentSelection(bool outdent) {
    const int width = module_.Vbe().TabWidth();
    QTextCursor cursor = editor_->textCursor();
    const std::optional<LineSpan> lines = SelectedLines(cursor);
    if (!lines && !outdent) {
        InsertToNextTabStop(cursor, width);
        editor_->setTextCursor(cursor);
        return;
    }
    // What was typed before is a step of its own, and so is the indent.
    Flush(true);
    cursor = editor_->textCursor();
    const LineSpan span = lines.value_or(LineSpan{cursor.blockNumber(), cursor.blockNumber()});
    if (outdent) {
        OutdentLines(cursor, span, width);
    } else {
        IndentLines(cursor, span, width);
    }
    editor_->setTextCursor(cursor);
    Flush(true);
}

void CodeWindow::RefreshDropDowns() {
    auto& component = static_cast<host::memory::MemoryComponent&>(module_.Parent());
    const QString current = objects_->currentText();
    objects_->clear();
    objects_->addItem(QString::fromLatin1(kGeneral));
    if (host::memory::MemoryDesigner* designer =
            component.Designer() != nullptr ? &component.EnsureDesigner() : nullptr) {
        objects_->addItem(ui::VbQString(component.Name(), module_.TextCodePage()));
        for (long i = 1; i <= designer->Controls().Count(); ++i) {
            auto& control = static_cast<host::memory::MemoryControl&>(designer->Controls().Item(i));
            const QString name = ui::VbQString(control.ControlName(), module_.TextCodePage());
            if (objects_->findText(name) < 0) objects_->addItem(name);
        }
    }
    const int again = objects_->findText(current);
    objects_->setCurrentIndex(again < 0 ? 0 : again);
    OnObjectChosen(objects_->currentIndex());
}

void CodeWindow::OnObjectChosen(int index) {
    auto& component = static_cast<host::memory::MemoryComponent&>(module_.Parent());
    analysis::RoutineList routines;
    host::VBE& vbe = component.Owner().Project().VBE();
    try {
        analysis::GetRoutineNames(vbe, component.Owner().Project().Name(), component.Name(),
                                  routines, false);
    } catch (...) {
        routines.clear();
    }
    SortInCodeOrder(routines);
    const QString object = index <= 0 ? QString() : objects_->itemText(index);
    procedures_->clear();
    for (const analysis::RoutineEntry& routine : routines) {
        const QString name = ui::VbQString(routine.name, module_.TextCodePage());
        const bool ofObject =
            !object.isEmpty() && name.startsWith(object + u'_', Qt::CaseInsensitive);
        bool ofAnyObject = false;
        for (int i = 1; i < objects_->count(); ++i) {
            ofAnyObject |= name.startsWith(objects_->itemText(i) + u'_', Qt::CaseInsensitive);
        }
        if (object.isEmpty() ? ofAnyObject : !ofObject) continue;
        // Each copy of a routine defined more than once has its own row.
        procedures_->addItem(
            name + KindSuffix(routine.kind) + QString::fromStdString(analysis::CopySuffix(routine.copy)),
            QVariant::fromValue(QStringList{name, QString::number(routine.kind),
                                            QString::number(routine.copy)}));
    }
    ShowProcedureAtCursor();
}

void CodeWindow::OnProcedureChosen(int index) {
    const QStringList entry = procedures_->itemData(index).toStringList();
    if (entry.size() != 3) return;
    Flush(true);
    if (entry[0] == QLatin1String(kDeclarations)) {
        GoToLine(1);
    } else {
        try {
            const std::string name = ui::VbBytes(entry[0], module_.TextCodePage());
            const host::ProcCopyScope copy(module_, name, entry[2].toLong());
            GoToLine(module_.ProcBodyLine(name, entry[1].toInt()));
        } catch (...) {
            return;  // the procedure went while the list was open
        }
    }
    editor_->setFocus();
}

void CodeWindow::ShowProcedureAtCursor() {
    int kind = 0;
    std::string name;
    long copy = 0;
    try {
        const long line = editor_->textCursor().blockNumber() + 1;
        name = module_.ProcOfLine(line, kind);
        copy = module_.ProcCopyOfLine(line);
    } catch (...) {
        return;
    }
    const QString wanted = name.empty() ? QString::fromLatin1(kDeclarations)
                                        : ui::VbQString(name, module_.TextCodePage()) +
                                              KindSuffix(kind) +
                                              QString::fromStdString(analysis::CopySuffix(copy));
    const int found = procedures_->findText(wanted);
    if (found >= 0) procedures_->setCurrentIndex(found);
}

}  // namespace qv::workbench
