// Body properties, inversion parameters and the inversion.
// Temporary bodies until these commands are built.
#include "app/tcorvane.h"

namespace corvane {

void Tcorvane::Changebodyproperties1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::Invertthemodel1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::bodyinversionClick()
{
    notAvailableYet(*this);
}

void Tcorvane::cornerinversionClick()
{
    notAvailableYet(*this);
}

}  // namespace corvane
