#ifndef VELMORA_LINK_CONFIGTARGET_H
#define VELMORA_LINK_CONFIGTARGET_H

#include "link/answers.h"
#include "link/radioconfig.h"

#include <QBitArray>
#include <QStringList>

/// Where the values of the unit's answers and of data files go: the editor
/// tabs, or a ConfigModel that takes them exactly as the tabs do.
class ConfigTarget
{
public:
    virtual ~ConfigTarget() = default;

    /// The line edit of a parameter whose value is a text.
    virtual void setText(Parameter parameter, const QString &text) = 0;
    /// The current index of a parameter whose value is a list index.
    virtual void setIndex(Parameter parameter, int index) = 0;
    /// The sixteen feature boxes, bit 15 first.
    virtual void setFeatures(quint16 word) = 0;
    /// The five cells of a table row (0 to 499), TX first.
    virtual void setRow(int row, const HomeRow &texts) = 0;
};

/// Writes what a decoded answer carries into target; error reports and
/// answers without effect change nothing.
void applyAnswer(const Answer &answer, ConfigTarget &target);

/// Sets every value of config into target in data file order, as loading a
/// data file does.
void applyConfig(const RadioConfig &config, ConfigTarget &target);

/// A configuration without widgets that behaves as a freshly started window:
/// it starts from freshConfig() and takes every value as the tabs take it,
/// so that what it saves is byte for byte what the window would save.
class ConfigModel : public ConfigTarget
{
public:
    ConfigModel();

    /// The values, as the tabs would hold them.
    RadioConfig config;
    /// The feature bit string as the Optional Features tab keeps it: null
    /// until a box changes, then all sixteen bits.
    QString checks;

    /// A line edit's text is never null.
    void setText(Parameter parameter, const QString &text) override;
    /// An index outside its list leaves the list with no current entry (-1).
    void setIndex(Parameter parameter, int index) override;
    /// The bit string follows only a change of the word.
    void setFeatures(quint16 word) override;
    /// A cell takes the first text it is given as it is; later, a text
    /// equal to its own (null and empty are equal) leaves it as it was, as
    /// a table item does.
    void setRow(int row, const HomeRow &texts) override;

    /// The fields of the data file the window's Save writes.
    QStringList fields() const;

private:
    /// The cells that were set at least once, row by row.
    QBitArray cellSet = QBitArray(RadioConfig::HomeRowCount * 5);
};

#endif
