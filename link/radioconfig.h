#ifndef VELMORA_LINK_RADIOCONFIG_H
#define VELMORA_LINK_RADIOCONFIG_H

#include <QString>
#include <QVector>

/// The five texts of one home-channel row, as the table holds them.
struct HomeRow
{
    QString tx;
    QString rx;
    QString ranTx;
    QString ranRx;
    QString label;

    bool operator==(const HomeRow &other) const;
    bool operator!=(const HomeRow &other) const { return !(*this == other); }
};

/// The ten general parameters, as the editor widgets hold them.
struct GeneralSettings
{
    QString dtmfDelay;
    QString minVolume;
    QString serialNumber;
    QString userDescription;
    QString ip;
    QString subnetMask;
    QString gateway;
    quint16 features = 0;
    int internalRadio = 0;
    int railroad = 0;

    bool operator==(const GeneralSettings &other) const;
    bool operator!=(const GeneralSettings &other) const { return !(*this == other); }
};

/// A whole configuration as plain values: what a write walk sends, taken on
/// the GUI thread so that a worker thread never touches a widget.
struct RadioConfig
{
    enum
    {
        HomeRowCount = 500
    };

    GeneralSettings general;
    QVector<HomeRow> rows = QVector<HomeRow>(HomeRowCount);

    bool operator==(const RadioConfig &other) const;
    bool operator!=(const RadioConfig &other) const { return !(*this == other); }
};

/// Base-10 parse where anything that does not convert counts as 0; blanks
/// around the number and U+2212 as its minus sign are taken as Qt 5 takes them.
int toIntOrZero(const QString &text);

/// The entries of the "Internal Radio" list and of the hidden railroad list,
/// in index order, untranslated (context "RadioTab"). The index is what is
/// stored and sent; an index outside a list leaves it with no current entry.
extern const char *const internalRadioNames[3];
extern const char *const railroadNames[10];
enum : int
{
    InternalRadioCount = 3,
    RailroadCount = 10,
};

/// What a freshly started window holds: the tabs start from it, and a
/// configuration made without a window (read from a unit, or from a file
/// that leaves values out) starts from it too. The table's cells are null:
/// never set.
RadioConfig freshConfig();

#endif
