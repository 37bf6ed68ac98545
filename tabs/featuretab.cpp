#include "tabs/featuretab.h"

#include "app/datafile.h"

#include <QCheckBox>
#include <QGridLayout>

namespace {
struct ShownBox
{
    int bit;
    int row;
};
const ShownBox shownBoxes[] = {{6, 1}, {5, 2}, {4, 3}, {1, 6}, {0, 7}};
} // namespace

FeatureTab::FeatureTab(QWidget *parent) : QWidget(parent)
{
    const QString names[16] = {
        QStringLiteral("Enable Dual Head support"),
        QStringLiteral("Allow user to adjust audio settings for accessories"),
        QStringLiteral("Bit2"),
        QStringLiteral("Bit3"),
        QStringLiteral("Allow user to adjust NXDN settings"),
        QStringLiteral("Use RAN button to enter PLL tones"),
        QStringLiteral("Allow user to adjust squelch"),
        QStringLiteral("Bit7"),
        QStringLiteral("Bit8"),
        QStringLiteral("Bit9"),
        QStringLiteral("Bit10"),
        QStringLiteral("Bit11"),
        QStringLiteral("Bit12"),
        QStringLiteral("Bit13"),
        QStringLiteral("Bit14"),
        QStringLiteral("Bit15"),
    };
    const quint16 shownMask = 0x0073; // bits 6, 5, 4, 1 and 0

    for (int bit = 15; bit >= 0; --bit) {
        auto *box = new QCheckBox(names[bit], this);
        featureBoxes[bit] = box;
        box->setCheckState(Qt::Unchecked);
        if (!(shownMask & (1u << bit)))
            box->setVisible(false);
    }

    auto *layout = new QGridLayout;
    for (const ShownBox &shown : shownBoxes)
        layout->addWidget(featureBoxes[shown.bit], shown.row, 2, Qt::AlignLeft);
    setLayout(layout);

    for (int bit = 0; bit < 16; ++bit)
        connect(featureBoxes[bit], SIGNAL(stateChanged(int)), this, SLOT(getChecks()));
}

quint16 FeatureTab::featureWord() const
{
    quint16 word = 0;
    for (int bit = 0; bit < 16; ++bit) {
        if (featureBoxes[bit]->isChecked())
            word |= quint16(1u << bit);
    }
    return word;
}

void FeatureTab::setFeatureWord(quint16 word)
{
    for (int bit = 15; bit >= 0; --bit)
        featureBoxes[bit]->setCheckState((word >> bit) & 1 ? Qt::Checked : Qt::Unchecked);
}

void FeatureTab::getChecks()
{
    checks = DataFile::checksFromFeatureWord(featureWord());
}
