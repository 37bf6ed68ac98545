#include "app/datafile.h"
#include "tests/testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The fields as "a|~|": "a", a null string and "".
QString joinedFields(const QStringList &fields)
{
    QStringList parts;
    for (const QString &field : fields)
        parts << (field.isNull() ? QStringLiteral("~") : field);
    return parts.join(QLatin1Char('|'));
}

const uid_t nobody = 65534;

// Root drops to nobody for the permission checks; in a user namespace
// (unshare -r) that is not permitted, and root passes every check.
bool canDropToNobody()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0 ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Saves in a child process that runs as an ordinary user (root would pass
// every permission check), optionally with a file size limit like a full disk.
QString saveAsUser(const QString &fileName, const QStringList &fields, rlim_t sizeLimit)
{
    int channel[2];
    if (pipe(channel) != 0)
        return QStringLiteral("<no pipe>");
    const pid_t child = fork();
    if (child == 0) {
        ::close(channel[0]);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{sizeLimit, sizeLimit};
        if (sizeLimit)
            setrlimit(RLIMIT_FSIZE, &limit);
        if (geteuid() == 0 && canDropToNobody() &&
            (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(2);
        QString error;
        const QByteArray result =
            DataFile::saveFields(fileName, fields, &error) ? "saved" : error.toUtf8();
        if (write(channel[1], result.constData(), size_t(result.size())) < 0)
            _exit(3);
        _exit(0);
    }
    ::close(channel[1]);
    QFile answer;
    answer.open(channel[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray result = answer.readAll();
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? QString::fromUtf8(result)
                                                         : QStringLiteral("<child failed>");
}

} // namespace

class TestDataFile : public QObject
{
    Q_OBJECT

private slots:
    void smallestFile();
    void readFields_data();
    void readFields();
    void loadStopsEarly_data();
    void loadStopsEarly();
    void saveFields_data();
    void saveFields();
};

void TestDataFile::smallestFile()
{
    RadioConfig config;
    config.general.ip = QStringLiteral("");
    config.general.internalRadio = 2;
    const QByteArray bytes = bytesOf(DataFile::fieldsFromConfig(config, QString()));
    QCOMPARE(bytes.size(), 10212);
    // clang-format off
    QCOMPARE(bytes.left(28).toHex(), QByteArray("0000000e00560065007200730069006f006e00000006003100300030"));
    // An empty IP, six null texts, the two list indexes and the null bit string.
    QCOMPARE(bytes.mid(28, 44).toHex(), QByteArray("00000000ffffffffffffffffffffffffffffffffffffffffffffffff000000020032000000020030ffffffff"));
    // clang-format on
    QCOMPARE(bytes.mid(72, 140), QByteArray::fromHex("0000000a0042006c0061006e006b").repeated(10));
}

void TestDataFile::readFields_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fields");

    // clang-format off
    QTest::newRow("null, empty and text") << QByteArray::fromHex("ffffffff000000000000000200410000") << "~||A|";
    QTest::newRow("file ends before a field") << QByteArray::fromHex("0000000200410000") << "A||";
    QTest::newRow("field fills the file exactly") << QByteArray::fromHex("0000000400410042") << "AB||";
    QTest::newRow("field cut short") << QByteArray::fromHex("0000000600410042") << "~||";
    QTest::newRow("length far beyond the file") << QByteArray::fromHex("7ffffff000410042") << "~||";
    QTest::newRow("odd length reads no text") << QByteArray::fromHex("000000030000000200420000") << "~|B|";
    // clang-format on
}

void TestDataFile::readFields()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fields);

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QCOMPARE(joinedFields(DataFile::readFields(&buffer, fields.count(QLatin1Char('|')) + 1)),
             fields);
}

void TestDataFile::loadStopsEarly_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("read");
    // clang-format off
    QTest::newRow("accepted") << "Version" << "100" << 2522;
    QTest::newRow("foreign") << "Other" << "100" << 2;
    QTest::newRow("newer") << "Version" << "101" << 2;
    // clang-format on
}

// A refused file of well-formed strings, such as another program's data, is
// read no further than its two header fields.
void TestDataFile::loadStopsEarly()
{
    QFETCH(QString, identifier);
    QFETCH(QString, format);
    QFETCH(int, read);
    QStringList fields{identifier, format};
    while (fields.size() < 5000)
        fields << QStringLiteral("data");
    QByteArray bytes = bytesOf(fields);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QCOMPARE(DataFile::loadFields(&buffer).size(), read);
    QCOMPARE(buffer.pos(), bytesOf(fields.mid(0, read)).size());
}

void TestDataFile::saveFields_data()
{
    QTest::addColumn<int>("folderBits");
    QTest::addColumn<int>("fileBits");
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<int>("sizeLimit");
    QTest::addColumn<QString>("result");

    // Bits -1: nothing there; file bits 0: a folder in the file's place.
    // clang-format off
    QTest::newRow("over a read-only file") << 0777 << 0444 << false << 0 << "not writable";
    QTest::newRow("folder missing") << -1 << -1 << false << 0 << "No such file or directory";
    QTest::newRow("closed folder, new file") << 0555 << -1 << false << 0 << "Permission denied";
    QTest::newRow("closed folder, writable file") << 0555 << 0666 << false << 0 << "saved";
    QTest::newRow("disk full in the table") << 0777 << 0666 << false << 9000 << "File too large";
    QTest::newRow("replacing fails in a shared folder") << 01777 << 0666 << true << 0 << "Operation not permitted";
    // clang-format on
}

void TestDataFile::saveFields()
{
    QFETCH(int, folderBits);
    QFETCH(int, fileBits);
    QFETCH(bool, foreign);
    QFETCH(int, sizeLimit);
    QFETCH(QString, result);

    const bool root = geteuid() == 0;
    if (foreign && !root)
        QSKIP("needs root to give the file to another user");
    const bool permissions = foreign || fileBits == 0444 || folderBits == 0555;
    if (root && permissions && !canDropToNobody())
        QSKIP("changing to another user is not permitted here (a user namespace?), and root "
              "passes every permission check");
    QTemporaryDir base;
    QVERIFY(base.isValid() && chmod(qPrintable(base.path()), 0777) == 0);
    const QString folder = base.filePath(QStringLiteral("folder"));
    const QByteArray target = (folder + QStringLiteral("/unit.cfg")).toLocal8Bit();
    const QByteArray oldBytes = bytesOf({"Version", "100", "old"});
    QVERIFY(folderBits < 0 || QDir().mkdir(folder));
    QVERIFY(fileBits != 0 || (QDir().mkdir(target) && chmod(target, 0777) == 0));
    if (fileBits > 0) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(oldBytes) == oldBytes.size());
        file.close();
        QCOMPARE(chmod(target, mode_t(fileBits)), 0);
        QVERIFY(foreign || !root || !permissions || chown(target, nobody, nobody) == 0);
    }
    QVERIFY(folderBits < 0 || chmod(qPrintable(folder), mode_t(folderBits)) == 0);

    const QStringList fields = DataFile::fieldsFromConfig(RadioConfig(), QStringLiteral("1"));
    const QString got = saveAsUser(target, fields, rlim_t(sizeLimit));
    QVERIFY2(got.contains(result), qPrintable(got));
    if (result == QLatin1String("saved"))
        QCOMPARE(contents(target), bytesOf(fields));
    else if (fileBits > 0)
        QCOMPARE(contents(target), oldBytes);
    // Whatever happened, no temporary file is left beside the target.
    const QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QVERIFY2(left.size() <= 1, qPrintable(left.join(QLatin1Char(' '))));
    chmod(qPrintable(folder), 0777);
}

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"
