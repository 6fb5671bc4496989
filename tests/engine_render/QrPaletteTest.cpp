#include "QrPalette.h"
#include "QrDDImage.h"
#include "QrTestFixture.h"

#include "Display.h"
#include "FailureInjector.h"

#include <gtest/gtest.h>

#include <array>

namespace
{

using Entries = std::array<plat::PaletteEntry, 256>;

// Every entry white, so that the entries a test sets are the only near ones.
Entries WhiteEntries()
{
    Entries e;
    e.fill({255, 255, 255, 0});
    return e;
}

class QrPaletteTest : public QrEngineTest
{
};

} // namespace

TEST_F(QrPaletteTest, ExactEntryAndItsCellMapToIt)
{
    Entries e = WhiteEntries();
    e[5] = {8, 16, 24, 0};
    QrPointer<QrPalette> palette = new QrPalette(e.data());
    EXPECT_EQ(palette->NearestIndex(8, 16, 24, 255), 5);
    EXPECT_EQ(palette->NearestIndex(10, 16, 24, 255), 5);
    EXPECT_EQ(palette->NearestIndex(255, 255, 255, 255), 1); // white: the lowest white entry
}

TEST_F(QrPaletteTest, EntryZeroIsNeverChosen)
{
    Entries e = WhiteEntries();
    e[0] = {0, 0, 0, 0};
    e[1] = {200, 200, 200, 0};
    e[2] = {40, 40, 40, 0};
    QrPointer<QrPalette> palette = new QrPalette(e.data());
    EXPECT_EQ(palette->NearestIndex(0, 0, 0, 255), 2);
    EXPECT_EQ(palette->NearestIndex(7, 7, 7, 255), 2);
}

TEST_F(QrPaletteTest, TiesKeepTheLowerEntry)
{
    Entries e = WhiteEntries();
    // (104, 104, 104) is 16 away from both.
    e[3] = {100, 104, 104, 0};
    e[4] = {108, 104, 104, 0};
    e[9] = {104, 104, 104, 0}; // an exact match beats earlier near ones
    QrPointer<QrPalette> palette = new QrPalette(e.data());
    EXPECT_EQ(palette->NearestIndex(104, 104, 104, 255), 9);
    e[9] = {255, 255, 255, 0};
    palette = new QrPalette(e.data());
    EXPECT_EQ(palette->NearestIndex(104, 104, 104, 255), 3);
}

TEST_F(QrPaletteTest, ChannelsIndexTheirOwnBits)
{
    Entries e = WhiteEntries();
    e[10] = {248, 0, 0, 0};
    e[11] = {0, 248, 0, 0};
    e[12] = {0, 0, 248, 0};
    e[13] = {248, 248, 0, 0};
    QrPointer<QrPalette> palette = new QrPalette(e.data());
    EXPECT_EQ(palette->NearestIndex(255, 0, 0, 255), 10);
    EXPECT_EQ(palette->NearestIndex(0, 255, 0, 255), 11);
    EXPECT_EQ(palette->NearestIndex(0, 0, 255, 255), 12);
    EXPECT_EQ(palette->NearestIndex(250, 250, 3, 255), 13);
}

TEST_F(QrPaletteTest, AlphaBelowHalfIsTransparent)
{
    Entries e = WhiteEntries();
    e[7] = {0, 0, 0, 0};
    QrPointer<QrPalette> palette = new QrPalette(e.data());
    EXPECT_EQ(palette->NearestIndex(0, 0, 0, 126), 0);
    EXPECT_EQ(palette->NearestIndex(0, 0, 0, 127), 7);
}

TEST_F(QrPaletteTest, EntriesAreCopiedReadOnly)
{
    Entries e = WhiteEntries();
    e[20] = {1, 2, 3, 0x99};
    QrPointer<QrPalette> palette = new QrPalette(e.data());
    e[20].red = 77; // the palette keeps its own copy
    const plat::PaletteEntry& kept = palette->GetEntries()[20];
    EXPECT_EQ(kept.red, 1);
    EXPECT_EQ(kept.blue, 3);
    EXPECT_EQ(kept.flags, QrPalette::kEntryFlags);
    EXPECT_FALSE(palette->SameColors(e.data()));
    e[20].red = 1;
    e[20].flags = 0; // flags do not count
    EXPECT_TRUE(palette->SameColors(e.data()));
}

TEST_F(QrPaletteTest, EmptyPaletteAnswersMinusOne)
{
    QrPointer<QrPalette> palette = new QrPalette(nullptr);
    EXPECT_TRUE(palette->IsEmpty());
    EXPECT_EQ(palette->NearestIndex(10, 20, 30, 255), -1);
    EXPECT_EQ(palette->NearestIndex(10, 20, 30, 0), -1);
    EXPECT_FALSE(palette->SameColors(WhiteEntries().data()));
    std::shared_ptr<plat::Display> display;
    ASSERT_EQ(plat::Display::Create(plat::DisplayConfig{}, display), plat::Result::Ok);
    QrDDImage::SetDirectDraw(display);
    EXPECT_EQ(palette->CreateDDPalette(), nullptr);
    QrDDImage::SetDirectDraw(nullptr);
}

TEST_F(QrPaletteTest, DisplayPaletteIsMadeOnceThroughTheSharedDisplay)
{
    Entries e = WhiteEntries();
    e[30] = {10, 20, 30, 0};
    QrPointer<QrPalette> palette = new QrPalette(e.data());
    EXPECT_EQ(palette->CreateDDPalette(), nullptr); // no display yet

    plat::FailureInjector injector;
    plat::DisplayConfig config;
    config.injector = &injector;
    std::shared_ptr<plat::Display> display;
    ASSERT_EQ(plat::Display::Create(config, display), plat::Result::Ok);
    QrDDImage::SetDirectDraw(display);
    injector.FailCall(plat::Operation::CreatePalette, 1, plat::Result::Failed);
    EXPECT_EQ(palette->CreateDDPalette(), nullptr);

    const std::shared_ptr<plat::Palette> made = palette->CreateDDPalette();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Entry(30).green, 20);
    EXPECT_EQ(made->Entry(30).flags, QrPalette::kEntryFlags);
    EXPECT_EQ(palette->CreateDDPalette(), made);
    EXPECT_EQ(injector.Calls(plat::Operation::CreatePalette), 2u);
    QrDDImage::SetDirectDraw(nullptr);
}
