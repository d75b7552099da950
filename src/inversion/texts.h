#pragma once
// The inversion commands' own texts.
#include <QString>

namespace corvane::texts {

inline const QString FieldDataNeeded = QStringLiteral("Field data is necessary for inversion.");
inline const QString NothingSelected =
    QStringLiteral("You havent selected any parameters to be inverted !");
inline const QString SelectionCompleted = QStringLiteral("Selection completed");
inline const QString CornerInstruction =
    QStringLiteral("Left Button -> Mark Corner    Right Button -> Exit");
inline const QString TooManyUnknowns = QStringLiteral(
    "At most 10 parameters can be inverted at once. Clear some of the selected parameters "
    "before selecting more.");
inline const QString TooManyUnknownsAllBodies = QStringLiteral(
    "At most 200 parameters can be inverted at once over all bodies. Clear some of the "
    "selected parameters before selecting more.");
inline const QString& tooManyUnknowns(bool allBodies)
{
    return allBodies ? TooManyUnknownsAllBodies : TooManyUnknowns;
}
inline const QString ZeroDepthRange = QStringLiteral(
    "The displayed depth range is zero, so the depth fit has no step. Set the model display "
    "limits first.");
inline const QString DensityBoundsReversed =
    QStringLiteral("The minimum density contrast is greater than the maximum.");
inline const QString PositionBoundsReversed =
    QStringLiteral("The minimum horizontal position is greater than the maximum.");
inline const QString DepthBoundsReversed =
    QStringLiteral("The minimum depth is greater than the maximum.");
inline const QString AngleBoundsReversed =
    QStringLiteral("The minimum body angle is greater than the maximum.");
inline const QString SusceptibilityBoundsReversed =
    QStringLiteral("The minimum susceptibility is greater than the maximum.");
inline const QString RemanenceBoundsReversed =
    QStringLiteral("The minimum remanent magnetisation is greater than the maximum.");
inline const QString ZeroWidth = QStringLiteral(" A body of zero width cannot be widened");

}  // namespace corvane::texts
