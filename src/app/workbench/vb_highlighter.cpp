#include "app/workbench/vb_highlighter.h"

#include <QSet>

namespace qv::workbench {

namespace {

const QSet<QString>& Keywords() {
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const char* w :
             {"and",        "as",       "boolean",    "byref",    "byte",       "byval",
              "call",       "case",     "const",      "currency", "date",       "declare",
              "dim",        "do",       "double",     "each",     "else",       "elseif",
              "end",        "enum",     "erase",      "error",    "event",      "exit",
              "explicit",   "false",    "for",        "friend",   "function",   "get",
              "global",     "gosub",    "goto",       "if",       "implements", "in",
              "integer",    "is",       "let",        "lib",      "like",       "long",
              "loop",       "me",       "mod",        "new",      "next",       "not",
              "nothing",    "object",   "on",         "option",   "optional",   "or",
              "paramarray", "preserve", "private",    "property", "public",     "raiseevent",
              "redim",      "resume",   "return",     "select",   "set",        "single",
              "static",     "step",     "stop",       "string",   "sub",        "then",
              "to",         "true",     "type",       "until",    "variant",    "wend",
              "while",      "with",     "withevents", "xor",      "#if",        "#else",
              "#elseif",    "#end",     "#const"}) {
            set.insert(QString::fromLatin1(w));
        }
        return set;
    }();
    return words;
}

bool WordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'#';
}

// The start of a comment: "'" or a "Rem" statement outside string literals.
qsizetype CommentStart(const QString& text) {
    bool inString = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') inString = !inString;
        if (inString) continue;
        if (c == u'\'') return i;
        const bool wordStart = i == 0 || !WordChar(text[i - 1]);
        if (wordStart && text.mid(i, 3).compare(u"rem", Qt::CaseInsensitive) == 0 &&
            (i + 3 == text.size() || !WordChar(text[i + 3]))) {
            return i;
        }
    }
    return -1;
}

}  // namespace

bool IsColouredKeyword(const QString& word) {
    return Keywords().contains(word.toLower());
}

VbHighlighter::VbHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void VbHighlighter::highlightBlock(const QString& text) {
    QTextCharFormat keyword;
    keyword.setForeground(QColor(0, 0, 160));
    QTextCharFormat comment;
    comment.setForeground(QColor(0, 128, 0));
    const qsizetype commentAt = CommentStart(text);
    const qsizetype codeEnd = commentAt < 0 ? text.size() : commentAt;
    bool inString = false;
    for (qsizetype i = 0; i < codeEnd;) {
        if (text[i] == u'"') inString = !inString;
        if (inString || !WordChar(text[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < codeEnd && WordChar(text[end])) ++end;
        if (IsColouredKeyword(text.mid(i, end - i))) {
            setFormat(static_cast<int>(i), static_cast<int>(end - i), keyword);
        }
        i = end;
    }
    if (commentAt >= 0) {
        setFormat(static_cast<int>(commentAt), static_cast<int>(text.size() - commentAt), comment);
    }
}

}  // namespace qv::workbench
