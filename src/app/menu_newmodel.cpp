// Begin a new model, edit the field data.
#include "app/grid_profile.h"
#include "app/newmodel.h"
#include "app/station_table.h"
#include "app/survey_data.h"
#include "app/tcorvane.h"

namespace corvane {

void Tcorvane::Beginanewmodel1Click()
{
    if (!saveFirst())
        return;
    beginNewModel(*this);
}

void Tcorvane::Profilefromgrids1Click()
{
    profileFromGridsCommand(*this);
}

void Tcorvane::Readinsurveydata1Click()
{
    readSurveyCommand(*this);
}

void Tcorvane::ExporttoGIS1Click()
{
    exportToGisCommand(*this);
}

void Tcorvane::Editthefielddata1Click()
{
    editFieldData(*this);
}

}  // namespace corvane
