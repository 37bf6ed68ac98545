#include "tabs/colour.h"

#include <QBrush>
#include <QPalette>
#include <QWidget>

void applyTextColour(QWidget *widget, bool acceptable)
{
    // A fresh palette, not the widget's: the style sheet keeps the background.
    QPalette palette;
    palette.setBrush(QPalette::Text, QBrush(acceptable ? Qt::black : Qt::red));
    widget->setPalette(palette);
}
