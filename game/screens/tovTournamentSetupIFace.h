#pragma once
// The tournament set-up page (screen 4): the lake, shown by two of its own pictures, and in
// tournament and season games the day length and the number of days. Accept starts a quick
// or practice game at once, or leads a tournament to the start of its first day. In a
// network game only the host changes the values; the others follow.

#include "tovShellIFace.h"

#include <array>
#include <cstdint>
#include <vector>

class tovTournamentSetupIFace : public tovShellIFace
{
public:
    enum ButtonId : int32_t
    {
        kLakePrev = 1,
        kLakeNext = 2,
        kBack = 3,
        kAccept = 4,
        kConditions = 5,
        kDayLengthDown = 6,
        kDayLengthUp = 7,
        kDaysDown = 8,
        kDaysUp = 9,
    };
    static constexpr int32_t kLevels = 4;
    // The lake order of a season holds this many lakes.
    static constexpr int32_t kMaxOrderedLakes = 32;

    // Picks a random installed lake, so that quick fish has one.
    tovTournamentSetupIFace();
    ~tovTournamentSetupIFace() override;

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // On the road from a network join to the first day.
    bool OnRoadToFirstDay() const override { return true; }

    void OnAccept();

    // Posted lines (a player's new name, a chat line) stand between the lake's map and Accept:
    // one row, under the chat panel's place on this screen, over no picture and no control.
    void PostedTextBand(int32_t& top, int32_t& bottom) const override;
    static constexpr int32_t kPostedTextTop = 406;
    static constexpr int32_t kPostedTextBottom = 430;

    int32_t GetLakeIndex() const { return m_lakeIndex; }
    int32_t GetDayLength() const { return m_dayLength; }
    int32_t GetDays() const { return m_days; }

private:
    // Network: the next game's set-up waits while another player still weighs the last one,
    // showing the waiting banner (Escape asks to leave); then the host numbers the game.
    void WaitForTheLastGame();
    void ChangeLake(int32_t index);
    void StepLake(int32_t step);
    void StepValue(int32_t& value, int32_t step, bool dayLength);
    // In a season: the next lake of the season under way for the shown length, or the first
    // lake of a new order.
    void ShowSeasonLake();
    void MakeButtons(int32_t mode);
    void FollowHost();
    void DrawLakePictures();
    void DrawValues();

    int32_t m_lakeIndex = -1;
    int32_t m_dayLength = 0;
    int32_t m_days = 0;
    // The arrows FollowHost held for the host's choice: a copy that becomes host gets them back.
    std::vector<int32_t> m_heldArrows;
    // Where a click of this screen last sent the player: coming back from there keeps the
    // return screen.
    int32_t m_lastNext = 0;
    QrPointer<QrImage> m_lakePictures[2];
    QrPointer<QrImage> m_panels[2];
    std::array<QrPointer<QrImage>, kLevels> m_dayLengthImages;
    std::array<QrPointer<QrImage>, kLevels> m_daysImages;
};
