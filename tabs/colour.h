#ifndef VELMORA_TABS_COLOUR_H
#define VELMORA_TABS_COLOUR_H

class QWidget;

/// Gives the widget a fresh default palette whose text is black when
/// acceptable, red otherwise. Only the text colour changes.
void applyTextColour(QWidget *widget, bool acceptable);

#endif
