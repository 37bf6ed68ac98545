#include "link/radioconfig.h"

#include "link/parameters.h"

bool HomeRow::operator==(const HomeRow &other) const
{
    return tx == other.tx && rx == other.rx && ranTx == other.ranTx && ranRx == other.ranRx &&
           label == other.label;
}

bool GeneralSettings::operator==(const GeneralSettings &other) const
{
    return Parameters::equal(*this, other);
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

const char *const internalRadioNames[InternalRadioCount] = {
    QT_TRANSLATE_NOOP("RadioTab", "NX-700"),
    QT_TRANSLATE_NOOP("RadioTab", "NX-5700"),
    QT_TRANSLATE_NOOP("RadioTab", "ICOM"),
};

const char *const railroadNames[RailroadCount] = {
    QT_TRANSLATE_NOOP("RadioTab", "STANDARD"),  QT_TRANSLATE_NOOP("RadioTab", "KVLT"),
    QT_TRANSLATE_NOOP("RadioTab", "BNSF"),      QT_TRANSLATE_NOOP("RadioTab", "NS"),
    QT_TRANSLATE_NOOP("RadioTab", "CSX"),       QT_TRANSLATE_NOOP("RadioTab", "CN"),
    QT_TRANSLATE_NOOP("RadioTab", "CP"),        QT_TRANSLATE_NOOP("RadioTab", "RAILROAD1"),
    QT_TRANSLATE_NOOP("RadioTab", "RAILROAD2"), QT_TRANSLATE_NOOP("RadioTab", "RAILROAD3"),
};

RadioConfig freshConfig()
{
    RadioConfig config;
    for (const Parameters::Row &row : Parameters::rows) {
        if (row.fresh)
            config.general.*row.text = QString::fromUtf8(row.fresh);
    }
    return config;
}
