#pragma once
// The state's plain colours as the painter takes them.
#include "model/display_state.h"

#include <QColor>

namespace corvane {

inline QColor toQColor(Rgb c)
{
    return QColor(c.r, c.g, c.b);
}

}  // namespace corvane
