// Handlers of the Magnetics menu: each hands over to its command.
#include "app/gradient_read.h"
#include "app/magnetics.h"
#include "app/station_table.h"
#include "app/tcorvane.h"

namespace corvane {

void Tcorvane::Earthsfield1Click() { earthFieldCommand(*this); }
void Tcorvane::Readmagneticdata1Click() { readMagneticDataCommand(*this); }
void Tcorvane::Readgradientdata1Click() { readGradientDataCommand(*this); }
void Tcorvane::Magneticstations1Click() { magneticStationsCommand(*this); }
void Tcorvane::Editmagneticstations1Click() { editMagneticStationsCommand(*this); }
void Tcorvane::Bodymagnetisation1Click() { magnetisationCommand(*this); }
void Tcorvane::Showmagnetic1Click() { showMagneticCommand(*this); }

}  // namespace corvane
