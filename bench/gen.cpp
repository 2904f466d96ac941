// qvaddin-bench-gen: writes a large synthetic VB6 project for timing the
// tools. The code is realistic VB6 of the kind real code bases hold: standard
// modules, classes with properties, forms with controls and control arrays,
// comments, continuation lines, Select Case, routines that already have
// error handlers and, in a few modules, routines numbered in steps of 10.
// The same options and seed always give the same bytes.
//
// Usage: qvaddin-bench-gen --out DIR [--lines N] [options]   (see --help)

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Options {
    std::string out;
    long lines = 1000000;
    long linesPerModule = 500;
    int projects = 1;
    std::string ending = "\r\n";
    std::string name = "Bench";
    int handlerPercent = 30;
    int numberedPercent = 5;
    unsigned long seed = 1;
};

const char* kHelp =
    "Usage: qvaddin-bench-gen --out DIR [options]\n"
    "Writes a synthetic VB6 project of about N lines (all file lines, headers included)\n"
    "into DIR: Bench.vbp and its modules (modNNNN.bas, CNNNN.cls, frmNNNN.frm).\n\n"
    "  --out DIR              the folder to write (made when missing)\n"
    "  --lines N              total lines, default 1000000\n"
    "  --lines-per-module M   about M lines per module, default 500\n"
    "  --projects K           split the modules over K projects and write Bench.vbg, default 1\n"
    "  --ending crlf|lf       line ending, default crlf\n"
    "  --name NAME            project name (and file name), default Bench\n"
    "  --handlers P           percent of routines that already have an error handler, default 30\n"
    "  --numbered P           percent of modules whose routines are numbered in steps of 10,\n"
    "                         default 5\n"
    "  --seed S               seed of the random choices, default 1\n"
    "Prints what it wrote: modules, routines, lines.\n";

// A small deterministic generator (xorshift), so every run gives the same project.
class Random {
  public:
    explicit Random(unsigned long seed) : state_(seed * 2654435761UL + 88172645463325252ULL) {}
    uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    bool Percent(int p) { return Below(100) < p; }

  private:
    uint64_t state_;
};

const char* const kNouns[] = {"Customer", "Invoice", "Order", "Account", "Payment", "Report",
                              "Ledger",   "Stock",   "Price", "Address", "Contact", "Balance"};
const char* const kVerbs[] = {"Load", "Save", "Check", "Update", "Print", "Find", "Post", "Close"};
const char* const kControls[][2] = {{"VB.CommandButton", "cmd"}, {"VB.TextBox", "txt"},
                                    {"VB.Label", "lbl"},         {"VB.CheckBox", "chk"},
                                    {"VB.ComboBox", "cbo"},      {"VB.ListBox", "lst"}};

std::string Noun(Random& r) {
    return kNouns[r.Below(12)];
}
std::string Verb(Random& r) {
    return kVerbs[r.Below(8)];
}

// Lines of one module, with the numbering and handler choices applied.
class ModuleWriter {
  public:
    ModuleWriter(Random& random, const Options& options, std::string name, bool numbered)
        : r_(random), o_(options), name_(std::move(name)), numbered_(numbered) {}

    std::vector<std::string> lines;
    long routines = 0;

    void Add(std::string line) { lines.push_back(std::move(line)); }

    // A statement line of a routine body: numbered in steps of 10 when the
    // module is numbered.
    void Statement(const std::string& indent, const std::string& code) {
        if (numbered_) {
            next_ += 10;
            Add(std::to_string(next_) +
                std::string(indent.size() > 2 ? indent.size() - 2 : 1, ' ') + code);
        } else {
            Add(indent + code);
        }
    }

    void Declarations(bool isClass) {
        Add("Option Explicit");
        Add("' " + name_ + ": " + Noun(r_) + " handling.");
        Add("' Generated for timing; the code is typical of a line-of-business application.");
        Add("");
        Add("Private Const MODULE_NAME As String = \"" + name_ + "\"");
        Add("Private Const MAX_ITEMS As Long = " + std::to_string(10 + r_.Below(990)));
        if (!isClass && r_.Percent(40)) {
            Add("Private Declare Function GetTickCount Lib \"kernel32\" () As Long");
        }
        if (r_.Percent(30)) {
            Add("Private Type T" + Noun(r_) + "Row");
            Add("    Id As Long");
            Add("    Name As String");
            Add("    Amount As Currency");
            Add("End Type");
        }
        if (r_.Percent(20)) {
            Add("Public Enum e" + name_ + "State");
            Add("    stNew = 0");
            Add("    stOpen = 1");
            Add("    stClosed = 2");
            Add("End Enum");
        }
        Add("Private mCount As Long");
        Add("Private mItems() As String");
        Add("");
    }

    // attribute: a hidden attribute line under the declaration ("" none);
    // statement: the body when body is false.
    void Routine(const std::string& scope, const std::string& kind, const std::string& name,
                 const std::string& params, const std::string& returns, bool body,
                 const std::string& attribute = "", const std::string& statement = "") {
        ++routines;
        next_ = 0;
        const bool handler = r_.Percent(o_.handlerPercent);
        const std::string what = kind.rfind("Property", 0) == 0 ? "Property" : kind;
        Add("'");
        Add("' " + name + ": " + Verb(r_) + "s the " + Noun(r_) + " records.");
        Add("'");
        if (params.size() > 30) {
            // A declaration over two lines.
            const size_t comma = params.find(", ");
            Add(scope + " " + kind + " " + name + "(" + params.substr(0, comma + 1) + " _");
            Add(std::string(scope.size() + kind.size() + name.size() + 3, ' ') +
                params.substr(comma + 2) + ")" + returns);
        } else {
            Add(scope + " " + kind + " " + name + "(" + params + ")" + returns);
        }
        if (!attribute.empty()) Add(attribute);
        if (handler) Add("    On Error GoTo ErrorHandler");
        Add("    Dim i As Long");
        Add("    Dim result As String");
        Add("");
        if (body) Body(name);
        if (!statement.empty()) Statement("    ", statement);
        if (handler) {
            Statement("    ", "Exit " + what);
            Add("ErrorHandler:");
            Statement("    ",
                      "Err.Raise Err.Number, MODULE_NAME & \"." + name + "\", Err.Description");
        }
        Add("End " + what);
        Add("");
    }

    void Body(const std::string& name) {
        const int shape = r_.Below(4);
        Statement("    ", "' " + Verb(r_) + " each item, then report.");
        if (shape == 0 || shape == 3) {
            Statement("    ", "For i = 0 To MAX_ITEMS - 1");
            Statement("        ", "If i Mod 2 = 0 Then");
            Statement("            ", "mCount = mCount + 1");
            Statement("        ", "ElseIf i > 100 Then");
            Statement("            ", "Exit For");
            Statement("        ", "End If");
            Statement("    ", "Next i");
        }
        if (shape == 1 || shape == 3) {
            Statement("    ", "Select Case mCount");
            Statement("        ", "Case 0");
            Statement("            ", "result = \"none\"");
            Statement("        ", "Case 1 To 9");
            Statement("            ", "result = \"few\"  ' a handful");
            Statement("        ", "Case Else");
            Statement("            ", "result = \"many\"");
            Statement("    ", "End Select");
        }
        if (shape == 2) {
            Statement("    ", "result = \"" + name + ": \" & CStr(mCount) & _");
            Add("             \" items of \" & CStr(MAX_ITEMS) & _");
            Add("             \" in all\"");
            Statement("    ", "Debug.Print result");
            Statement("    ", "With Me");
            Statement("    ", "End With");
        }
        for (int k = r_.Below(6); k > 0; --k) {
            Statement("    ",
                      "mCount = mCount + " + std::to_string(k) + "   ' step " + std::to_string(k));
        }
        Add("");
    }

  private:
    Random& r_;
    const Options& o_;
    std::string name_;
    bool numbered_;
    long next_ = 0;
};

std::string Params(Random& r) {
    switch (r.Below(4)) {
        case 0:
            return "";
        case 1:
            return "ByVal id As Long";
        case 2:
            return "ByVal id As Long, ByRef name As String";
        default:
            return "ByVal id As Long, Optional ByVal flags As Integer = 0";
    }
}

void WriteFile(const fs::path& path, const std::vector<std::string>& lines,
               const std::string& ending) {
    std::string bytes;
    for (const std::string& l : lines) bytes.append(l).append(ending);
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!stream) {
        std::cerr << "qvaddin-bench-gen: cannot write " << path << '\n';
        std::exit(1);
    }
}

// Standard module, class or form; fills the module up to about the target size.
struct Generated {
    std::string vbpLine;
    std::string file;
    long lines = 0;
    long routines = 0;
};

Generated MakeModule(Random& r, const Options& o, long index, long target) {
    const int kind =
        index % 10 < 5 ? 0 : (index % 10 < 8 ? 1 : 2);  // 50% modules, 30% classes, 20% forms
    char number[24];
    std::snprintf(number, sizeof number, "%04ld", index);
    const std::string name = std::string(kind == 0   ? "mod"
                                         : kind == 1 ? "C"
                                                     : "frm") +
                             Noun(r) + number;
    ModuleWriter w(r, o, name, r.Percent(o.numberedPercent));
    Generated g;
    if (kind == 0) {
        w.Add("Attribute VB_Name = \"" + name + "\"");
        g.file = name + ".bas";
        g.vbpLine = "Module=" + name + "; " + g.file;
    } else if (kind == 1) {
        for (const char* l :
             {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True",
              "  Persistable = 0  'NotPersistable", "  DataBindingBehavior = 0  'vbNone",
              "  DataSourceBehavior  = 0  'vbNone", "  MTSTransactionMode  = 0  'NotAnMTSObject",
              "END"}) {
            w.Add(l);
        }
        w.Add("Attribute VB_Name = \"" + name + "\"");
        for (const char* l :
             {"Attribute VB_GlobalNameSpace = False", "Attribute VB_Creatable = True",
              "Attribute VB_PredeclaredId = False", "Attribute VB_Exposed = False"}) {
            w.Add(l);
        }
        g.file = name + ".cls";
        g.vbpLine = "Class=" + name + "; " + g.file;
    } else {
        w.Add("VERSION 5.00");
        w.Add("Begin VB.Form " + name + " ");
        w.Add("   Caption         =   \"" + name + "\"");
        w.Add("   ClientHeight    =   3195");
        w.Add("   ClientWidth     =   4680");
        w.Add("   BeginProperty Font ");
        w.Add("      Name            =   \"MS Sans Serif\"");
        w.Add("      Size            =   8.25");
        w.Add("   EndProperty");
        const int controls = 3 + r.Below(8);
        for (int c = 0; c < controls; ++c) {
            const auto& control = kControls[r.Below(6)];
            const bool array = c % 4 == 1;
            for (int e = 0; e < (array ? 2 : 1); ++e) {
                w.Add(std::string("   Begin ") + control[0] + " " + control[1] + "Item" +
                      std::to_string(c) + " ");
                w.Add("      Height          =   375");
                if (array) w.Add("      Index           =   " + std::to_string(e));
                w.Add("      Left            =   " + std::to_string(120 + 1320 * e));
                w.Add("      TabIndex        =   " + std::to_string(c));
                w.Add("      Top             =   " + std::to_string(120 + 480 * c));
                w.Add("   End");
            }
        }
        w.Add("End");
        w.Add("Attribute VB_Name = \"" + name + "\"");
        for (const char* l :
             {"Attribute VB_GlobalNameSpace = False", "Attribute VB_Creatable = False",
              "Attribute VB_PredeclaredId = True", "Attribute VB_Exposed = False"}) {
            w.Add(l);
        }
        g.file = name + ".frm";
        g.vbpLine = "Form=" + g.file;
    }
    w.Declarations(kind == 1);
    if (kind == 1) {
        w.Add("Private mSource As Object");
        w.Add("Private WithEvents mTimer As CTimer");
        w.Add("Attribute mTimer.VB_VarHelpID = -1");
        w.Add("");
        w.Routine("Public", "Property Get", "Count", "", " As Long", false,
                  "Attribute Count.VB_UserMemId = 0", "Count = mCount");
        w.Routine("Public", "Property Let", "Count", "ByVal value As Long", "", false, "",
                  "mCount = value");
        w.Routine("Public", "Property Set", "Source", "ByVal value As Object", "", false, "",
                  "Set mSource = value");
    }
    if (kind == 2) {
        w.Routine("Private", "Sub", "Form_Load", "", "", true);
        w.Routine("Private", "Sub", "cmdItem0_Click", "", "", true);
    }
    while (static_cast<long>(w.lines.size()) < target) {
        const bool function = r.Percent(40);
        const std::string routine = Verb(r) + Noun(r) + std::to_string(w.routines);
        w.Routine(r.Percent(70) ? "Public" : "Private", function ? "Function" : "Sub", routine,
                  Params(r), function ? " As Long" : "", true);
    }
    g.lines = static_cast<long>(w.lines.size());
    g.routines = w.routines;
    WriteFile(fs::path(o.out) / g.file, w.lines, o.ending);
    return g;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kHelp;
            std::exit(0);
        }
        if (i + 1 >= argc) return false;
        const std::string v = argv[++i];
        if (a == "--out")
            o.out = v;
        else if (a == "--lines")
            o.lines = std::atol(v.c_str());
        else if (a == "--lines-per-module")
            o.linesPerModule = std::atol(v.c_str());
        else if (a == "--projects")
            o.projects = std::atoi(v.c_str());
        else if (a == "--ending")
            o.ending = v == "lf" ? "\n" : "\r\n";
        else if (a == "--name")
            o.name = v;
        else if (a == "--handlers")
            o.handlerPercent = std::atoi(v.c_str());
        else if (a == "--numbered")
            o.numberedPercent = std::atoi(v.c_str());
        else if (a == "--seed")
            o.seed = std::strtoul(v.c_str(), nullptr, 10);
        else
            return false;
    }
    return !o.out.empty() && o.lines > 0 && o.linesPerModule >= 50 && o.projects >= 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::cerr << kHelp;
        return 2;
    }
    fs::create_directories(o.out);
    Random r(o.seed);
    const long modules = std::max(1L, o.lines / o.linesPerModule);
    std::vector<std::vector<std::string>> projectLines(static_cast<size_t>(o.projects));
    long lines = 0, routines = 0, left = o.lines;
    for (long m = 0; m < modules; ++m) {
        // Vary the size around the mean; the last module takes what is left.
        long target = m + 1 == modules
                          ? left
                          : o.linesPerModule / 2 + r.Below(static_cast<int>(o.linesPerModule));
        target = std::max(40L, std::min(target, left - 40 * (modules - m - 1)));
        const Generated g = MakeModule(r, o, m + 1, target);
        projectLines[static_cast<size_t>(m % o.projects)].push_back(g.vbpLine);
        lines += g.lines;
        routines += g.routines;
        left -= g.lines;
    }
    std::vector<std::string> group{"VBGROUP 5.0"};
    for (int p = 0; p < o.projects; ++p) {
        const std::string name = o.projects == 1 ? o.name : o.name + std::to_string(p + 1);
        std::vector<std::string> vbp{"Type=Exe"};
        vbp.insert(vbp.end(), projectLines[static_cast<size_t>(p)].begin(),
                   projectLines[static_cast<size_t>(p)].end());
        vbp.push_back("Startup=\"Sub Main\"");
        vbp.push_back("Name=\"" + name + "\"");
        vbp.push_back("HelpContextID=\"0\"");
        WriteFile(fs::path(o.out) / (name + ".vbp"), vbp, o.ending);
        group.push_back(std::string(p == 0 ? "StartupProject=" : "Project=") + name + ".vbp");
    }
    if (o.projects > 1) WriteFile(fs::path(o.out) / (o.name + ".vbg"), group, o.ending);
    std::cout << "wrote " << modules << " modules, " << routines << " routines, " << lines
              << " lines to " << o.out << '\n';
    return 0;
}
