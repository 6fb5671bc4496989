#include "tovAnnouncer.h"

namespace tovAnnouncer
{

int32_t WeightLine(int32_t ounces, const Draw& draw)
{
    if (ounces < 33)
        return draw(2) == 0 ? 6149 : 6155;
    if (ounces < 65)
        return 6153;
    if (ounces < 80)
        return 6151 + draw(3);
    if (ounces < 96)
        return 6148;
    if (ounces < 144)
        return 6147;
    return 6146;
}

int32_t LeaderLine(int32_t leaderSlot, const Draw& draw)
{
    if (leaderSlot == 1)
        return 6145;
    if (leaderSlot == 2)
        return 6141;
    return 6142 + draw(2);
}

int32_t CommentLine(int32_t poundsBehind, const Draw& draw)
{
    if (poundsBehind == 0)
        return 6170;
    if (poundsBehind >= 1 && poundsBehind <= 12)
        return 6156 + poundsBehind - 1;
    return 6168 + draw(2);
}

int32_t PlacingLine(int32_t place)
{
    switch (place)
    {
    case 1:
        return 6177;
    case 2:
        return 6176;
    case 3:
        return 6175;
    default:
        return 6174;
    }
}

} // namespace tovAnnouncer
