#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "link/dialog.h"
#include "link/frames.h"
#include "tabs/radiotab.h"
#include "tests/testsupport.h"
#include "unit/radiounit.h"
#include "unit/unitserver.h"
#include "unit/unitthread.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

// The serial dialog and its worker, driven through the main window against the
// emulated unit on a pseudo-terminal, served from a thread of its own.
class TestDialog : public QObject
{
    Q_OBJECT

    UnitThread host;
    RadioUnit *unit = nullptr; // both live on the host's thread: reached through on()
    SerialUnitServer *server = nullptr;
    QScopedPointer<MainWindow> window;
    Dialog *dialog = nullptr;
    QList<QByteArray> got; // the worker's responses, as queued to this thread
    QStringList ends;      // its end texts, and "error: " texts
    QSignalSpy finished{this, SIGNAL(ended())};
    // Holds the worker at the end of a walk until the test thread has seen
    // it. A member: the worker may leave its wait only after the test
    // function has returned.
    QSemaphore handedOver;

    void on(const std::function<void()> &work) { host.call(work); }

    QList<QByteArray> requestsSent()
    {
        QList<QByteArray> sent;
        on([&] {
            for (const RadioUnit::Exchange &e : unit->log())
                sent << e.request;
        });
        return sent;
    }

    // How many of the three buttons and the port list take input.
    int enabled() const
    {
        return dialog->readButton->isEnabled() + dialog->writeButton->isEnabled() +
               dialog->factoryButton->isEnabled() + dialog->serialPortComboBox->isEnabled();
    }

    // Clicks button; true when the dialog went Busy and, within bounds, Ready again.
    bool run(QPushButton *button)
    {
        got.clear(), ends.clear(), finished.clear();
        on([&] { unit->clearLog(); });
        QTest::mouseClick(button, Qt::LeftButton);
        const bool busy = enabled() == 0 && dialog->statusLabel->text() == "";
        // An end text may start another transaction at once: that one is waited for too.
        for (int turn = 0; busy && turn < 4 && enabled() < 4; ++turn)
            finished.wait(30000);
        return busy && enabled() == 4;
    }

signals:
    void ended();

private slots:
    void init()
    {
        QString error;
        on([&] {
            unit = new RadioUnit;
            server = new SerialUnitServer(unit);
            if (!server->openPseudoTerminal())
                error = server->errorString();
        });
        QVERIFY2(error.isEmpty(), qPrintable(error));
        window.reset(new MainWindow);
        // Connect > Serial with the pseudo-terminal typed in.
        window->serialAct->trigger();
        dialog = window->serialDialog;
        QVERIFY(dialog->isVisible() && !window->serialAct->isEnabled() &&
                !window->networkAct->isEnabled());
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        got.clear(), ends.clear();
        dialog->serialPortComboBox->clearEditText();
        QTest::keyClicks(dialog->serialPortComboBox->lineEdit(), server->slavePath());
        QCOMPARE(window->radioTab->serialPortIndex, 100); // typing chose no entry
        MasterThread *t = &dialog->thread;
        connect(t, &MasterThread::response, this, [this](const QByteArray &s) { got << s; });
        connect(t, &MasterThread::timeout, this, [this](QString s) { ends << s, ended(); });
        connect(t, &MasterThread::error, this,
                [this](QString s) { ends << "error: " + s, ended(); });
        QVERIFY(finished.isValid());
    }

    void cleanup()
    {
        if (window)
            QTest::ignoreMessage(QtDebugMsg, "Thread Destructed");
        window.reset();
        on([&] { delete server, delete unit; });
    }

    void transactions_data()
    {
        QTest::addColumn<QString>("setting"); // an emulator knob and its value
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("bypass");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("responses");
        QTest::addColumn<QString>("outcome"); // pattern of "end texts / status"
        // clang-format off
        QTest::newRow("write") << "" << "write" << false << 510 << 510 << "Complete! / Complete!";
        QTest::newRow("write, home bypass") << "" << "write" << true << 10 << 10 << "Complete! / Complete!";
        QTest::newRow("factory") << "" << "factory" << false << 1 << 1 << "Complete! / Complete!";
        QTest::newRow("silent unit") << "stop 0" << "read" << false << 1 << 0 << "TimeOut / TimeOut";
        QTest::newRow("stops after index 36") << "stop 37" << "read" << false << 38 << 37 << "TimeOut / TimeOut";
        QTest::newRow("answers after 30 ms") << "delay 30" << "read" << true << 10 << 10 << "Complete! / Complete!";
        QTest::newRow("answers in pieces 3 ms apart") << "pieces 3" << "read" << true << 10 << 10 << "Complete! / Complete!";
        QTest::newRow("endless answer") << "endless 1048576" << "read" << false << 1 << 0 << "TimeOut / TimeOut";
        QTest::newRow("record 250 refused") << "record 250" << "write" << false << 510 << 510 << "Complete! / Channel parameter error detected";
        // "/dev/" is a folder: Qt 5 numbers that unknown error 11, Qt 6 counts 8 for it.
        QTest::newRow("empty port name") << "port " << "read" << false << 0 << 0 << "error: Can't open , error code 11: Is a directory / Error, Can't open , error code 11: Is a directory";
        QTest::newRow("missing device, long path") << "port /dev/velmora-no-such-adapter/usb-FTDI_FT232R_USB_UART_A10KXYZ" << "write" << false << 0 << 0 << "error: Can't open (/dev/velmora.*), error code [1-9][0-9]*: No such file or directory / Error, Can't open \\1, error code [1-9][0-9]*: No such file or directory";
        // clang-format on
    }

    void transactions()
    {
        QFETCH(QString, setting);
        QFETCH(QString, kind);
        QFETCH(bool, bypass);
        QFETCH(int, requests);
        QFETCH(int, responses);
        QFETCH(QString, outcome);
        const QString knob = setting.section(' ', 0, 0), value = setting.section(' ', 1);
        const int n = value.toInt(nullptr, 0);
        const QMap<QString, std::function<void()>> knobs{
            {"stop", [&] { unit->setStopAfter(n); }},
            {"delay", [&] { server->setAnswerDelay(n); }},
            {"pieces", [&] { server->setPieces(4, n); }},
            {"endless", [&] { server->setPieces(4096, 1), server->setTrailingBytes(n); }},
            {"record", [&] { unit->setErrorForRecord(n); }},
            {"port", [] {}},
            {"", [] {}}};
        on(knobs.value(knob));
        if (knob == "port")
            dialog->serialPortComboBox->setEditText(value);
        const RadioConfig cfg = sampleConfig();
        kind == "read" ? on([&] { unit->loadConfig(cfg); })
                       : ConfigSnapshot::applyConfig(window.get(), cfg);
        dialog->homeBypassCheckBox->setChecked(bypass);

        QPushButton *button =
            QList<QPushButton *>{dialog->readButton, dialog->writeButton, dialog->factoryButton}.at(
                QStringList{"read", "write", "factory"}.indexOf(kind));
        QVERIFY(run(button));
        QList<QByteArray> sent, answers;
        bool pending = false;
        on([&] {
            for (const RadioUnit::Exchange &e : unit->log())
                sent << e.request, answers << e.answer;
            pending = server->answerPending();
        });
        QCOMPARE(sent, walkOf(kind, requests, cfg));
        QCOMPARE(got, answers.mid(0, responses)); // each answer whole, as one response
        const QString seen =
            ends.join("; ") + " / " + dialog->statusLabel->text().remove(QChar(0x200B));
        QVERIFY2(QRegularExpression("^" + outcome + "$").match(seen).hasMatch(), qPrintable(seen));
        QCOMPARE(dialog->trafficLabel->text(),
                 responses ? QString("Traffic, transaction #%1:").arg(responses) : QString());
        // The status is read whole, and the next Space presses the same button again.
        QLabel *status = dialog->statusLabel;
        QTRY_VERIFY(!status->geometry().intersects(dialog->progressBar->geometry()) &&
                    QRect(QPoint(), status->size())
                        .contains(status->fontMetrics().boundingRect(
                            QRect(0, 0, status->width(), 1000),
                            status->wordWrap() ? Qt::TextWordWrap : 0, status->text())));
        QCOMPARE(QApplication::focusWidget(), button);
        // The tool gave up on an endless answer while the unit was still at it.
        QVERIFY(knob != "endless" || pending);
        if (!knob.isEmpty() || kind == "factory")
            return;
        RadioConfig inUnit;
        on([&] { inUnit = unit->toConfig(); });
        QVERIFY(inUnit.general == cfg.general);
        QVERIFY(inUnit.rows == (bypass ? RadioConfig().rows : cfg.rows));
    }

    // Transactions in a row on one worker: each starts its records at 1. An
    // end text that starts another Read at once, while the worker is held
    // between that text and its return, still gets it served.
    void inARow()
    {
        on([&] { unit->setStopAfter(12); });
        QVERIFY(run(dialog->writeButton));
        QCOMPARE(ends, QStringList{"TimeOut"});
        on([&] { unit->setStopAfter(-1), unit->loadConfig(sampleConfig()); });
        connect(
            &dialog->thread, &MasterThread::timeout, this,
            [this] { handedOver.tryAcquire(1, 5000); }, Qt::DirectConnection);
        connect(this, &TestDialog::ended, dialog, [&] {
            if (ends.size() == 1)
                dialog->homeBypassCheckBox->setChecked(true), dialog->readButton->click();
            handedOver.release();
        });
        QVERIFY(run(dialog->readButton));
        QCOMPARE(ends, (QStringList{"Complete!", "Complete!"}));
        QCOMPARE(requestsSent(), walkOf("read", 510, {}) + walkOf("read", 10, {}));
        QCOMPARE(ConfigSnapshot::takeConfig(window.get()), sampleConfig());
    }

    // Closing ends the Read at its next exchange: nothing is sent or decoded
    // into the tabs after the close.
    void closeDuringRead()
    {
        on([&] { unit->loadConfig(sampleConfig()); });
        dialog->readButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(got.size() >= 20, 5000);
        const RadioConfig atClose = ConfigSnapshot::takeConfig(window.get());
        QVERIFY(dialog->close() && window->serialAct->isEnabled() &&
                window->networkAct->isEnabled());
        const int requestsAtClose = requestsSent().size();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->thread.isFinished(), 5000);
        QVERIFY(!finished.wait(200)); // let what was queued arrive: no end text
        QVERIFY(requestsSent().size() <= requestsAtClose + 1); // the exchange under way
        QCOMPARE(ConfigSnapshot::takeConfig(window.get()), atClose);
    }

    // Quitting during a Write with a slow unit ends the worker at its next
    // exchange, well within a second, instead of after the whole walk.
    void quitDuringWrite()
    {
        on([&] { server->setAnswerDelay(30); });
        dialog->writeButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(got.size() >= 3, 5000);
        QElapsedTimer clock;
        clock.start();
        QTest::ignoreMessage(QtDebugMsg, "Thread Destructed");
        window.reset();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(TestDialog)
#include "tst_dialog.moc"
