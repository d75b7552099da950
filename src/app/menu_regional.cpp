// The regional field and the abstraction of part of the profile.
// Temporary bodies until these commands are built.
#include "app/tcorvane.h"

namespace corvane {

void Tcorvane::Modifytheregionalfield1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::Abstractpartoftheprofile1Click()
{
    notAvailableYet(*this);
}

}  // namespace corvane
