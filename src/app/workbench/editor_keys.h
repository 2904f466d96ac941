#pragma once
// The code editor's own keys, as a VB programmer knows them: Tab indents
// the selected lines by the IDE's tab width in spaces and Shift+Tab outdents
// them; Tab with no selection inserts spaces up to the next tab stop; Return
// starts the new line with the indentation of the line it leaves. Each
// works on a text cursor of the editor's document, as one edit.

#include <QTextCursor>
#include <optional>

namespace qv::workbench {

// Lines (blocks, from 0) first .. last.
struct LineSpan {
    int first = 0;
    int last = 0;
};

// The lines a selection spans when it reaches over a line break; a selection
// that ends at the start of a line leaves that line out. Nothing for a
// selection within one line, or none.
std::optional<LineSpan> SelectedLines(const QTextCursor& cursor);

// Puts width spaces in front of every line of span that is not blank, and
// selects the lines.
void IndentLines(QTextCursor& cursor, LineSpan span, int width);
// Takes up to width leading spaces (or one leading tab) off every line of
// span; keeps the selection over the lines when there was one.
void OutdentLines(QTextCursor& cursor, LineSpan span, int width);
// Replaces the selection (if any) with spaces up to the next tab stop.
void InsertToNextTabStop(QTextCursor& cursor, int width);
// Replaces the selection (if any) with a line break followed by the blanks
// that start the line, as far as they stand before the cursor.
void NewLineKeepingIndent(QTextCursor& cursor);

}  // namespace qv::workbench
