// Output commands: the model report and the plots.
// Temporary bodies until these commands are built.
#include "app/tcorvane.h"

namespace corvane {

void Tcorvane::totheprinter1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::toanASCIIfile1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::totheclipboard1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::createanHPGLfile1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::createaDXFfile1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::producehardcopy1Click()
{
    notAvailableYet(*this);
}

}  // namespace corvane
