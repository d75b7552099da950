// Commands of the model file: load and save.
// Temporary bodies until these commands are built.
#include "app/tcorvane.h"

namespace corvane {

void Tcorvane::Loadanoldmodel1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::Savethecurrentmodel1Click()
{
    notAvailableYet(*this);
}

}  // namespace corvane
