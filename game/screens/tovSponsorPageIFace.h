#pragma once
// A sponsor's page (screen 17): the page's picture, Visit to open its local web page with the
// desktop's opener, and Back to the main menu.

#include "tovBackdropIFace.h"

#include <cstdint>
#include <string>

class tovSponsorPageIFace : public tovBackdropIFace
{
public:
    static constexpr int32_t kPageCount = 21;
    enum ButtonId : int32_t
    {
        kVisit = 1,
        kBack = 2,
    };

    tovSponsorPageIFace();
    ~tovSponsorPageIFace() override;

    // The one instance, or null.
    static tovSponsorPageIFace* GetInstance();

    // The page's web file name in the data root's "web" folder; empty past the table.
    static const char* GetPageFile(int32_t pageIndex);

    // Out-of-range indexes are refused (the page stays as it was).
    void SetPageIndex(int32_t pageIndex);
    int32_t GetPageIndex() const { return m_pageIndex; }

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    // Posted lines stand above the sponsor's name, under the chat panel's place.
    plat::Rect PostedTextBand() const override { return {4, 104, 636, 144}; }

private:
    void Visit();

    int32_t m_pageIndex = 0;
};
