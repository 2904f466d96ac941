#include <gtest/gtest.h>

#include "ui/general_date.h"
#include "ui/sort_keys.h"

namespace qv::ui {
namespace {

TEST(NumberSortKey, FourteenDigitsFourDecimalsAndWordsUnchanged) {
    EXPECT_EQ(NumberSortKey("3"), "00000000000003.0000");
    EXPECT_EQ(NumberSortKey(" 12.5 "), "00000000000012.5000");
    EXPECT_EQ(NumberSortKey("0.12345"), "00000000000000.1235");
    EXPECT_EQ(NumberSortKey("-3"), "-00000000000003.0000");
    EXPECT_EQ(NumberSortKey("-0.00001"), "00000000000000.0000")
        << "rounds to zero, which has no sign";
    EXPECT_EQ(NumberSortKey("1e3"), "00000000001000.0000");
    EXPECT_EQ(NumberSortKey("&H1F"), "00000000000031.0000");
    EXPECT_EQ(NumberSortKey("123456789012345"), "123456789012345.0000")
        << "wider values keep every digit";
    for (const char* word : {"OK", "MISSING", "", " ", "12abc", "inf", "nan", "1.2.3", "-", "."}) {
        EXPECT_EQ(NumberSortKey(word), word);
    }
}

TEST(NumberSortKey, KeysOfCountsSortAsTheirValues) {
    EXPECT_LT(NumberSortKey("3"), NumberSortKey("12"));
    EXPECT_LT(NumberSortKey("12"), NumberSortKey("100"));
    EXPECT_LT(NumberSortKey("100"), NumberSortKey("MISSING")) << "digits before words";
}

TEST(DateSortKey, IsoAndLocaleDatesBecomeTheirMoment) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(DateSortKey("2024-03-05T14:07:09", us), "20240305140709");
    EXPECT_EQ(DateSortKey("2024-03-05", us), "20240305000000");
    EXPECT_EQ(DateSortKey("3/5/24", us), "20240305000000")
        << "two-digit years 00-29 are this century";
    EXPECT_EQ(DateSortKey("3/5/98", us), "19980305000000");
    EXPECT_EQ(DateSortKey("not a date", us), "not a date");
    EXPECT_EQ(DateSortKey("", us), "");
}

TEST(GeneralDate, WrittenDatesReadBackInEveryLocale) {
    const QDateTime moment(QDate(2024, 3, 5), QTime(14, 7, 9));
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany),
                                  QLocale(QLocale::French, QLocale::France), QLocale::c()}) {
        const QString withTime = GeneralDateText(moment, true, locale);
        EXPECT_FALSE(withTime.contains(QLatin1String("UTC"))) << withTime.toStdString();
        EXPECT_EQ(DateSortKey(withTime, locale), "20240305140709") << withTime.toStdString();
        EXPECT_EQ(DateSortKey(GeneralDateText(moment, false, locale), locale), "20240305000000");
    }
    EXPECT_EQ(GeneralDateText(moment, false, QLocale(QLocale::German, QLocale::Germany)),
              "05.03.24");
}

}  // namespace
}  // namespace qv::ui
