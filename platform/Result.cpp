#include "Result.h"

namespace plat
{

const char* ResultName(Result result)
{
    switch (result)
    {
    case Result::Ok:
        return "Ok";
    case Result::Failed:
        return "Failed";
    case Result::InvalidParams:
        return "InvalidParams";
    case Result::InvalidRect:
        return "InvalidRect";
    case Result::Unsupported:
        return "Unsupported";
    case Result::UnsupportedMode:
        return "UnsupportedMode";
    case Result::OutOfMemory:
        return "OutOfMemory";
    case Result::OutOfVideoMemory:
        return "OutOfVideoMemory";
    case Result::NotFound:
        return "NotFound";
    case Result::WasStillDrawing:
        return "WasStillDrawing";
    case Result::Busy:
        return "Busy";
    case Result::SurfaceLost:
        return "SurfaceLost";
    case Result::NotLocked:
        return "NotLocked";
    case Result::NoPaletteAttached:
        return "NoPaletteAttached";
    case Result::NoColorKey:
        return "NoColorKey";
    case Result::ImplicitlyCreated:
        return "ImplicitlyCreated";
    case Result::PrimaryExists:
        return "PrimaryExists";
    case Result::NotFlippable:
        return "NotFlippable";
    case Result::NoExclusiveMode:
        return "NoExclusiveMode";
    case Result::NotInScene:
        return "NotInScene";
    case Result::AlreadyInScene:
        return "AlreadyInScene";
    case Result::NotAttached:
        return "NotAttached";
    }
    return "Unknown";
}

} // namespace plat
