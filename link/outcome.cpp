#include "link/outcome.h"

#include "link/frames.h"

int walkLength(const QString &type, bool homeBypass)
{
    if (type != QLatin1String("Read") && type != QLatin1String("Write"))
        return 1;
    return homeBypass ? int(Frames::LastBypassIndex) + 1 : int(Frames::CommandCount);
}
