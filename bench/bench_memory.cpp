// Resident memory of the tool after 20 full Reads over each link, against
// right after start. The emulated unit runs as a process of its own
// (radio-unit-sim), so that only the tool's memory is counted.

#include "app/datafile.h"
#include "app/mainwindow.h"
#include "link/dialog.h"
#include "link/dialogudp.h"
#include "tests/sampleconfig.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

const int reads = 20;
const long goalKiB = 2048;

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

// Runs the event loop until the status label shows an end text.
bool readOnce(QPushButton *read, QLabel *status)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (read->isEnabled() && !status->text().isEmpty())
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, SLOT(quit()));
    status->clear();
    read->click();
    poll.start(20);
    loop.exec();
    return status->text() == QLatin1String("Complete!");
}

} // namespace

int main(int argc, char **argv)
{
    // Each link in a process of its own, measured from its own start.
    if (argc == 1) {
        int status = 0;
        for (const char *which : {"network", "serial"})
            status |= QProcess::execute(QString::fromLocal8Bit(argv[0]), {which});
        return status;
    }
    const QString which = QString::fromLocal8Bit(argv[1]);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("unit.cfg"));
    const QString link = dir.filePath(QStringLiteral("unit-pty"));
    QString error;
    const RadioConfig sample = sampleConfig();
    if (!DataFile::saveFields(config, DataFile::fieldsFromConfig(sample, QString()), &error))
        return 1;
    QProcess unit;
    unit.setStandardOutputFile(QProcess::nullDevice());
    unit.start(QStringLiteral(RADIO_UNIT_SIM), {"--load", config, "--pty-link", link});
    for (int wait = 0; wait < 100 && !QFile::exists(link); ++wait)
        QThread::msleep(50);
    if (!QFile::exists(link)) {
        std::fprintf(stderr, "radio-unit-sim did not start\n");
        return 1;
    }

    MainWindow window;
    window.show();
    QCoreApplication::processEvents();
    const long startKiB = residentKiB();
    bool ok = true;
    if (which == "network") {
        window.networkAct->trigger();
        DialogUDP *udp = window.udpDialog;
        // The emulated unit on loopback, never the unit's default address.
        udp->ipAddressEdit->setText(QStringLiteral("127.0.0.2"));
        for (int read = 0; read < reads; ++read)
            ok = readOnce(udp->readButton, udp->statusLabel) && ok;
    } else {
        window.serialAct->trigger();
        Dialog *serial = window.serialDialog;
        serial->serialPortComboBox->setEditText(link);
        for (int read = 0; read < reads; ++read)
            ok = readOnce(serial->readButton, serial->statusLabel) && ok;
    }
    const long grownKiB = residentKiB() - startKiB;
    unit.terminate();
    unit.waitForFinished(5000);
    std::printf("%s: %ld KiB right after start, %+ld KiB after %d full Reads (goal: under %ld "
                "KiB)%s\n",
                qPrintable(which), startKiB, grownKiB, reads, goalKiB,
                ok ? "" : "; a Read did not complete");
    return ok ? 0 : 1;
}
