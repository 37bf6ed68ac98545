#include "link/linkdialog.h"

#include "app/mainwindow.h"
#include "link/answers.h"
#include "link/configsnapshot.h"
#include "link/frames.h"
#include "tabs/featuretab.h"
#include "tabs/networktab.h"
#include "tabs/radiotab.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

LinkDialog::LinkDialog(MainWindow *window) : QDialog(window), mainWindow(window)
{
    trafficLabel = new QLabel(this);
    statusLabel = new QLabel(this);
    readButton = new QPushButton(tr("Read"), this);
    writeButton = new QPushButton(tr("Write"), this);
    factoryButton = new QPushButton(tr("Factory Mode"), this);
    progressBar = new QProgressBar(this);
    homeBypassCheckBox = new QCheckBox(tr("Home Bypass"), this);

    trafficLabel->setMaximumWidth(220);
    // A long port path or the system's reason for a failure must be read
    // whole: the status has a row of its own and wraps.
    statusLabel->setWordWrap(true);
    for (QWidget *fixed :
         std::initializer_list<QWidget *>{readButton, writeButton, factoryButton, progressBar})
        fixed->setFixedWidth(100);
    progressBar->setTextVisible(false);
    progressBar->setStyleSheet("background-color: white");
}

void LinkDialog::layOut(QWidget *label, QWidget *field)
{
    setFixedSize(300, 200);
    auto *layout = new QGridLayout;

    layout->addWidget(label, 0, 0);
    layout->addWidget(field, 0, 1);
    layout->addWidget(readButton, 0, 2);
    layout->addWidget(writeButton, 1, 2);
    // Across the field's column too: in the first column alone its width
    // would squeeze the port list or the address to a few characters.
    layout->addWidget(homeBypassCheckBox, 2, 0, 1, 2);
    layout->addWidget(factoryButton, 2, 2);
    layout->addWidget(trafficLabel, 4, 0, 1, 2);
    layout->addWidget(progressBar, 4, 2);
    layout->addWidget(statusLabel, 5, 0, 1, 3);
    setLayout(layout);
}

void LinkDialog::setStatus(const QString &text)
{
    if (!layout()) {
        statusLabel->setText(text);
        return;
    }
    // A label wraps only between words; a word wider than the line, such
    // as a long port path, may break anywhere, as zero-width spaces allow.
    const int room = width() - 2 * style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
    QStringList words = text.split(QLatin1Char(' '));
    for (QString &word : words) {
        if (statusLabel->fontMetrics().horizontalAdvance(word) <= room)
            continue;
        for (int at = word.size() - 1; at > 0; --at)
            word.insert(at, QChar(0x200B));
    }
    statusLabel->setText(words.join(QLatin1Char(' ')));
    setFixedHeight(qMax(200, layout()->totalHeightForWidth(width())));
}

void LinkDialog::closeEvent(QCloseEvent *event)
{
    event->accept();
    closed = true;
    mainWindow->serialAct->setEnabled(true);
    mainWindow->networkAct->setEnabled(true);
}

void LinkDialog::reject()
{
    // QDialog would only hide itself, leaving both Connect actions disabled.
    close();
}

void LinkDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Its count changes with every answer; a label of fixed size does not
    // make the dialog lay itself out again each time, which would cost a
    // good part of the network link's 1 ms between two requests. The
    // dialog's size is fixed, so this is the size the layout gives it anyway.
    trafficLabel->setFixedSize(trafficLabel->size());
}

void LinkDialog::showResponse(QByteArray response)
{
    if (closed)
        return;
    ++transactionCount;
    trafficLabel->setText(tr("Traffic, transaction #%1:").arg(transactionCount));
    // A value above the maximum is refused by the bar, which keeps the old one.
    progressBar->setMaximum(homeBypassCheckBox->isChecked() ? Frames::LastBypassIndex
                                                            : Frames::CommandCount - 1);
    progressBar->setValue(transactionCount);

    const Answer answer = parseAnswer(response);
    switch (answer.kind) {
    case Answer::ChannelError:
    case Answer::AddressError:
    case Answer::ParameterError:
        parameterError = 1;
        setStatus(tr(errorText(answer.kind)));
        break;
    default: {
        TabsTarget tabs(mainWindow);
        applyAnswer(answer, tabs);
        break;
    }
    }
}
