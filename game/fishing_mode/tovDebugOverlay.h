#pragma once
// The fishing screen's debug overlay: pages of status lines from the weather, the sky, the
// local boat's two wakes, the ambient sound and the fishing mode itself, drawn over the view.
// One key steps through the pages and then hides them again.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat
{
class Font;
}
class qrxAmbientSound;
class qrxFloatingText;
class tovCastController;
class tovFishingWorld;

class tovDebugOverlay
{
public:
    enum Page : int32_t
    {
        kHidden = -1,
        kWeather = 0,
        kSky,
        kSternWake,
        kBowWake,
        kAmbient,
        kFishing,
        kPageCount,
    };
    static constexpr int32_t kLeft = 8;
    static constexpr int32_t kTop = 112;
    static constexpr int32_t kLineHeight = 15;

    // What the pages read; any of them may be missing.
    struct Sources
    {
        tovFishingWorld* world = nullptr;
        const tovCastController* cast = nullptr;
        const qrxAmbientSound* ambient = nullptr;
        int32_t framesPerSecond = 0;
    };

    tovDebugOverlay();
    ~tovDebugOverlay();
    tovDebugOverlay(const tovDebugOverlay&) = delete;
    tovDebugOverlay& operator=(const tovDebugOverlay&) = delete;

    // Hidden, then each page in turn, then hidden again.
    void NextPage();
    Page GetPage() const { return m_page; }
    void SetPage(Page page) { m_page = page; }

    // The page's title line, then its status lines; only the title where its source is missing.
    static std::vector<std::string> Lines(Page page, const Sources& sources);
    void Draw(const Sources& sources);

private:
    Page m_page = kHidden;
    std::unique_ptr<plat::Font> m_font;
    std::unique_ptr<qrxFloatingText> m_text;
    std::unique_ptr<qrxFloatingText> m_shadow;
};
