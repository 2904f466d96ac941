#include "ui/vb_highlighter.h"

#include <QRegularExpression>
#include <QSet>

#include "settings/setting_checks.h"

namespace qv::ui {

namespace {

const QColor kKeywordColour(0x00, 0x00, 0x80);
const QColor kCommentColour(0x00, 0x80, 0x00);

bool WordCharacter(QChar c) { return c.isLetterOrNumber() || c == '_'; }

}  // namespace

bool IsVbKeyword(const QString& word) {
    // The reserved words, and the words the IDE colours only where they
    // stand in a statement of their own kind.
    static const QSet<QString> contextual{"alias",  "attribute", "base",  "binary", "compare",
                                          "explicit", "lib",     "text",  "#if",    "#else",
                                          "#elseif",  "#end",    "#const", "ptrsafe"};
    return contextual.contains(word.toLower()) || settings::IsReservedWord(word.toStdString());
}

qsizetype CommentStart(const QString& line) {
    bool inString = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == '"') inString = !inString;
        if (inString) continue;
        if (c == '\'') return i;
        const bool wordStart = i == 0 || !WordCharacter(line[i - 1]);
        if (wordStart && line.mid(i, 3).compare("Rem", Qt::CaseInsensitive) == 0 &&
            (i + 3 == line.size() || !WordCharacter(line[i + 3]))) {
            // "Rem" starts a comment only where a statement may start.
            const QString before = line.left(i).trimmed();
            if (before.isEmpty() || before.endsWith(':')) return i;
        }
    }
    return -1;
}

VbHighlighter::VbHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void VbHighlighter::highlightBlock(const QString& text) {
    const qsizetype comment = CommentStart(text);
    const QString code = comment < 0 ? text : text.left(comment);
    static const QRegularExpression word(QStringLiteral("#?[A-Za-z_][A-Za-z0-9_]*"));
    bool inString = false;
    qsizetype stringScan = 0;
    for (auto it = word.globalMatch(code); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        // Words inside string literals keep the plain colour.
        for (; stringScan < m.capturedStart(); ++stringScan) {
            if (code[stringScan] == '"') inString = !inString;
        }
        if (!inString && IsVbKeyword(m.captured())) {
            setFormat(static_cast<int>(m.capturedStart()), static_cast<int>(m.capturedLength()),
                      kKeywordColour);
        }
    }
    if (comment >= 0) {
        setFormat(static_cast<int>(comment), static_cast<int>(text.size() - comment),
                  kCommentColour);
    }
}

}  // namespace qv::ui
