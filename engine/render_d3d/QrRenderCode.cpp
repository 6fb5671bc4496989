#include "QrRenderCode.h"

uint32_t QrRenderCode::FromResult(plat::Result result)
{
    using plat::Result;
    switch (result)
    {
    case Result::Ok:
        return kOk;
    case Result::Failed:
        return kFail;
    case Result::InvalidParams:
        return kInvalidParams;
    case Result::InvalidRect:
        return kInvalidRect;
    case Result::Unsupported:
        return kUnsupported;
    case Result::UnsupportedMode:
        return kUnsupportedMode;
    case Result::OutOfMemory:
        return kOutOfMemory;
    case Result::OutOfVideoMemory:
        return kOutOfVideoMemory;
    case Result::NotFound:
        return kNotFound;
    case Result::WasStillDrawing:
        return kWasStillDrawing;
    case Result::Busy:
        return kSurfaceBusy;
    case Result::SurfaceLost:
        return kSurfaceLost;
    case Result::NotLocked:
        return kNotLocked;
    case Result::NoPaletteAttached:
        return kNoPaletteAttached;
    case Result::NoColorKey:
        return kNoColorKey;
    case Result::ImplicitlyCreated:
        return kImplicitlyCreated;
    case Result::PrimaryExists:
        return kPrimaryExists;
    case Result::NotFlippable:
        return kNotFlippable;
    case Result::NoExclusiveMode:
        return kNoExclusiveMode;
    case Result::NotInScene:
        return kNotInScene;
    case Result::AlreadyInScene:
        return kInScene;
    case Result::NotAttached:
        return kNoViewport;
    }
    return kFail;
}
