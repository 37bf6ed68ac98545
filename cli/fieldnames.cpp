#include "cli/textform.h"

#include "cli/textformparts.h"

#include "link/configtarget.h"

namespace TextForm {

using namespace Parts;

QString fieldName(int field)
{
    if (const Parameters::Row *general = Parameters::atField(field))
        return QStringLiteral("general.") + QLatin1String(general->key);
    const int cell = field - DataFile::GeneralFieldCount;
    if (cell < 0 || field >= DataFile::FieldCount)
        return QString();
    return QStringLiteral("home.%1.%2").arg(cell / 5 + 1).arg(QLatin1String(cellKeys[cell % 5]));
}

QStringList freshFields()
{
    return ConfigModel().fields();
}

} // namespace TextForm
