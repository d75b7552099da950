// Commands that read other input files: Sidero models, body files, boreholes.
// Temporary bodies until these commands are built.
#include "app/tcorvane.h"

namespace corvane {

void Tcorvane::ImportamodelfromSidero1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::Readinamodelfile1Click()
{
    notAvailableYet(*this);
}

void Tcorvane::boreholedata1Click()
{
    notAvailableYet(*this);
}

}  // namespace corvane
