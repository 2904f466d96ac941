Attribute VB_Name = "modMain"
Option Explicit
' The program's start and a few helpers shared by the forms.

Private Declare Function GetTickCount Lib "kernel32" () As Long

Public Const APP_TITLE As String = "Example"
Public gAccounts As Collection

' Where the program starts.
Sub Main()
    Set gAccounts = New Collection
    frmMain.Show
End Sub

' Adds up the balances of the accounts.
' Closed accounts count only when asked for.
Public Function TotalBalance(ByVal includeClosed As Boolean, _
                             Optional ByVal minimum As Currency = 0) As Currency
    Dim account As CAccount
    Dim total As Currency
    For Each account In gAccounts
        If account.IsOpen Or includeClosed Then
            If account.Balance >= minimum Then
                total = total + account.Balance
            End If
        End If
    Next account
    TotalBalance = total
End Function

Public Function Describe(ByVal value As Variant) As String
    Select Case VarType(value)
        Case vbString
            Describe = "text: " & value
        Case vbLong, vbInteger
            Describe = "number: " & CStr(value)
        Case Else
            Describe = "other"
    End Select
End Function

Public Function Elapsed(ByVal since As Long) As Long
    Elapsed = GetTickCount() - since ' milliseconds since then
End Function
