#pragma once
// The inversion bounds nobody typed, and whether a body's were typed.
// A new body slot has Tbody's member initialisers; start-up gives every slot
// a narrower density and a deeper depth range. Neither is the user's: a pair
// counts as typed when its flag says so, or, for a body without the flag (a
// file written before it existed), when its values are neither of these.
#include "model/model.h"

namespace corvane {

inline constexpr double StartDensMin = 0.0001;
inline constexpr double StartDepthMax = 10000;

inline const Tbody& freshBody()
{
    static const Tbody fresh;
    return fresh;
}

// A new body slot's bounds; no pair typed.
inline void resetInversionBounds(Tbody& body)
{
    const Tbody& fresh = freshBody();
    body.DensMin = fresh.DensMin;
    body.DensMax = fresh.DensMax;
    body.XPosMin = fresh.XPosMin;
    body.XPosMax = fresh.XPosMax;
    body.DepthMin = fresh.DepthMin;
    body.DepthMax = fresh.DepthMax;
    body.AngleMin = fresh.AngleMin;
    body.AngleMax = fresh.AngleMax;
    body.SusceptibilityMin = fresh.SusceptibilityMin;
    body.SusceptibilityMax = fresh.SusceptibilityMax;
    body.RemanenceMin = fresh.RemanenceMin;
    body.RemanenceMax = fresh.RemanenceMax;
    body.DensBoundsTyped = body.XPosBoundsTyped = body.DepthBoundsTyped = false;
    body.SusceptibilityBoundsTyped = body.RemanenceBoundsTyped = false;
}

// The bounds every slot gets when the program starts.
inline void startupInversionBounds(Tbody& body)
{
    resetInversionBounds(body);
    body.DensMin = StartDensMin;
    body.DepthMax = StartDepthMax;
}

inline bool densityBoundsTyped(const Tbody& b)
{
    const Tbody& fresh = freshBody();
    const bool untouched = b.DensMax == fresh.DensMax && (b.DensMin == fresh.DensMin || b.DensMin == StartDensMin);
    return b.DensBoundsTyped || !untouched;
}

inline bool positionBoundsTyped(const Tbody& b)
{
    const Tbody& fresh = freshBody();
    return b.XPosBoundsTyped || b.XPosMin != fresh.XPosMin || b.XPosMax != fresh.XPosMax;
}

inline bool depthBoundsTyped(const Tbody& b)
{
    const Tbody& fresh = freshBody();
    const bool untouched =
        b.DepthMin == fresh.DepthMin && (b.DepthMax == fresh.DepthMax || b.DepthMax == StartDepthMax);
    return b.DepthBoundsTyped || !untouched;
}

inline bool susceptibilityBoundsTyped(const Tbody& b)
{
    const Tbody& fresh = freshBody();
    return b.SusceptibilityBoundsTyped || b.SusceptibilityMin != fresh.SusceptibilityMin ||
           b.SusceptibilityMax != fresh.SusceptibilityMax;
}

inline bool remanenceBoundsTyped(const Tbody& b)
{
    const Tbody& fresh = freshBody();
    return b.RemanenceBoundsTyped || b.RemanenceMin != fresh.RemanenceMin || b.RemanenceMax != fresh.RemanenceMax;
}

}  // namespace corvane
