// Edit transactions and change observers of a code module loaded from a file:
// a cancel puts back every line, every hidden attribute line and every line
// break exactly, and observers that follow the changes keep a true copy.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qv::test
