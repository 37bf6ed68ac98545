#ifndef VELMORA_TABS_HOMETAB_H
#define VELMORA_TABS_HOMETAB_H

#include <QWidget>

class QTableWidget;
class QTableWidgetItem;

/// The "Home Channels" tab: 500 rows of TX, RX, RAN TX, RAN RX and LABEL.
class HomeTab : public QWidget
{
    Q_OBJECT

public:
    enum
    {
        RowCount = 500,
        ColumnCount = 5
    };
    enum Column
    {
        Tx = 0,
        Rx = 1,
        RanTx = 2,
        RanRx = 3,
        Label = 4
    };

    explicit HomeTab(QWidget *parent);

    /// The cells, [row][column]; the table owns them.
    QTableWidgetItem *items[RowCount][ColumnCount] = {};
    QTableWidget *table = nullptr;

    /// Sets the five texts of a row in the order TX, RX, RAN TX, RAN RX, LABEL.
    void setRow(int row, const QString (&texts)[ColumnCount]);

public slots:
    void getValue(int row, int column);

private:
    /// Colours the five cells of a row from their texts.
    void colourRow(int row);
    void colourRow(int row, const QString (&texts)[ColumnCount]);
};

#endif
