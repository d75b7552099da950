#pragma once
// corvane-calc's map commands: a grid sampled along a line, and a model
// exported for a GIS. Apart from the anomaly commands, as they read no model
// stations and write no anomaly.

namespace corvane::cli {

// The exit status of --sample or --export-gis when argv asks for one of
// them; -1 when it asks for neither.
int runMapCommand(int argc, char** argv);

}  // namespace corvane::cli
