#include <gtest/gtest.h>

#include "ui/placement.h"

namespace qv::ui {
namespace {

const QRect kScreen(0, 0, 800, 600);

TEST(ValidateCoords, BoxCentredOnThePointerStaysWhollyOnTheScreen) {
    const QSize box(300, 100);
    EXPECT_EQ(ValidateCoords(CentredOn({0, 0}, box), kScreen), (EdgeRect{0, 0, 300, 100}))
        << "pointer in the top-left corner";
    EXPECT_EQ(ValidateCoords(CentredOn({799, 599}, box), kScreen), (EdgeRect{500, 500, 800, 600}))
        << "pointer in the bottom-right corner ends exactly at the screen's edges";
    EXPECT_EQ(ValidateCoords(CentredOn({400, 300}, box), kScreen), (EdgeRect{250, 250, 550, 350}));
    EXPECT_EQ(CentredOn({400, 300}, QSize(301, 101)), (EdgeRect{250, 250, 551, 351}));
}

TEST(ValidateCoords, KeepsTheSizeAndHonoursAScreenThatDoesNotStartAtZero) {
    const QRect second(800, 0, 1024, 768);
    EXPECT_EQ(ValidateCoords({700, -20, 900, 80}, second), (EdgeRect{800, 0, 1000, 100}));
    EXPECT_EQ(ValidateCoords({1800, 700, 1900, 800}, second), (EdgeRect{1724, 668, 1824, 768}));
    // Larger than the screen: the right and bottom edges win, as the rule checks them last.
    EXPECT_EQ(ValidateCoords({0, 0, 900, 700}, kScreen), (EdgeRect{-100, -100, 800, 600}));
}

TEST(CursorPointOverRect, KeypadPositionsLandOnTheControl) {
    const EdgeRect control{10, 20, 110, 70};  // 100 × 50
    EXPECT_EQ(CursorPointOverRect(control, 1), QPoint(10, 20));
    EXPECT_EQ(CursorPointOverRect(control, 2), QPoint(60, 20));
    EXPECT_EQ(CursorPointOverRect(control, 3), QPoint(109, 20));
    EXPECT_EQ(CursorPointOverRect(control, 4), QPoint(10, 45));
    EXPECT_EQ(CursorPointOverRect(control, 5), QPoint(60, 45));
    EXPECT_EQ(CursorPointOverRect(control, 6), QPoint(109, 45));
    EXPECT_EQ(CursorPointOverRect(control, 7), QPoint(10, 69));
    EXPECT_EQ(CursorPointOverRect(control, 9), QPoint(109, 69));
    EXPECT_EQ(CursorPointOverRect(control, 0), QPoint(60, 45))
        << "any other position is the centre";
    // Halves round to the even neighbour: 5 / 2 = 2.5 → 2, 7 / 2 = 3.5 → 4.
    EXPECT_EQ(CursorPointOverRect({0, 0, 5, 7}, 5), QPoint(2, 4));
}

TEST(AlignedTopLeft, TenPositionsInTheWorkArea) {
    const QRect work(0, 30, 1280, 770);  // a panel above
    const QSize window(200, 100);
    EXPECT_EQ(AlignedTopLeft(work, window, 1), QPoint(540, 365));
    EXPECT_EQ(AlignedTopLeft(work, window, 2), QPoint(540, 30));
    EXPECT_EQ(AlignedTopLeft(work, window, 3), QPoint(540, 700));
    EXPECT_EQ(AlignedTopLeft(work, window, 4), QPoint(0, 30));
    EXPECT_EQ(AlignedTopLeft(work, window, 5), QPoint(0, 365));
    EXPECT_EQ(AlignedTopLeft(work, window, 6), QPoint(0, 700));
    EXPECT_EQ(AlignedTopLeft(work, window, 7), QPoint(1080, 30));
    EXPECT_EQ(AlignedTopLeft(work, window, 8), QPoint(1080, 365));
    EXPECT_EQ(AlignedTopLeft(work, window, 9), QPoint(1080, 700));
    EXPECT_EQ(AlignedTopLeft(work, window, 10), QPoint(540, 365));
}

TEST(Twips, RoundThenDivideWithoutRemainder) {
    EXPECT_EQ(TwipsPerPixel(96), 15);
    EXPECT_EQ(TwipsPerPixel(120), 12);
    EXPECT_EQ(TwipsPerPixel(0), 15) << "an unknown resolution is the usual one";
    EXPECT_EQ(TwipsToPixels(1500, 15), 100);
    EXPECT_EQ(TwipsToPixels(29.6, 15), 2);
    EXPECT_EQ(TwipsToPixels(14.4, 15), 0);
    EXPECT_EQ(TwipsToPixels(1e300, 15), 2147483647 / 15) << "held at the end of the range";
}

}  // namespace
}  // namespace qv::ui
