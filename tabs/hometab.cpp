#include "tabs/hometab.h"

#include "link/acceptance.h"
#include "link/radioconfig.h"

#include <QBrush>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>

namespace {

void setColour(QTableWidgetItem *item, bool acceptable)
{
    // Shared brushes: an unchanged colour is then found equal at once.
    static const QBrush black(Qt::black);
    static const QBrush red(Qt::red);
    item->setForeground(acceptable ? black : red);
}

} // namespace

HomeTab::HomeTab(QWidget *parent) : QWidget(parent)
{
    table = new QTableWidget(RowCount, ColumnCount, this);
    table->setStyleSheet("background-color: white");
    table->setHorizontalHeaderLabels({tr("TX"), tr("RX"), tr("RAN TX"), tr("RAN RX"), tr("LABEL")});
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int widths[ColumnCount] = {100, 100, 100, 100, 195};
    for (int column = 0; column < ColumnCount; ++column)
        table->setColumnWidth(column, widths[column]);
    // The style's minimum would otherwise round 20-pixel rows up with larger fonts.
    table->verticalHeader()->setMinimumSectionSize(20);
    table->verticalHeader()->setDefaultSectionSize(20);
    for (int row = 0; row < RowCount; ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            items[row][column] = new QTableWidgetItem;
            table->setItem(row, column, items[row][column]);
        }
    }
    table->setGeometry(0, 0, 645, 300);

    connect(table, SIGNAL(cellChanged(int, int)), this, SLOT(getValue(int, int)));
}

void HomeTab::setRow(int row, const QString (&texts)[ColumnCount])
{
    // The row ends up with exactly these texts whatever the fill does on the
    // way, and its colours follow from the texts alone: one check at the end,
    // with no check per cell, leaves it as five checks would, at a fraction
    // of the cost.
    {
        const QSignalBlocker blocker(table);
        for (int column = 0; column < ColumnCount; ++column)
            items[row][column]->setText(texts[column]);
    }
    colourRow(row, texts);
}

void HomeTab::getValue(int row, int column)
{
    if (row < 0 || row >= RowCount)
        return;

    QTableWidgetItem *const *cells = items[row];
    if (column == Tx && cells[Rx]->text().isEmpty() && cells[RanTx]->text().isEmpty() &&
        cells[RanRx]->text().isEmpty()) {
        cells[Rx]->setText(cells[Tx]->text());
        if (Acceptance::highBand(toIntOrZero(cells[Tx]->text()))) {
            cells[RanTx]->setText(QStringLiteral("01"));
            cells[RanRx]->setText(QStringLiteral("01"));
        }
    }
    colourRow(row);
}

void HomeTab::colourRow(int row)
{
    QTableWidgetItem *const *cells = items[row];
    colourRow(row, {cells[Tx]->text(), cells[Rx]->text(), cells[RanTx]->text(),
                    cells[RanRx]->text(), cells[Label]->text()});
}

void HomeTab::colourRow(int row, const QString (&texts)[ColumnCount])
{
    const Acceptance::RowVerdict verdict =
        Acceptance::row(HomeRow{texts[Tx], texts[Rx], texts[RanTx], texts[RanRx], texts[Label]});
    QTableWidgetItem *const *cells = items[row];
    // Colour changes are no edits: a check they fired would find the same
    // colours, and must not run the automatic fill of a row that is being set
    // cell by cell, or the row could end up with texts nobody gave it.
    const QSignalBlocker blocker(table);
    setColour(cells[Tx], verdict.tx);
    setColour(cells[Rx], verdict.rx);
    setColour(cells[RanTx], verdict.ranTx);
    setColour(cells[RanRx], verdict.ranRx);
    setColour(cells[Label], verdict.label);
}
