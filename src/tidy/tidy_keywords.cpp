#include "tidy/tidy_keywords.h"

#include "platform/text.h"
#include "platform/vb_strings.h"

namespace qv::tidy {

namespace {

// Each list is kept as one comma-separated text.
constexpr std::string_view kRoutineOpeners =
    "Select Case,If,ElseIf,Else,#If,#ElseIf,#Else,Case,With,For,Do,While";
constexpr std::string_view kRoutineClosers =
    "End Select,ElseIf,Else,End If,#ElseIf,#Else,#End If,Case,End Type,End With,Loop,Wend,Next";
constexpr std::string_view kDeclarationOpeners =
    "Type,Public Type,Private Type,Enum,Public Enum,Private Enum,#If,#ElseIf,#Else";
constexpr std::string_view kDeclarationClosers = "End Type,End Enum,#ElseIf,#Else,#End If";

TidyKeywords BuildKeywords() {
    TidyKeywords k;
    k.routineOpeners = vb5stuff::Split(kRoutineOpeners, ",");
    k.routineClosers = vb5stuff::Split(kRoutineClosers, ",");
    k.declarationOpeners = vb5stuff::Split(kDeclarationOpeners, ",");
    k.declarationClosers = vb5stuff::Split(kDeclarationClosers, ",");
    return k;
}

}  // namespace

const TidyKeywords& Keywords() {
    static const TidyKeywords keywords = BuildKeywords();
    return keywords;
}

int FirstMatch(const KeywordList& keywords, std::string_view statement) {
    for (size_t i = 0; i < keywords.size(); ++i) {
        const std::string& k = keywords[i];
        if (statement.size() > k.size() && statement[k.size()] == ' ' &&
            text::StartsWithIgnoreCase(statement, k)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace qv::tidy
