#pragma once
// The career record (screen 20): the player's name line and four columns of seven career
// statistics from the profile. It only reads; Back leads to the angler look screen.

#include "tovShellIFace.h"
#include "tovUserProfile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace plat
{
class Font;
}
class qrxFloatingText;

class tovRecordIFace : public tovShellIFace
{
public:
    static constexpr int32_t kStatistics = 7;
    // Wins, games, top five, average finish, winnings, biggest bass, average bass.
    using Column = std::array<std::string, kStatistics>;

    tovRecordIFace();
    ~tovRecordIFace() override;

    // The one instance, or null.
    static tovRecordIFace* GetInstance();

    // The seven texts of one career row.
    static Column FormatRow(const tovUserProfile::CareerRow& row);
    static std::string FormatNameLine(const tovUserProfile& profile);

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand under the last row, above Back.
    plat::Rect PostedTextBand() const override { return {4, 406, 636, 436}; }
    // On the road from a network join to the first day.
    bool OnRoadToFirstDay() const override { return true; }

    const Column& GetColumn(int32_t row) const { return m_columns.at(static_cast<size_t>(row)); }
    const std::string& GetNameLine() const { return m_nameLine; }

private:
    std::unique_ptr<plat::Font> m_font;
    // One per statistic line, then the name line.
    std::array<std::unique_ptr<qrxFloatingText>, kStatistics + 1> m_texts;
    std::array<Column, tovUserProfile::kCareerRows> m_columns;
    std::string m_nameLine;
};
