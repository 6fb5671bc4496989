#include "tovNetworkPlayGameParams.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <algorithm>
#include <mutex>

void tovNetworkPlay::GAMEPARAMS::ClearHostClock()
{
    receiptStamp = -1;
    hostStamp = -1;
    hostTimeOfDay = -1.0;
}

void tovNetworkPlay::GAMEPARAMS::Write(plat::ByteWriter& out) const
{
    out.I32(receiptStamp);
    out.I32(hostStamp);
    out.F64(hostTimeOfDay);
    out.U16(phase);
    out.U16(weighInSeed);
    out.I32(day);
    out.I32(setting0);
    out.I32(setting1);
    out.I32(playerIndex);
    out.I32(lakeId);
    out.Write(weather.data(), weather.size());
}

bool tovNetworkPlay::GAMEPARAMS::Read(plat::ByteReader& in)
{
    if (in.Remaining() < kImageSize)
    {
        in.Fail();
        return false;
    }
    GAMEPARAMS p;
    p.receiptStamp = in.I32();
    p.hostStamp = in.I32();
    p.hostTimeOfDay = in.F64();
    p.phase = in.U16();
    p.weighInSeed = in.U16();
    p.day = in.I32();
    p.setting0 = std::clamp(in.I32(), 0, kLevels - 1);
    p.setting1 = std::clamp(in.I32(), 0, kLevels - 1);
    p.playerIndex = std::clamp(in.I32(), 0, kPlayerIndices - 1);
    p.lakeId = in.I32();
    in.Read(p.weather.data(), p.weather.size());
    *this = p;
    return true;
}

tovNetworkPlay::GAMEPARAMS tovGameParamsRecord::Copy()
{
    std::scoped_lock guard(m_lock);
    return m_params;
}

void tovGameParamsRecord::Store(const tovNetworkPlay::GAMEPARAMS& params)
{
    std::scoped_lock guard(m_lock);
    m_params.CopyFrom(params);
}

tovGameParamsRecord& TheGameParamsRecord()
{
    static tovGameParamsRecord programs;
    tovGameParamsRecord* session = TheNetworkPlay().GetParamsRecord();
    return session != nullptr ? *session : programs;
}

tovNetworkPlay::GAMEPARAMS CopyGameParams()
{
    return TheGameParamsRecord().Copy();
}

void StoreGameParams(const tovNetworkPlay::GAMEPARAMS& params)
{
    TheGameParamsRecord().Store(params);
}
