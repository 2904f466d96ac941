#include "app/workbench/editor_keys.h"

#include <QTextBlock>
#include <QTextDocument>

namespace qv::workbench {

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool BlankLine(const QString& text) {
    for (QChar c : text) {
        if (!IsBlank(c)) return false;
    }
    return true;
}

// How many characters of the line's start an outdent takes off.
int OutdentCount(const QString& text, int width) {
    if (text.startsWith(u'\t')) return 1;
    int count = 0;
    while (count < width && count < text.size() && text[count] == u' ') ++count;
    return count;
}

void SelectLines(QTextCursor& cursor, LineSpan span) {
    const QTextDocument& document = *cursor.document();
    const QTextBlock first = document.findBlockByNumber(span.first);
    const QTextBlock last = document.findBlockByNumber(span.last);
    cursor.setPosition(first.position());
    cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
}

}  // namespace

std::optional<LineSpan> SelectedLines(const QTextCursor& cursor) {
    if (!cursor.hasSelection()) return std::nullopt;
    const QTextDocument& document = *cursor.document();
    const QTextBlock first = document.findBlock(cursor.selectionStart());
    const QTextBlock last = document.findBlock(cursor.selectionEnd());
    if (first == last) return std::nullopt;
    const bool endsAtLineStart = cursor.selectionEnd() == last.position();
    return LineSpan{first.blockNumber(), last.blockNumber() - (endsAtLineStart ? 1 : 0)};
}

void IndentLines(QTextCursor& cursor, LineSpan span, int width) {
    const QString spaces(width, u' ');
    QTextCursor edit(cursor);
    edit.beginEditBlock();
    for (QTextBlock b = cursor.document()->findBlockByNumber(span.first);
         b.isValid() && b.blockNumber() <= span.last; b = b.next()) {
        if (BlankLine(b.text())) continue;
        edit.setPosition(b.position());
        edit.insertText(spaces);
    }
    edit.endEditBlock();
    SelectLines(cursor, span);
}

void OutdentLines(QTextCursor& cursor, LineSpan span, int width) {
    const bool selected = cursor.hasSelection();
    QTextCursor edit(cursor);
    edit.beginEditBlock();
    for (QTextBlock b = cursor.document()->findBlockByNumber(span.first);
         b.isValid() && b.blockNumber() <= span.last; b = b.next()) {
        const int count = OutdentCount(b.text(), width);
        if (count == 0) continue;
        edit.setPosition(b.position());
        edit.setPosition(b.position() + count, QTextCursor::KeepAnchor);
        edit.removeSelectedText();
    }
    edit.endEditBlock();
    if (selected) SelectLines(cursor, span);
}

void InsertToNextTabStop(QTextCursor& cursor, int width) {
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int column = cursor.positionInBlock();
    cursor.insertText(QString(width - column % width, u' '));
    cursor.endEditBlock();
}

void NewLineKeepingIndent(QTextCursor& cursor) {
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QString before = cursor.block().text().left(cursor.positionInBlock());
    int indent = 0;
    while (indent < before.size() && IsBlank(before[indent])) ++indent;
    cursor.insertText(u'\n' + before.left(indent));
    cursor.endEditBlock();
}

}  // namespace qv::workbench
