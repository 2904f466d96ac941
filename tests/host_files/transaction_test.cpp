// Edit transactions and change observers of a code module loaded from a file:
// a cancel puts back every line, every hidden attribute line and every line
// break exactly, and observers that follow the changes keep a true copy.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <sstream>

#include "host/files/module_writer.h"
#include "host_files/files_fixture.h"
#include "platform/vb_error.h"

namespace qv::test {
namespace {

using host::CodeModule;

// A copy of a module's lines kept by its change notifications alone, and the
// notifications in the order they came.
class Mirror : public host::CodeModuleObserver {
  public:
    explicit Mirror(CodeModule& module) : module_(module) {
        for (long i = 1; i <= module.CountOfLines(); ++i) lines.push_back(module.Lines(i, 1));
        module.Subscribe(this);
    }
    ~Mirror() override { module_.Unsubscribe(this); }

    void LinesInserted(CodeModule& m, long line, long count) override {
        log << "+" << line << "," << count << " ";
        for (long i = 0; i < count; ++i) {
            lines.insert(lines.begin() + line - 1 + i, m.Lines(line + i, 1));
        }
    }
    void LinesDeleted(CodeModule&, long line, long count) override {
        log << "-" << line << "," << count << " ";
        lines.erase(lines.begin() + line - 1, lines.begin() + line - 1 + count);
    }
    void LinesReplaced(CodeModule& m, long line, long oldCount, long newCount) override {
        log << "=" << line << "," << oldCount << "," << newCount << " ";
        lines.erase(lines.begin() + line - 1, lines.begin() + line - 1 + oldCount);
        for (long i = 0; i < newCount; ++i) {
            lines.insert(lines.begin() + line - 1 + i, m.Lines(line + i, 1));
        }
    }
    void TransactionEnded(CodeModule&, bool committed) override {
        log << (committed ? "commit " : "cancel ");
    }

    std::vector<std::string> Current() const {
        std::vector<std::string> now;
        for (long i = 1; i <= module_.CountOfLines(); ++i) now.push_back(module_.Lines(i, 1));
        return now;
    }

    std::vector<std::string> lines;
    std::ostringstream log;

  private:
    CodeModule& module_;
};

host::MemberAttributes Described(const std::string& description) {
    host::MemberAttributes attributes;
    attributes.Description = description;
    return attributes;
}

// A class whose lines end in CR LF and LF by turns, with hidden attribute
// lines under a variable and two routines, and no final break.
std::string MixedClass() {
    return "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\n"
           "Attribute VB_Name = \"CItem\"\r\nAttribute VB_Exposed = False\n"
           "Option Explicit\r\n"
           "Private WithEvents mSource As CSource\n"
           "Attribute mSource.VB_VarHelpID = -1\r\n"
           "\n"
           "Public Property Get Value() As Long\r\n"
           "Attribute Value.VB_UserMemId = 0\n"
           "\tValue = 1  \r\n"
           "End Property\n"
           "\r\n"
           "Public Function Item(ByVal i As Long) As Long\n"
           "Attribute Item.VB_Description = \"An item.\"\r\n"
           "    Item = i\n"
           "End Function";
}

class Transactions : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.Write("CItem.cls", MixedClass());
        loaded = Load({folder.File("CItem.cls")});
    }
    CodeModule& Code() { return loaded.Code("CItem"); }
    std::string Rendered() { return host::files::RenderModuleFile(loaded.File("CItem")).bytes; }

    TempFolder folder;
    LoadedFiles loaded;
};

TEST_F(Transactions, CancelPutsTheFileBackByteForByte) {
    const std::string before = Rendered();
    ASSERT_EQ(before, MixedClass());
    Mirror mirror(Code());
    Code().BeginTransaction();
    Code().InsertLines(6, "\tOn Error GoTo Error_Routine");
    Code().DeleteLines(1, 2);
    Code().Members().Item("Item").SetAttributes(Described("Changed."));
    Code().InsertLines(1, "' new\r\n' lines");
    EXPECT_NE(Rendered(), before);
    Code().CancelTransaction();
    EXPECT_EQ(Rendered(), before);
    EXPECT_FALSE(host::files::ModuleEdited(loaded.File("CItem")))
        << "a module cancelled back to what was loaded is not written";
    EXPECT_EQ(mirror.lines, mirror.Current());
    EXPECT_EQ(mirror.log.str(), "+6,1 -1,2 +1,2 =1,11,10 cancel ");
}

TEST_F(Transactions, CommitKeepsTheEditsAndTellsTheObservers) {
    Mirror mirror(Code());
    {
        host::EditTransaction edit(Code());
        Code().InsertLines(2, "Private mCount As Long");
        edit.Commit();
    }
    EXPECT_EQ(Code().Lines(2, 1), "Private mCount As Long");
    EXPECT_TRUE(host::files::ModuleEdited(loaded.File("CItem")));
    EXPECT_EQ(mirror.log.str(), "+2,1 commit ");
}

TEST_F(Transactions, AnErrorInsideAScopedTransactionUndoesItsEdits) {
    const std::string before = Rendered();
    try {
        host::EditTransaction edit(Code());
        Code().DeleteLines(3, 4);
        Code().DeleteLines(100, 1);  // raises
        edit.Commit();
    } catch (const VbError&) {
    }
    EXPECT_FALSE(Code().InTransaction());
    EXPECT_EQ(Rendered(), before);
}

// What an undo needs: the module as it was at a committed group's begin,
// handed to the observers while they are told of the commit.
class GroupKeeper : public host::CodeModuleObserver {
  public:
    void LinesInserted(CodeModule&, long, long) override {}
    void LinesDeleted(CodeModule&, long, long) override {}
    void LinesReplaced(CodeModule&, long, long, long) override {}
    void TransactionEnded(CodeModule& module, bool committed) override {
        auto& code = static_cast<host::memory::MemoryCodeModule&>(module);
        if (committed && code.CommittedFrom() != nullptr) {
            before = *code.CommittedFrom();
            after = code.Current();
        }
    }
    std::optional<host::memory::MemoryCodeModule::State> before, after;
};

TEST_F(Transactions, ACommittedGroupIsPutBackWithItsBreaksAfterASave) {
    auto& code = loaded.Code("CItem");
    const std::string original = Rendered();
    GroupKeeper keeper;
    code.Subscribe(&keeper);
    {
        host::EditTransaction edits(code);
        code.InsertLines(9, "\tOn Error GoTo Error_Routine");
        code.Members().Item("Item").SetAttributes(Described("Changed."));
        edits.Commit();
    }
    code.Unsubscribe(&keeper);
    ASSERT_TRUE(keeper.before.has_value());
    EXPECT_EQ(code.CommittedFrom(), nullptr) << "only while the observers are told";
    const std::string changed = Rendered();
    ASSERT_NE(changed, original);

    // Saved: the file on disk holds the changed bytes now.
    auto& file = const_cast<host::files::ModuleFile&>(loaded.File("CItem"));
    file.bytes = std::make_shared<const std::string>(changed);
    code.Restore(*keeper.before);
    EXPECT_TRUE(host::files::ModuleEdited(file)) << "the undo must reach the saved file";
    EXPECT_EQ(Rendered(), original) << "lines as first loaded keep their CR LF or LF";
    code.Restore(*keeper.after);
    EXPECT_EQ(Rendered(), changed);
}

TEST_F(Transactions, NeedAnOpenOne) {
    EXPECT_THROW(Code().CommitTransaction(), VbError);
    EXPECT_THROW(Code().CancelTransaction(), VbError);
    Code().BeginTransaction();
    Code().CommitTransaction();
    EXPECT_FALSE(Code().InTransaction());
    EXPECT_THROW(Code().CommitTransaction(), VbError);
}

// A caller that only wants to learn what a command would do runs it inside
// a group of its own and cancels that: the command's own group, committed
// or cancelled, is undone with it, and the observers hear of one group.
TEST_F(Transactions, NestedGroupsEndWithTheOutermost) {
    const std::string original = Rendered();
    Mirror mirror(Code());
    const std::vector<std::string> before = mirror.lines;
    Code().BeginTransaction();
    Code().InsertLines(1, "' outer");
    {
        host::EditTransaction inner(Code());
        Code().InsertLines(1, "' kept by the inner group");
        inner.Commit();
    }
    EXPECT_TRUE(Code().InTransaction());
    const std::string afterCommit = Rendered();
    {
        host::EditTransaction inner(Code());
        Code().DeleteLines(1, 2);
        inner.Cancel();
    }
    EXPECT_EQ(Rendered(), afterCommit) << "the inner cancel puts back the inner begin only";
    EXPECT_EQ(mirror.log.str().find("commit"), std::string::npos);
    EXPECT_EQ(mirror.log.str().find("cancel"), std::string::npos);
    Code().CancelTransaction();
    EXPECT_FALSE(Code().InTransaction());
    EXPECT_EQ(Rendered(), original);
    EXPECT_EQ(mirror.lines, before);
    EXPECT_EQ(mirror.Current(), before);
    const std::string log = mirror.log.str();
    EXPECT_EQ(log.substr(log.size() - 7), "cancel ") << log;
    EXPECT_EQ(log.find("cancel"), log.size() - 7) << "one group ended: " << log;
}

TEST_F(Transactions, AnObserverThatUnsubscribesIsToldNoMore) {
    auto mirror = std::make_unique<Mirror>(Code());
    Code().InsertLines(1, "' a");
    mirror.reset();
    Code().InsertLines(1, "' b");  // would reach a destroyed observer
    EXPECT_EQ(Code().Lines(1, 2), "' b\r\n' a");
}

// Random edits of every kind, some groups committed and some cancelled: after
// each group the file renders as the copy kept at its begin (cancel) or as
// the module now is, and the observer's copy always equals the module.
TEST_F(Transactions, RandomEditSequencesCancelToTheCopy) {
    std::mt19937 random(20261206);
    Mirror mirror(Code());
    const std::vector<std::string> texts = {
        "x = 1", "\tIf a Then", "Label1:", "", "' note\r\nDim y", "Sub S()\r\nEnd Sub"};
    const std::vector<std::string> members = {"Value", "Item", "mSource"};
    for (int group = 0; group < 500; ++group) {
        const std::string copy = Rendered();
        Code().BeginTransaction();
        const int edits = static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const long n = Code().CountOfLines();
            switch (random() % 3) {
                case 0:
                    Code().InsertLines(1 + static_cast<long>(random() % (n + 1)),
                                       texts[random() % texts.size()]);
                    break;
                case 1:
                    if (n > 0) {
                        const long at = 1 + static_cast<long>(random() % n);
                        Code().DeleteLines(at, 1 + static_cast<long>(random() % (n - at + 1)) % 3);
                    }
                    break;
                default:
                    try {
                        Code()
                            .Members()
                            .Item(members[random() % members.size()])
                            .SetAttributes(Described("d" + std::to_string(group)));
                    } catch (const VbError&) {
                        // a member that the edits took out
                    }
            }
            ASSERT_EQ(mirror.lines, mirror.Current())
                << "group " << group << ": " << mirror.log.str();
        }
        if (random() % 3 == 0) {
            Code().CommitTransaction();
        } else {
            Code().CancelTransaction();
            ASSERT_EQ(Rendered(), copy) << "group " << group;
        }
        ASSERT_EQ(mirror.lines, mirror.Current()) << "group " << group;
    }
}

// A module loaded from a file, as a plain list: each line with the break the
// saved file puts after it, its own as read for a line of the file ("" for
// a line written since, or the file's last line read without one: those
// take the file's ending).
struct PlainModule {
    struct Line {
        std::string text;
        std::string after;
    };
    std::string header;
    std::string ending;
    bool finalBreak = false;
    std::vector<Line> lines;

    std::string Saved() const {
        std::string out = header;
        for (size_t i = 0; i < lines.size(); ++i) {
            out += lines[i].text;
            if (i + 1 < lines.size() || finalBreak) {
                out += lines[i].after.empty() ? ending : lines[i].after;
            }
        }
        return out;
    }
    // Lines written since the load, from text split at CR LF, LF or CR.
    static std::vector<Line> Written(const std::vector<std::string>& pieces) {
        std::vector<Line> written;
        for (const std::string& piece : pieces) written.push_back({piece, ""});
        return written;
    }
    void Put(long at, long count, const std::vector<Line>& with) {
        lines.erase(lines.begin() + at - 1, lines.begin() + at - 1 + count);
        lines.insert(lines.begin() + at - 1, with.begin(), with.end());
    }
};

const std::vector<std::string> kBreaks = {"\r\n", "\n", "\r"};

// Pieces joined with breaks drawn at random; an empty piece never follows a
// lone CR with a line feed (the two would be one CR LF).
std::string JoinedAtRandom(const std::vector<std::string>& pieces, std::mt19937& random,
                           std::vector<std::string>* breaks = nullptr) {
    std::string text;
    std::string last;
    for (size_t i = 0; i < pieces.size(); ++i) {
        text += pieces[i];
        if (i + 1 == pieces.size() && breaks == nullptr) break;
        std::string next = kBreaks[random() % kBreaks.size()];
        while (last == "\r" && pieces[i].empty() && next == "\n") next = kBreaks[random() % 3];
        if (breaks != nullptr) breaks->push_back(next);
        text += next;
        last = next;
    }
    return text;
}

// Random edits of a module read from a file whose lines end in CR LF, lone
// CR and lone LF, with or without a final break: inserts, deletes, lines
// shaped ahead put in place of others in one edit, earlier lines put back,
// and groups of such edits cancelled or committed. After each step the
// module holds the model's lines and saves the model's bytes: a line of the
// file keeps its own break wherever it goes, a line written since takes the
// file's ending.
TEST(Editing, RandomEditsOfAFileWithMixedBreaksStoreAndSaveWhatAPlainListHolds) {
    // (No procedure: a file with one left open is not loaded.)
    const std::vector<std::string> pool = {"    x = 1",     "' note",       "",     "Dim v As Long",
                                           "    If a Then", "    End If",    "Beep", "Const C = \"a\""};
    std::mt19937 random(20261209);
    const auto pick = [&] { return pool[random() % pool.size()]; };
    const auto below = [&](long n) { return static_cast<long>(random() % static_cast<unsigned>(n)); };
    int usedRounds = 0;
    for (int round = 0; round < 30; ++round) {
        PlainModule model;
        std::vector<std::string> pieces;
        for (int i = 0; i < 12; ++i) pieces.push_back(pick());
        model.finalBreak = random() % 2 == 0;
        // A last line without a break is not empty: it would be no line.
        if (!model.finalBreak && pieces.back().empty()) pieces.back() = "Beep";
        std::vector<std::string> breaks;
        const std::string code = JoinedAtRandom(pieces, random, &breaks);
        // The file's ending is the break most lines end with: one of them
        // stands out (the header's break is drawn until it does).
        std::map<std::string, int> counts;
        for (size_t i = 0; i < breaks.size(); ++i) {
            if (i + 1 < breaks.size() || model.finalBreak) ++counts[breaks[i]];
        }
        std::string headerBreak;
        for (const std::string& b : kBreaks) {
            ++counts[b];
            std::vector<int> sorted;
            for (const std::string& c : kBreaks) sorted.push_back(counts[c]);
            std::sort(sorted.rbegin(), sorted.rend());
            if (sorted[0] > sorted[1] && counts[b] == sorted[0]) headerBreak = b;
            --counts[b];
            if (!headerBreak.empty()) break;
        }
        if (headerBreak.empty()) continue;
        ++usedRounds;
        model.ending = headerBreak;
        model.header = "Attribute VB_Name = \"M\"" + headerBreak;
        std::string bytes = model.header + code;
        if (!model.finalBreak) bytes.resize(bytes.size() - breaks.back().size());
        for (size_t i = 0; i < pieces.size(); ++i) {
            model.lines.push_back({pieces[i], i + 1 < pieces.size() || model.finalBreak ? breaks[i] : ""});
        }

        TempFolder folder;
        folder.Write("M.bas", bytes);
        LoadedFiles loaded = Load({folder.File("M.bas")});
        auto& m = loaded.Code("M");
        const int width = loaded.vbe->TabWidth();
        const auto check = [&](const PlainModule& expected, const std::string& where) {
            std::vector<std::string> lines;
            for (const auto& line : expected.lines) lines.push_back(line.text);
            std::vector<std::string> stored;
            for (long i = 1; i <= m.CountOfLines(); ++i) stored.emplace_back(m.Line(i));
            ASSERT_EQ(stored, lines) << where;
            ASSERT_EQ(host::files::RenderModuleFile(loaded.File("M")).bytes, expected.Saved())
                << where;
        };
        check(model, "as loaded, round " + std::to_string(round));

        // One edit of the module and of the model.
        const auto edit = [&](PlainModule& plain, unsigned kind) {
            const long n = m.CountOfLines();
            std::vector<std::string> text;
            for (long k = 1 + below(3); k > 0; --k) text.push_back(pick());
            if (text.back().empty()) text.back() = "Beep";  // a break at the end adds a line
            const std::string joined = JoinedAtRandom(text, random);
            if (n == 0 || kind == 0) {
                const long at = 1 + below(n + 1);
                m.InsertLines(at, joined);
                plain.Put(at, 0, PlainModule::Written(text));
            } else if (kind == 1) {
                const long at = 1 + below(n);
                const long count = std::min(n - at + 1, 1 + below(3));
                m.DeleteLines(at, count);
                plain.Put(at, count, {});
            } else if (kind == 2) {
                const long at = 1 + below(n);
                const long count = std::min(n - at + 1, 1 + below(3));
                const std::vector<std::string_view> shaped(text.begin(), text.end());
                m.ReplaceShapedLines(at, count, joined, shaped, width);
                plain.Put(at, count, PlainModule::Written(text));
            } else {
                const long from = 1 + below(n);
                const long taken = std::min(n - from + 1, 1 + below(4));
                const long at = 1 + below(n);
                const long replaced = std::min(n - at + 1, below(4));
                m.RestorePart(at, replaced, m.LinesPart(from, taken), m.AllHiddenAttributes(), 0);
                const std::vector<PlainModule::Line> earlier(
                    plain.lines.begin() + from - 1, plain.lines.begin() + from - 1 + taken);
                plain.Put(at, replaced, earlier);
            }
        };
        for (int step = 0; step < 40; ++step) {
            const std::string where = "round " + std::to_string(round) + " step " +
                                      std::to_string(step) + "\n" + model.Saved();
            const unsigned kind = random() % 5;
            if (kind < 4) {
                edit(model, kind);
                check(model, where);
                continue;
            }
            PlainModule grouped = model;
            m.BeginTransaction();
            for (long k = 1 + below(4); k > 0; --k) {
                edit(grouped, random() % 4);
                check(grouped, where + " (in a group)");
            }
            if (random() % 3 == 0) {
                m.CommitTransaction();
                model = grouped;
            } else {
                m.CancelTransaction();
            }
            check(model, where + " (a group ended)");
        }
    }
    EXPECT_GE(usedRounds, 20) << "most files have one break that most lines end with";
}

}  // namespace
}  // namespace qv::test
