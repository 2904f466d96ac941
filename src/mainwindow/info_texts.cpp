#include "mainwindow/info_texts.h"

#include <QList>

#include "settings/hot_key.h"
#include "settings/string_table.h"

namespace qv::mainwindow {

namespace {

QString HotKeyRows() {
    QString rows;
    for (int i = 0; i < settings::kHotKeyCount; ++i) {
        const settings::HotKey key = settings::HotKeyFromTable(i);
        const std::string_view command = settings::HotKeyCommandName(i);
        rows += QStringLiteral("<tr><td>%1</td><td><b>%2</b></td></tr>")
                    .arg(QString::fromUtf8(command.data(), static_cast<qsizetype>(command.size())),
                         key.Defined() ? QString::fromStdString(key.keys).toHtmlEscaped()
                                       : QStringLiteral("(none)"));
    }
    return rows;
}

}  // namespace

QString HelpText() {
    return QStringLiteral(
               "<h2>What the add-in does</h2>"
               "<p>The add-in keeps the error handling, line numbers and layout of your VB code "
               "in one house style. Its commands are on the code window's and the project "
               "window's pop-up menus, on the tool bar, and on these hot keys (they work while "
               "the IDE is in design mode):</p>"
               "<table cellspacing='4'>%1</table>"
               "<h3>Add error handling</h3>"
               "<p>Puts the standard handler into the routine at the cursor, into every routine "
               "of the selected module, or into the whole project. The handler is built from the "
               "templates on the <i>Options</i> page; the lines between the two marker comments "
               "are replaced or removed when you replace or remove the handler later.</p>"
               "<h3>Add line numbers</h3>"
               "<p>Old numbers are taken off and the routine is re-indented before it is numbered, "
               "so that <code>Erl</code> reports the failing line.</p>"
               "<h3>Tidy</h3><p>Re-indents the routine (or the declarations section) the way the "
               "<i>Options</i> page describes.</p>"
               "<h3>Close windows</h3><p>Closes the kinds of IDE windows ticked on the "
               "<i>Options</i> page.</p>"
               "<h3>Add comment</h3><p>Appends the comment stamp (user, date) to the line at the "
               "cursor.</p>"
               "<h3>Find</h3><p>Searches every open project and lists the hits in a tree; a click "
               "on a hit opens the code there.</p>"
               "<h2>Recommended style</h2>"
               "<ul><li><b>Class Initialize and Terminate</b>: never let an error leave these "
               "events. In Terminate save the error object first and restore it at the end (see "
               "<i>Example ErrorLog</i>), so that an error being reported is not lost while the "
               "object is released.</li>"
               "<li><b>User controls</b>: an error raised to the container can stop the host "
               "program; report it inside the control (the <i>User Control</i> template).</li>"
               "<li><b>Transaction server components</b>: call <code>SetAbort</code> before "
               "raising the error, so that the transaction is rolled back (the <i>MTS</i> "
               "templates).</li></ul>"
               "<p>The <i>View and Insert</i> page lists every module and routine with the state "
               "of its error handling and runs the commands on the rows you choose.</p>")
        .arg(HotKeyRows());
}

QString ExampleErrorLogCode() {
    return QStringLiteral(R"(Attribute VB_Name = "modErrorLog"
Option Explicit

Private mErrDescription As String
Private mErrNumber As Long
Private mErrSource As String

' Keeps the error object's values, for a Class_Terminate that must not lose
' the error being reported while the object is released.
Public Sub ErrorSave()
    mErrDescription = Err.Description
    mErrNumber = Err.Number
    mErrSource = Err.Source
End Sub

' Puts the kept values back into the error object.
Public Sub ErrorRestore()
    Err.Description = mErrDescription
    Err.Number = mErrNumber
    Err.Source = mErrSource
End Sub

' Reports an error: builds the report, copies it to the clipboard, prints it
' to the Immediate window and shows it.
Public Sub ErrorLog(ByVal FunctionName As String)
    Dim Report As String
    Report = "Function: " & FunctionName & vbCrLf & _
             "Source: " & Err.Source & vbCrLf & _
             "Number: " & Err.Number & vbCrLf & _
             "Description: " & Err.Description & vbCrLf & _
             "Last line: " & Erl
    Clipboard.Clear
    Clipboard.SetText Report
    Debug.Print Report
    MsgBox Report, vbCritical, App.Title
End Sub

' True while the code runs in the development environment.
Public Function InIDE() As Boolean
    On Error GoTo NotCompiled
    Debug.Print 1 / 0
    InIDE = False
    Exit Function
NotCompiled:
    InIDE = True
End Function

' Replaces every occurrence of Find in Text by ReplaceWith.
Public Function StrReplace(ByVal Text As String, ByVal Find As String, _
                           ByVal ReplaceWith As String) As String
    Dim Position As Long
    If Len(Find) = 0 Then
        StrReplace = Text
        Exit Function
    End If
    Position = InStr(1, Text, Find, vbBinaryCompare)
    Do While Position > 0
        Text = Left$(Text, Position - 1) & ReplaceWith & Mid$(Text, Position + Len(Find))
        Position = InStr(Position + Len(ReplaceWith), Text, Find, vbBinaryCompare)
    Loop
    StrReplace = Text
End Function
)")
        .replace("\n", "\r\n");
}

const QList<ContactLabel>& ContactLabels() {
    static const QList<ContactLabel> labels{{"qvaddin@example.org", "mailto:"},
                                            {"https://example.org/qvaddin", ""}};
    return labels;
}

}  // namespace qv::mainwindow
