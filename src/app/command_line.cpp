#include "app/command_line.h"

namespace corvane {

CommandLine parseCommandLine(const QStringList& args)
{
    CommandLine c;
    bool options = true;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && a.startsWith(QLatin1Char('-'))) {
            c.help = c.help || a == QLatin1String("--help");
            c.version = c.version || a == QLatin1String("--version");
        } else if (c.file.isEmpty()) {
            c.file = a;
        }
    }
    return c;
}

}  // namespace corvane
