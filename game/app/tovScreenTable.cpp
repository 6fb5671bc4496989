#include "tovScreenTable.h"

#include "tovStandInScreen.h"

#include "qrxInterface.h"

tovScreenTable::Constructor tovScreenTable::Find(int32_t id) const
{
    for (const Row& row : m_rows)
        if (row.id == id)
            return row.construct;
    return nullptr;
}

const tovScreenTable& tovScreenTable::Game()
{
    static const tovScreenTable table({
        {1, &tovStandInScreen::Make<1>},   // game-mode selection
        {2, &tovStandInScreen::Make<2>},   // fishing mode
        {3, &tovStandInScreen::Make<3>},   // livewell
        {4, &tovStandInScreen::Make<4>},   // tournament set-up
        {5, &tovStandInScreen::Make<5>},   // player profiles
        {6, &tovStandInScreen::Make<6>},   // angler look
        {7, &tovStandInScreen::Make<7>},   // fishing conditions
        {8, &tovStandInScreen::Make<8>},   // main menu
        {9, &tovStandInScreen::Make<9>},   // tackle box
        {10, &tovStandInScreen::Make<10>}, // weigh-in
        {11, &tovStandInScreen::Make<11>}, // options
        {12, &tovStandInScreen::Make<12>}, // travel map
        {13, &tovStandInScreen::Make<13>}, // intro splash
        {14, &tovStandInScreen::Make<14>}, // load game
        {15, &tovStandInScreen::Make<15>}, // save game
        {16, &tovStandInScreen::Make<16>}, // sponsor list
        {17, &tovStandInScreen::Make<17>}, // sponsor page
        {18, &tovStandInScreen::Make<18>}, // network chat
        {19, &tovStandInScreen::Make<19>}, // start-of-day gate
        {20, &tovStandInScreen::Make<20>}, // career record
        {21, &tovStandInScreen::Make<21>}, // message box
        {22, &tovStandInScreen::Make<22>}, // help picture
        {23, &tovStandInScreen::Make<23>}, // lake information
        {24, &tovStandInScreen::Make<24>}, // exit splash
        {25, &tovStandInScreen::Make<25>}, // logo splash
    });
    return table;
}
