#include "link/acceptance.h"

#include "app/datafile.h"
#include "link/parameters.h"

#include <QHostAddress>

namespace Acceptance {

namespace {

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

bool lowBand(int channel)
{
    return inRange(channel, 800, 839) || channel <= 299;
}

} // namespace

bool dtmfDelay(const QString &text)
{
    const int value = toIntOrZero(text);
    return value >= 1 && value <= 20;
}

bool minVolume(const QString &text)
{
    return toIntOrZero(text) <= 20;
}

bool fixedText(const QString &text)
{
    return text.length() <= 16;
}

bool address(const QString &text)
{
    QHostAddress parsed;
    if (!parsed.setAddress(text))
        return false;
    // The parser tolerates surrounding blanks; the unit does not.
    return text.indexOf(QLatin1Char(' '), 0, Qt::CaseSensitive) < 0;
}

bool highBand(int channel)
{
    return inRange(channel, 900, 939) || inRange(channel, 300, 488);
}

bool channel(int channel)
{
    return inRange(channel, 5, 97) || inRange(channel, 302, 488) || inRange(channel, 800, 839) ||
           inRange(channel, 900, 939);
}

RowVerdict row(const HomeRow &texts)
{
    const int tx = toIntOrZero(texts.tx);
    const int rx = toIntOrZero(texts.rx);
    int ranLimit = 63;
    bool mismatched = false;
    if (lowBand(tx)) {
        ranLimit = 39;
        mismatched = inRange(rx, 301, 799) || rx >= 840;
    } else if (highBand(tx)) {
        mismatched = !highBand(rx);
    }
    const auto ran = [ranLimit](const QString &text) {
        return text.length() == 2 && toIntOrZero(text) <= ranLimit;
    };
    RowVerdict verdict;
    verdict.tx = !mismatched && channel(tx);
    verdict.rx = !mismatched && channel(rx);
    verdict.ranTx = ran(texts.ranTx);
    verdict.ranRx = ran(texts.ranRx);
    verdict.label = fixedText(texts.label);
    return verdict;
}

QList<Problem> problems(const RadioConfig &config)
{
    QList<Problem> found;
    const QStringList fields = DataFile::fieldsFromConfig(config, QString());
    const auto check = [&](int field, bool acceptable, const char *rule) {
        if (!acceptable && !fields.at(field).isEmpty())
            found << Problem{field, fields.at(field), QString::fromLatin1(rule)};
    };
    const GeneralSettings &g = config.general;
    const auto field = [](Parameter p) { return Parameters::row(p).field; };
    const char *const addressRule = "not an address";
    check(field(Parameter::Ip), address(g.ip), addressRule);
    check(field(Parameter::SubnetMask), address(g.subnetMask), addressRule);
    check(field(Parameter::Gateway), address(g.gateway), addressRule);
    check(field(Parameter::DtmfDelay), dtmfDelay(g.dtmfDelay), "not 1 to 20");
    check(field(Parameter::MinVolume), minVolume(g.minVolume), "over 20");
    check(field(Parameter::SerialNumber), fixedText(g.serialNumber), "over 16 characters");
    check(field(Parameter::UserDescription), fixedText(g.userDescription), "over 16 characters");
    for (int r = 0; r < config.rows.size(); ++r) {
        const HomeRow &texts = config.rows.at(r);
        const RowVerdict verdict = row(texts);
        const int first = DataFile::GeneralFieldCount + 5 * r;
        const auto channelRule = [](const QString &text) {
            return channel(toIntOrZero(text)) ? "TX and RX in different bands"
                                              : "no channel of the unit";
        };
        check(first, verdict.tx, channelRule(texts.tx));
        check(first + 1, verdict.rx, channelRule(texts.rx));
        check(first + 2, verdict.ranTx, "not two digits up to the band's RAN limit");
        check(first + 3, verdict.ranRx, "not two digits up to the band's RAN limit");
        check(first + 4, verdict.label, "over 16 characters");
    }
    return found;
}

} // namespace Acceptance
