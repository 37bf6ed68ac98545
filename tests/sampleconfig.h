#ifndef VELMORA_TESTS_SAMPLECONFIG_H
#define VELMORA_TESTS_SAMPLECONFIG_H

#include "link/radioconfig.h"

// The sample configuration of the tests and the benchmarks. Seed 0 differs
// from a fresh window and from a fresh unit in every value; each seed
// differs from the one before it in every value, so that loading the next
// sets every widget anew. Every value fits its frame, so that it reads back
// as it was written (seeds up to 99999).
inline RadioConfig sampleConfig(int seed = 0)
{
    const QString suffix = seed ? QStringLiteral(" %1").arg(seed) : QString();
    RadioConfig config{{QString::number(25 + seed % 90), QString::number(-4 + seed % 7),
                        QStringLiteral("VR-%1").arg(123 + seed), "Yard \u00e9ast" + suffix,
                        QStringLiteral("172.16.%1.4").arg((5 + seed) % 250),
                        seed % 2 ? "255.255.0.0" : "255.0.0.0",
                        QStringLiteral("172.16.%1.1").arg((4 + seed) % 250), quint16(0xA5C3 ^ seed),
                        (2 + seed) % 3, (7 + seed) % 10}};
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row) {
        const int channel = (row + seed) % 700;
        config.rows[row] = {
            QString::number(200 + channel), QString::number(201 + channel),
            QStringLiteral("%1").arg((row + seed) % 63 + 1, 2, 10, QLatin1Char('0')),
            QStringLiteral("%1").arg((33 + seed) % 63 + 1, 2, 10, QLatin1Char('0')),
            QStringLiteral("Track %1").arg(row) + suffix};
    }
    return config;
}

#endif
