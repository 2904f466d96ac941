#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace qv::text {
namespace {

CodePage Page(int number) {
    return *CodePage::Named(std::to_string(number));
}

// 問題 and 表示 in Shift-JIS: 表 ends in the byte of "\".
const std::string kMondai = "\x96\xe2\x91\xe8";
const std::string kHyouji = "\x95\x5c\x8e\xa6";

TEST(CodePageNames, NumbersPrefixesAndCommonNames) {
    EXPECT_EQ(CodePage::Named("932"), Page(932));
    EXPECT_EQ(CodePage::Named(" CP936 "), Page(936));
    EXPECT_EQ(CodePage::Named("windows-1251"), Page(1251));
    EXPECT_EQ(CodePage::Named("Shift_JIS"), Page(932));
    EXPECT_EQ(CodePage::Named("gbk"), Page(936));
    EXPECT_EQ(CodePage::Named("big5"), Page(950));
    EXPECT_EQ(CodePage::Named("utf-8"), CodePage::Utf8());
    EXPECT_EQ(CodePage(), CodePage::Windows1252());
    for (const char* wrong : {"", "12", "1259", "437", "x", "cp", "-1252", "1252.0"}) {
        EXPECT_FALSE(CodePage::Named(wrong)) << wrong;
    }
    EXPECT_TRUE(Page(949).IsDoubleByte());
    EXPECT_FALSE(Page(1258).IsDoubleByte());
    EXPECT_EQ(Page(932).Description(), "932 (Japanese, Shift-JIS)");
}

TEST(CodePageText, EveryByteOfASingleByteCodePageComesBack) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    for (int number : {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 874}) {
        const std::string shown = ToUtf8(bytes, Page(number));
        EXPECT_TRUE(IsValidUtf8(shown)) << number;
        EXPECT_EQ(FromUtf8(shown, Page(number)), bytes) << number;
    }
    EXPECT_EQ(ToUtf8("M\xF3" "dulo", CodePage()), "Módulo");
    EXPECT_EQ(ToUtf8("\x80\x81", CodePage()), "€\u0081");  // 0x81 is unassigned
    EXPECT_EQ(ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2", Page(1251)), "Привет");
}

TEST(CodePageText, DoubleByteCodePagesReadWholeCharacters) {
    EXPECT_EQ(ToUtf8(kMondai + ".frm", Page(932)), "問題.frm");
    EXPECT_EQ(FromUtf8("表示", Page(932)), kHyouji);
    EXPECT_EQ(ToUtf8(*FromUtf8("模块 億", Page(936)), Page(936)), "模块 億");
    EXPECT_EQ(ToUtf8(*FromUtf8("資料", Page(950)), Page(950)), "資料");
    EXPECT_EQ(ToUtf8(*FromUtf8("한글", Page(949)), Page(949)), "한글");
    // A lead byte without its trail byte stands for U+FFFD; the rest is read on.
    EXPECT_EQ(ToUtf8("a\x95", Page(932)), "a\uFFFD");
    EXPECT_EQ(Characters(kHyouji + "\\", Page(932)), (std::u32string{U'表', U'示', U'\\'}));
}

TEST(CodePageText, CharactersACodePageCannotWrite) {
    EXPECT_FALSE(FromUtf8("問題", CodePage()));
    EXPECT_FALSE(FromUtf8("é", Page(932)));
    EXPECT_EQ(FromUtf8Replacing("für 問題", CodePage()), "f\xFCr ??");
    EXPECT_EQ(FromUtf8Replacing("für 問題", Page(932)), "f?r " + kMondai);
    EXPECT_EQ(FromUtf8("plain", Page(936)), "plain");
}

TEST(CodePageText, CharacterBoundaries) {
    // "x表\" : the "\" of 表 is no character of its own, the last one is.
    const std::string line = "x" + kHyouji.substr(0, 2) + "\\";
    EXPECT_TRUE(StartsCharacter(line, 1, Page(932)));
    EXPECT_FALSE(StartsCharacter(line, 2, Page(932)));
    EXPECT_TRUE(StartsCharacter(line, 3, Page(932)));
    EXPECT_TRUE(StartsCharacter(line, 4, Page(932)));
    EXPECT_TRUE(StartsCharacter(line, 2, CodePage())) << "every byte is one in Windows-1252";
    EXPECT_EQ(CharacterLength(line, 1, Page(932)), 2u);
    EXPECT_EQ(CharacterLength(line, 1, CodePage()), 1u);
    const std::string utf8 = "aé";
    EXPECT_FALSE(StartsCharacter(utf8, 2, CodePage::Utf8()));
    EXPECT_EQ(CharacterLength(utf8, 1, CodePage::Utf8()), 2u);
}

TEST(CodePageText, FilesWrittenInUtf8AreReadSo) {
    EXPECT_EQ(CodePageOfFile("Attribute VB_Name = \"A\"", Page(932)), Page(932));
    EXPECT_EQ(CodePageOfFile("' für", Page(932)), CodePage::Utf8());
    EXPECT_EQ(CodePageOfFile("\xEF\xBB\xBFx = 1", CodePage()), CodePage::Utf8());
    EXPECT_EQ(CodePageOfFile("' f\xFCr", CodePage()), CodePage());
    EXPECT_EQ(CodePageOfFile(kMondai, Page(932)), Page(932));
}

TEST(CodePageText, NamesCompareAsTextWithoutRegardToCase) {
    EXPECT_TRUE(SameTextIgnoringCase("M\xF3" "dulo1", CodePage(), "MÓDULO1"));
    EXPECT_TRUE(SameTextIgnoringCase("\xCF\xF0\xE8\xE2\xE5\xF2", Page(1251), "пРИВЕТ"));
    EXPECT_TRUE(SameTextIgnoringCase("\x8A", CodePage(), "š")) << "Š and š";
    EXPECT_TRUE(SameTextIgnoringCase(kMondai, Page(932), "問題"));
    EXPECT_FALSE(SameTextIgnoringCase(kMondai, CodePage(), "問題")) << "read in another code page";
    EXPECT_FALSE(SameTextIgnoringCase("M\xF3" "dulo1", CodePage(), "Modulo1"));
    EXPECT_TRUE(SameTextIgnoringCase("\x82\x60", Page(932), "ａ")) << "full-width Ａ";
}

TEST(CodePageText, OtherCaseBytes) {
    EXPECT_EQ(OtherCaseByte('a', CodePage()), 'A');
    EXPECT_EQ(OtherCaseByte('@', CodePage()), '@');
    EXPECT_EQ(OtherCaseByte(0xFC, CodePage()), 0xDC);  // ü Ü
    EXPECT_EQ(OtherCaseByte(0x9F, CodePage()), 0xFF);  // Ÿ ÿ
    EXPECT_EQ(OtherCaseByte(0xA8, Page(1251)), 0xB8);  // Ё ё
    EXPECT_EQ(OtherCaseByte(0x82, Page(932)), 0x82) << "a lead byte has no case";
    EXPECT_EQ(OtherCaseByte('Z', Page(932)), 'z');
}

TEST(CodePageText, MessagesKeepTheirUtf8AndReadTheRest) {
    // A path on disk (UTF-8) and a name quoted from a file as it is.
    EXPECT_EQ(MixedToUtf8("jp/問題.frm: module M\xF3" "dulo1", CodePage()),
              "jp/問題.frm: module Módulo1");
    EXPECT_EQ(MixedToUtf8("表示/x: " + kMondai, Page(932)), "表示/x: 問題");
    EXPECT_EQ(MixedToUtf8("plain", Page(936)), "plain");
}

}  // namespace
}  // namespace qv::text
