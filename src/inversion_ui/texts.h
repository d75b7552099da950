#pragma once
// The inversion commands' own texts; those corvane-calc shares with the
// window come from inversion/outcome_texts.h.
#include "inversion/outcome_texts.h"

#include <QString>

namespace corvane::texts {

inline const QString FieldDataNeeded = QString::fromUtf8(outcome::FieldDataNeeded);
inline const QString NothingSelected = QString::fromUtf8(outcome::NothingSelected);
inline const QString SelectionCompleted = QStringLiteral("Selection completed");
inline const QString CornerInstruction =
    QStringLiteral("Left Button -> Mark Corner    Right Button -> Exit");
inline const QString TooManyUnknowns = QString::fromUtf8(outcome::TooManyUnknowns);
inline const QString TooManyUnknownsAllBodies = QString::fromUtf8(outcome::TooManyUnknownsAllBodies);
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
