#include "app/mainwindow.h"
#include "link/configsnapshot.h"
#include "link/dialog.h"
#include "link/frames.h"
#include "tabs/radiotab.h"
#include "tests/testsupport.h"
#include "unit/radiounit.h"
#include "unit/unitserver.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

// The serial dialog and its worker, driven through the main window against the
// emulated unit on a pseudo-terminal, served by this thread's event loop.
class TestDialog : public QObject
{
    Q_OBJECT

    QScopedPointer<RadioUnit> unit;
    QScopedPointer<SerialUnitServer> server;
    QScopedPointer<MainWindow> window;
    Dialog *dialog = nullptr;
    QList<QByteArray> got; // the worker's responses, as queued to this thread
    QStringList ends;      // its end texts, and "error: " texts
    QSignalSpy finished{this, SIGNAL(ended())};

    // Connect > Serial with the pseudo-terminal typed in.
    void openDialog()
    {
        window->serialAct->trigger();
        dialog = window->serialDialog;
        got.clear(), ends.clear();
        dialog->serialPortComboBox->clearEditText();
        QTest::keyClicks(dialog->serialPortComboBox->lineEdit(), server->slavePath());
        MasterThread *t = &dialog->thread;
        connect(t, &MasterThread::response, this, [this](const QByteArray &s) { got << s; });
        connect(t, &MasterThread::timeout, this, [this](QString s) { ends << s, ended(); });
        connect(t, &MasterThread::error, this,
                [this](QString s) { ends << "error: " + s, ended(); });
    }

    // How many of the three buttons and the port list take input.
    int enabled() const
    {
        return dialog->readButton->isEnabled() + dialog->writeButton->isEnabled() +
               dialog->factoryButton->isEnabled() + dialog->serialPortComboBox->isEnabled();
    }

    // Clicks button; true when the dialog went Busy and, within bounds, Ready again.
    // The waits run an event loop, so that the unit on this thread keeps its timing.
    bool run(QPushButton *button)
    {
        got.clear(), ends.clear(), finished.clear(), unit->clearLog();
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
        unit.reset(new RadioUnit);
        server.reset(new SerialUnitServer(unit.get()));
        QVERIFY2(server->openPseudoTerminal(), qPrintable(server->errorString()));
        window.reset(new MainWindow);
        openDialog();
        QVERIFY(dialog->isVisible() && !window->serialAct->isEnabled() &&
                !window->networkAct->isEnabled());
        QCOMPARE(window->radioTab->serialPortIndex, 100); // typing chose no entry
        QVERIFY(finished.isValid());
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
        QTest::newRow("read") << "" << "read" << false << 510 << 510 << "Complete! / Complete!";
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
        QTest::newRow("empty port name") << "port " << "read" << false << 0 << 0 << "error: Can't open , error code 11 / Error, Can't open , error code 11";
        QTest::newRow("missing device") << "port /dev/velmora-none" << "write" << false << 0 << 0 << "error: Can't open /dev/velmora-none, error code [1-9][0-9]* / Error, Can't open /dev/velmora-none, error code [1-9][0-9]*";
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
            {"port", [&] { dialog->serialPortComboBox->setEditText(value); }},
            {"", [] {}}};
        knobs.value(knob)();
        const RadioConfig cfg = sampleConfig();
        kind == "read" ? unit->loadConfig(cfg) : ConfigSnapshot::applyConfig(window.get(), cfg);
        dialog->homeBypassCheckBox->setChecked(bypass);

        QVERIFY(run(
            QList<QPushButton *>{dialog->readButton, dialog->writeButton, dialog->factoryButton}.at(
                QStringList{"read", "write", "factory"}.indexOf(kind))));
        QList<QByteArray> sent, answers;
        for (const RadioUnit::Exchange &e : unit->log())
            sent << e.request, answers << e.answer;
        QCOMPARE(sent, walkOf(kind, requests, cfg));
        QCOMPARE(got, answers.mid(0, responses)); // each answer whole, as one response
        const QString seen = ends.join("; ") + " / " + dialog->statusLabel->text();
        QVERIFY2(QRegularExpression("^" + outcome + "$").match(seen).hasMatch(), qPrintable(seen));
        QCOMPARE(dialog->trafficLabel->text(),
                 responses ? QString("Traffic, transaction #%1:").arg(responses) : QString());
        // The tool gave up on an endless answer while the unit was still at it.
        QVERIFY(knob != "endless" || server->answerPending());
        if (!knob.isEmpty() || kind == "factory")
            return;
        // The side written holds the values: all of them, or the general ones alone.
        const RadioConfig written =
            kind == "read" ? ConfigSnapshot::takeConfig(window.get()) : unit->toConfig();
        QVERIFY(written.general == cfg.general);
        QVERIFY(written.rows == (bypass ? RadioConfig().rows : cfg.rows));
    }

    // A Write and a Read in a row; the Read's end text starts another Read while
    // the worker is held between that text and its return.
    void inARow()
    {
        dialog->homeBypassCheckBox->setChecked(true);
        QVERIFY(run(dialog->writeButton));
        QSemaphore handedOver;
        connect(
            &dialog->thread, &MasterThread::timeout, this, [&] { handedOver.tryAcquire(1, 5000); },
            Qt::DirectConnection);
        connect(this, &TestDialog::ended, dialog, [&] {
            if (ends.size() == 1)
                dialog->readButton->click();
            handedOver.release();
        });
        QVERIFY(run(dialog->readButton));
        QCOMPARE(ends, (QStringList{"Complete!", "Complete!"}));
        QCOMPARE(unit->requestCount(), 20);
    }

    // Closing only hides: the Read runs on and fills the tabs.
    void closeDuringRead()
    {
        unit->loadConfig(sampleConfig());
        dialog->readButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!got.isEmpty(), 5000);
        QVERIFY(dialog->close() && window->serialAct->isEnabled() &&
                window->networkAct->isEnabled());
        QVERIFY(finished.wait(30000));
        QVERIFY(dialog->statusLabel->text() == "Complete!" && dialog->readButton->isEnabled());
        QCOMPARE(ConfigSnapshot::takeConfig(window.get()), sampleConfig());
    }

    // Destruction waits for the worker and never deadlocks, though the unit on
    // this thread cannot answer meanwhile (the worker then times out).
    void destroyDuringRead()
    {
        QTest::mouseClick(dialog->readButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!got.isEmpty(), 5000);
        QSignalSpy later(server.data(), SIGNAL(exchanged(QString, QByteArray, QByteArray)));
        QVERIFY(later.isValid());
        QTest::ignoreMessage(QtDebugMsg, "Thread Destructed");
        window.reset();
        QVERIFY(later.size() == 1 || later.wait(1000)); // the request in flight
        QVERIFY(!later.wait(300));
    }
};

QTEST_MAIN(TestDialog)
#include "tst_dialog.moc"
