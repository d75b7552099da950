#include "map/gdal_session.h"

#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

namespace corvane::map {

void registerGdal()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

QuietGdal::QuietGdal()
{
    registerGdal();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
}

QuietGdal::~QuietGdal() { CPLPopErrorHandler(); }

std::string QuietGdal::lastMessage()
{
    const char* m = CPLGetLastErrorMsg();
    return m ? m : "";
}

}  // namespace corvane::map
