#pragma once
// What a run that cannot start says, in the window and from corvane-calc
// alike. Plain C++; the dialogs' QString copies are in inversion_ui/texts.h.
namespace corvane::outcome {

inline constexpr const char* FieldDataNeeded = "Field data is necessary for inversion.";
inline constexpr const char* NothingSelected = "You havent selected any parameters to be inverted !";
inline constexpr const char* TooManyUnknowns =
    "At most 10 parameters can be inverted at once. Clear some of the selected parameters "
    "before selecting more.";
inline constexpr const char* TooManyUnknownsAllBodies =
    "At most 200 parameters can be inverted at once over all bodies. Clear some of the "
    "selected parameters before selecting more.";
inline constexpr const char* tooManyUnknowns(bool allBodies)
{
    return allBodies ? TooManyUnknownsAllBodies : TooManyUnknowns;
}

}  // namespace corvane::outcome
