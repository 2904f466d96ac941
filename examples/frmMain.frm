VERSION 5.00
Begin VB.Form frmMain 
   Caption         =   "Example"
   ClientHeight    =   3195
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   4680
   LinkTopic       =   "Form1"
   ScaleHeight     =   3195
   ScaleWidth      =   4680
   StartUpPosition =   3  'Windows Default
   Begin VB.Timer tmrClock 
      Interval        =   1000
      Left            =   120
      Top             =   2640
   End
   Begin VB.CommandButton cmdAction 
      Caption         =   "Deposit"
      Height          =   375
      Index           =   0
      Left            =   120
      TabIndex        =   1
      Top             =   600
      Width           =   1215
   End
   Begin VB.CommandButton cmdAction 
      Caption         =   "Withdraw"
      Height          =   375
      Index           =   1
      Left            =   1440
      TabIndex        =   2
      Top             =   600
      Width           =   1215
   End
   Begin VB.TextBox txtAmount 
      Height          =   285
      Left            =   120
      TabIndex        =   0
      Text            =   "0"
      Top             =   120
      Width           =   2535
   End
   Begin VB.Label lblBalance 
      Caption         =   "Balance:"
      Height          =   255
      Left            =   120
      TabIndex        =   3
      Top             =   1080
      Width           =   2535
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit
' The main form: one account, two buttons and a clock.

Private WithEvents mAccount As CAccount
Attribute mAccount.VB_VarHelpID = -1

Private Sub Form_Load()
    Set mAccount = New CAccount
    gAccounts.Add mAccount
    lblBalance.Caption = "Balance: " & Format$(mAccount.Balance, "0.00")
End Sub

Private Sub cmdAction_Click(Index As Integer)
    Dim amount As Currency
    amount = Val(txtAmount.Text)
    If Index = 0 Then
        mAccount.Balance = mAccount.Balance + amount
    Else
        mAccount.Balance = mAccount.Balance - amount
    End If
End Sub

Private Sub mAccount_Changed(ByVal newBalance As Currency)
    lblBalance.Caption = "Balance: " & Format$(newBalance, "0.00")
End Sub

Private Sub tmrClock_Timer()
    Caption = APP_TITLE & " - " & Format$(Now, "hh:nn:ss")
End Sub
