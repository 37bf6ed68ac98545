#include "link/radioconfig.h"

bool HomeRow::operator==(const HomeRow &other) const
{
    return tx == other.tx && rx == other.rx && ranTx == other.ranTx && ranRx == other.ranRx &&
           label == other.label;
}

bool GeneralSettings::operator==(const GeneralSettings &other) const
{
    return dtmfDelay == other.dtmfDelay && minVolume == other.minVolume &&
           serialNumber == other.serialNumber && userDescription == other.userDescription &&
           ip == other.ip && subnetMask == other.subnetMask && gateway == other.gateway &&
           features == other.features && internalRadio == other.internalRadio &&
           railroad == other.railroad;
}

bool RadioConfig::operator==(const RadioConfig &other) const
{
    return general == other.general && rows == other.rows;
}

int toIntOrZero(const QString &text)
{
    // Read as Qt 5 reads it, in both builds: Qt 6 no longer skips blanks of
    // other scripts than ASCII around the number, nor takes U+2212 as a minus
    // sign, and would send another frame byte and colour another field.
    QString number = text.trimmed();
    number.replace(QChar(0x2212), QLatin1Char('-'));
    return number.toInt(nullptr, 10);
}
