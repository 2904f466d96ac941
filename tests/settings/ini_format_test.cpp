// The settings file format: files written by earlier versions of the
// program read the same, and what is written now reads the same in them.
// The expected bytes below were written by an earlier version.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "settings/ini_format.h"

namespace qv::settings::ini {
namespace {

// Full name and value (UTF-8), in the order an earlier version was given them.
const std::vector<std::pair<std::string, std::string>> kValues = {
    {"ErrorHandling/add3", "Debug.Assert False\\nErrorlog \"%m.%r\""},
    {"ErrorHandling/empty", ""},
    {"ErrorHandling/semi", "a;b"},
    {"ErrorHandling/comma", "a,b"},
    {"ErrorHandling/eq", "a=b"},
    {"ErrorHandling/q", "say \"hi\""},
    {"ErrorHandling/bs", "C:\\dir\\x"},
    {"ErrorHandling/nl", "l1\nl2\r\n"},
    {"ErrorHandling/sp", "  lead and trail  "},
    {"ErrorHandling/uml",
     "M\xc3\xb3"
     "dulo \xe5\x95\x8f\xe9\xa1\x8c \xf0\x9f\x98\x80"},
    {"ErrorHandling/at", "@foo"},
    {"ErrorHandling/nul", std::string("a\0b1", 4)},
    {"ErrorHandling/ctl",
     "a\x01"
     "b\x7f\tc"},
    {"Version/.", "5.0.5"},
    {"Microsoft Visual Basic/TabWidth", "4"},
    {"\xc3\x9cn\xc3\xaf c\xc3\xb6"
     "d\xc3\xa9/k\xc3\xa9y \xc3\xa9",
     "v"},
    {"a/b/c", "nested"},
    {"top", "g"},
    {"general/x", "y"},
    {"ErrorHandling/Zed", "upper"},
    {"ErrorHandling/x:y", "colon"},
    {"ErrorHandling/tab", "\tx\t"},
};

const std::string kWritten =
    "[General]\n"
    "top=g\n"
    "\n"
    "[ErrorHandling]\n"
    "Zed=upper\n"
    "add3=Debug.Assert False\\\\nErrorlog \\\"%m.%r\\\"\n"
    "at=@@foo\n"
    "bs=C:\\\\dir\\\\x\n"
    "comma=\"a,b\"\n"
    "ctl=a\\x1\\x62\x7f"
    "\\tc\n"
    "empty=\n"
    "eq=\"a=b\"\n"
    "nl=l1\\nl2\\r\\n\n"
    "nul=@String(a\\0\\x62\\x31)\n"
    "q=say \\\"hi\\\"\n"
    "semi=\"a;b\"\n"
    "sp=\"  lead and trail  \"\n"
    "tab=\\tx\\t\n"
    "uml=M\xc3\xb3"
    "dulo \xe5\x95\x8f\xe9\xa1\x8c \xf0\x9f\x98\x80\n"
    "x%3Ay=colon\n"
    "\n"
    "[Microsoft%20Visual%20Basic]\n"
    "TabWidth=4\n"
    "\n"
    "[Version]\n"
    ".=5.0.5\n"
    "\n"
    "[a]\n"
    "b\\c=nested\n"
    "\n"
    "[%General]\n"
    "x=y\n"
    "\n"
    "[%DCn%EF%20c%F6d%E9]\n"
    "k%E9y%20%E9=v\n";

std::optional<std::string> Read(const Document& document, std::string_view name) {
    const auto it = document.find(NormalizedName(name));
    if (it == document.end()) return std::nullopt;
    return StoredText(it->second);
}

TEST(IniFormat, WritesSectionsNamesAndValuesAsEarlierVersionsDid) {
    Document document;
    for (const auto& [name, value] : kValues) document[NormalizedName(name)] = TextValue(value);
    EXPECT_EQ(Serialize(document), kWritten);
}

TEST(IniFormat, ReadsEveryValueOfSuchAFileBack) {
    const Document document = Parse(kWritten);
    for (const auto& [name, value] : kValues) {
        if (name == "general/x") continue;  // comes back as "General/x", as it always did
        EXPECT_EQ(Read(document, name), value) << name;
    }
    EXPECT_EQ(Read(document, "General/x"), "y");
    // Read and written again, the file is the same but for that section,
    // which now sorts as "General".
    std::string moved = kWritten;
    const std::string block = "\n[%General]\nx=y\n";
    moved.erase(moved.find(block), block.size());
    moved.insert(moved.find("\n[Microsoft"), block);
    EXPECT_EQ(Serialize(document), moved);
}

TEST(IniFormat, HandTypedFileReadsAsItAlwaysDid) {
    const std::string typed =
        "[S]\nlist = a , b ,\"c d\",  @@e\ncom=x ;comment\n; c\nq=\"multi\nline\" tail \n"
        "bs=a\\\nb\nhex=\\x41g\\101\\?\\z\nemptyq=\"\"\nsp= \\ta \n[ S ]\nk2=2\n"
        "inv=@Invalid()\nba=@ByteArray(\xc3\xa9)\nvl=@x, y\n";
    const Document document = Parse(typed);
    EXPECT_EQ(Read(document, "S/list"), "a, b, c d, @e");
    EXPECT_EQ(Read(document, "S/com"), "x");
    EXPECT_EQ(Read(document, "S/q"), "multi\nlinetail ");
    EXPECT_EQ(Read(document, "S/bs"), "ab");
    EXPECT_EQ(Read(document, "S/hex"), "AgA?");
    EXPECT_EQ(Read(document, "S/emptyq"), "");
    EXPECT_EQ(Read(document, "S/sp"), "\ta");
    EXPECT_EQ(Read(document, "S/k2"), "2");
    EXPECT_EQ(Read(document, "S/inv"), std::nullopt);
    EXPECT_EQ(Read(document, "S/ba"), "\xef\xbf\xbd");
    EXPECT_EQ(Read(document, "S/vl"), std::nullopt);

    // Rewritten with one value more, it is what an earlier version wrote.
    Document changed = document;
    changed[NormalizedName("S/new")] = TextValue("1");
    EXPECT_EQ(Serialize(changed),
              "[S]\n"
              "ba=@ByteArray(\\xe9)\n"
              "bs=ab\n"
              "com=x\n"
              "emptyq=\n"
              "hex=AgA?\n"
              "inv=@Invalid()\n"
              "k2=2\n"
              "list=a, b, c d, @@e\n"
              "new=1\n"
              "q=\"multi\\nlinetail \"\n"
              "sp=\\ta\n"
              "vl=@@x, y\n");
}

// Texts that look like the format's own markers, escapes or separators
// read back as they were written.
TEST(IniFormat, EveryTextReadsBackAsWritten) {
    const std::vector<std::string> texts = {
        std::string("\x01"
                    "a\x1f"
                    "F\0"
                    "9",
                    6),
        "@Invalid()",
        "@@twice",
        "@String(x)",
        "@ByteArray(y)",
        "a, b",
        ",",
        " ",
        "\t lead",
        "trail \\",
        "\"quoted\"",
        "semi;colon",
        "=",
        "\xf0\x9f\x98\x80 and \xc3\xa9",
        "\r\n\v\f\a\b",
        "x\x7f",
    };
    Document document;
    for (size_t i = 0; i < texts.size(); ++i) {
        document[NormalizedName("S/k" + std::to_string(i))] = TextValue(texts[i]);
    }
    const Document read = Parse(Serialize(document));
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(Read(read, "S/k" + std::to_string(i)), texts[i]) << i;
    }
}

TEST(IniFormat, WindowsLineBreaksAByteOrderMarkAndBadBytesAreRead) {
    const Document document = Parse(
        "\xef\xbb\xbf[ErrorHandling]\r\nadd0=one\r\nadd1=\xff\xfe"
        "A\r\n[]\r\nz=2\r\n");
    EXPECT_EQ(Read(document, "ErrorHandling/add0"), "one");
    EXPECT_EQ(Read(document, "ErrorHandling/add1"),
              "\xef\xbf\xbd\xef\xbf\xbd"
              "A");
    // An empty section name keeps its "/", so its keys are out of reach of a
    // lookup but are written back at the top level.
    EXPECT_EQ(Read(document, "z"), std::nullopt);
    EXPECT_EQ(Serialize(document),
              "[General]\nz=2\n\n[ErrorHandling]\nadd0=one\n"
              "add1=\xef\xbf\xbd\xef\xbf\xbd"
              "A\n");
}

}  // namespace
}  // namespace qv::settings::ini
