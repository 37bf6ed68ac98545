#ifndef VELMORA_LINK_CONFIGSNAPSHOT_H
#define VELMORA_LINK_CONFIGSNAPSHOT_H

#include "link/configtarget.h"

class MainWindow;

/// The editor tabs of a main window as a ConfigTarget: every value set
/// fires the tab's own checks, exactly as the user's edit would.
class TabsTarget : public ConfigTarget
{
public:
    explicit TabsTarget(MainWindow *window) : window(window) {}

    void setText(Parameter parameter, const QString &text) override;
    void setIndex(Parameter parameter, int index) override;
    void setFeatures(quint16 word) override;
    void setRow(int row, const HomeRow &texts) override;

private:
    MainWindow *window;
};

/// The bridge between the editor widgets and plain configuration values.
/// Everything here runs on the GUI thread.
namespace ConfigSnapshot {

/// The general parameters as the widgets hold them now.
GeneralSettings takeGeneral(const MainWindow *window);
/// The five texts of one table row (0 to 499).
HomeRow takeRow(const MainWindow *window, int row);
/// Everything: what a worker thread needs for a whole write walk.
RadioConfig takeConfig(const MainWindow *window);

/// Sets every widget, in data file order, firing each tab's own checks.
void applyConfig(MainWindow *window, const RadioConfig &config);

/// Sets one table row in the order TX, RX, RAN TX, RAN RX, LABEL.
void applyRow(MainWindow *window, int row, const HomeRow &texts);

/// What the write frame of one command index carries, as the widgets hold it
/// now: the general parameters and, for a home-channel index, its row. Far
/// cheaper than takeConfig when a link builds each frame as it sends it.
RadioConfig takeConfigFor(const MainWindow *window, int commandIndex);

} // namespace ConfigSnapshot

#endif
