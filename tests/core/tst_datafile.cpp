#include "app/datafile.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_ASAN 1
#endif

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// One field as the stream format lays it out.
QByteArray encoded(const QString &text)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(DataFile::StreamVersion);
    out << text;
    return bytes;
}

QByteArray written(const QStringList &fields)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!DataFile::writeFields(&buffer, fields))
        return QByteArray();
    return buffer.data();
}

QStringList readWithStream(const QByteArray &bytes, int count)
{
    QDataStream in(bytes);
    in.setVersion(DataFile::StreamVersion);
    QStringList fields;
    for (int i = 0; i < count; ++i) {
        QString text;
        in >> text;
        fields.append(text);
    }
    return fields;
}

QStringList readWithCodec(const QByteArray &bytes, int count)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return DataFile::readFields(&buffer, count);
}

// Spells out a list so that a mismatch shows where null and empty differ.
QString describe(const QStringList &fields)
{
    QStringList parts;
    for (const QString &text : fields) {
        if (text.isNull())
            parts << QStringLiteral("<null>");
        else
            parts << QLatin1Char('"') + QString::fromLatin1(text.toUtf8().toHex()) +
                         QLatin1Char('"');
    }
    return parts.join(QLatin1Char(' '));
}

QStringList smallestFields()
{
    return DataFile::fieldsFromConfig(RadioConfig(), QString());
}

// Takes bytes until a budget runs out, like a full disk.
class FailDevice : public QBuffer
{
public:
    explicit FailDevice(qint64 budget) : budget(budget) {}

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        if (budget <= 0) {
            setErrorString(QStringLiteral("no space left"));
            return -1;
        }
        const qint64 taken = QBuffer::writeData(data, qMin(len, budget));
        if (taken > 0)
            budget -= taken;
        return taken;
    }

private:
    qint64 budget;
};

} // namespace

class TestDataFile : public QObject
{
    Q_OBJECT

private slots:
    void goldenBytes_data();
    void goldenBytes();
    void smallestFileSize();
    void sameAsDataStream_data();
    void sameAsDataStream();
    void writtenFieldsReadBack_data();
    void writtenFieldsReadBack();
    void hugeLengthDoesNotAllocate_data();
    void hugeLengthDoesNotAllocate();
    void junkAfterLastFieldIgnored();
    void header_data();
    void header();
    void featureWord_data();
    void featureWord();
    void checksOfWord_data();
    void checksOfWord();
    void failingDevice_data();
    void failingDevice();
    void loadRefused_data();
    void loadRefused();
    void loadStopsAtForeignHeader_data();
    void loadStopsAtForeignHeader();
};

void TestDataFile::goldenBytes_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("identifier and format number")
        << 0 << hex("0000000E00560065007200730069006F006E00000006003100300030");
    QTest::newRow("null feature string") << 68 << hex("FFFFFFFF");
    QTest::newRow("first reserved field") << 72 << hex("0000000A0042006C0061006E006B");
    QTest::newRow("last reserved field") << 72 + 9 * 14 << hex("0000000A0042006C0061006E006B");
    QTest::newRow("list indexes") << 56 << hex("000000020030000000020030");
}

void TestDataFile::goldenBytes()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);
    const QByteArray bytes = written(smallestFields());
    QCOMPARE(bytes.mid(offset, expected.size()).toHex(), expected.toHex());
}

void TestDataFile::smallestFileSize()
{
    // 18 + 10 + 7 * 4 + 2 * 6 + 4 + 10 * 14 + 2500 * 4
    QCOMPARE(written(smallestFields()).size(), 10212);
}

void TestDataFile::sameAsDataStream_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");

    QTest::newRow("nothing") << QByteArray() << 3;
    QTest::newRow("empty and null") << hex("00000000FFFFFFFF") << 3;
    QTest::newRow("two texts") << encoded(QStringLiteral("Version")) +
                                      encoded(QStringLiteral("100"))
                               << 2;
    QTest::newRow("odd count") << hex("00000003004100420000000400430044") << 4;
    QTest::newRow("odd count then field") << hex("000000050000000200410042") << 3;
    QTest::newRow("count of one") << hex("000000010000000200410042") << 3;
    QTest::newRow("cut in the length") << hex("000000") << 2;
    QTest::newRow("cut in the text") << hex("00000008004100") << 3;
    QTest::newRow("length alone at the end") << hex("0000000400410042FFFFFFFF00000002") << 5;
    QTest::newRow("huge length") << hex("7FFFFFF000410042") << 3;
    QTest::newRow("huge even length") << hex("FFFFFFFE00410042") << 2;
    QTest::newRow("lone surrogates") << hex("00000006D800DC000041") << 2;
    QTest::newRow("fewer fields asked")
        << encoded(QStringLiteral("a")) + encoded(QStringLiteral("b")) << 1;

    QRandomGenerator random(20240521);
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes;
        if (i % 3 == 0) {
            // Pure noise.
            const int size = random.bounded(64);
            for (int j = 0; j < size; ++j)
                bytes.append(char(random.bounded(256)));
        } else {
            // Plausible fields with the occasional odd, null, huge or cut count.
            const int fields = random.bounded(1, 8);
            for (int f = 0; f < fields; ++f) {
                const int kind = random.bounded(10);
                quint32 length = quint32(2 * random.bounded(6));
                if (kind == 0)
                    length = 0xFFFFFFFFu;
                else if (kind == 1)
                    length = quint32(2 * random.bounded(6) + 1);
                else if (kind == 2)
                    length = 0x7FFFFFF0u + quint32(random.bounded(16));
                QByteArray count(4, '\0');
                qToBigEndian<quint32>(length, count.data());
                bytes += count;
                const int textBytes = (kind >= 2) ? random.bounded(12) : int(length & 0xFF);
                for (int j = 0; j < textBytes && length != 0xFFFFFFFFu; ++j)
                    bytes.append(char(random.bounded(256)));
            }
            if (random.bounded(3) == 0)
                bytes.chop(random.bounded(qMin(bytes.size(), 7) + 1));
        }
        QTest::addRow("random %d", i) << bytes << random.bounded(1, 10);
    }
}

void TestDataFile::sameAsDataStream()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    const QStringList ours = readWithCodec(bytes, count);
    const QStringList qts = readWithStream(bytes, count);
    QCOMPARE(describe(ours), describe(qts));
}

void TestDataFile::writtenFieldsReadBack_data()
{
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("smallest file") << smallestFields();
    QTest::newRow("null, empty and text")
        << QStringList{QString(), QString::fromLatin1(""), QStringLiteral("Blank")};
    QTest::newRow("beyond Latin-1")
        << QStringList{QStringLiteral("\u00e9\u20ac\u4e2d"), QStringLiteral("\U0001F682")};
    QTest::newRow("lone surrogates") << QStringList{QString(QChar(0xD800)), QString(QChar(0xDFFF))};
    QTest::newRow("longer than one slice") << QStringList{QString(200000, QLatin1Char('x'))};
}

void TestDataFile::writtenFieldsReadBack()
{
    QFETCH(QStringList, fields);
    const QByteArray bytes = written(fields);
    QVERIFY(!bytes.isEmpty());
    QCOMPARE(describe(readWithCodec(bytes, fields.size())), describe(fields));
    // What we write is what Qt's own stream writes.
    QCOMPARE(describe(readWithStream(bytes, fields.size())), describe(fields));
}

void TestDataFile::hugeLengthDoesNotAllocate_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray header = encoded(QStringLiteral("Version")) + encoded(QStringLiteral("100"));
    QTest::newRow("tiny file") << header + hex("7FFFFFF000410042");
    QTest::newRow("just short of the most a string holds") << header + hex("7FFFFF0000410042");
    QTest::newRow("a few megabytes behind")
        << header + hex("7FFFFF00") + QByteArray(3 * 1024 * 1024, '\x41');
}

void TestDataFile::hugeLengthDoesNotAllocate()
{
#ifdef VELMORA_ASAN
    QSKIP("the address sanitizer needs more address space than this test allows");
#else
    QFETCH(QByteArray, bytes);
    // Allow 256 MiB more than now: taking the claimed 2 GiB at once must fail.
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        QSKIP("no /proc/self/status to measure the address space");
    qint64 usedKiB = -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            usedKiB = line.mid(7).trimmed().split(' ').first().toLongLong();
    }
    QVERIFY(usedKiB > 0);
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_AS, &old), 0);
    rlimit tight = old;
    tight.rlim_cur = rlim_t(usedKiB + 256 * 1024) * 1024;
    if (old.rlim_cur != RLIM_INFINITY && old.rlim_cur < tight.rlim_cur)
        tight.rlim_cur = old.rlim_cur;
    QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
    QStringList fields;
    bool allocationFailed = false;
    try {
        fields = readWithCodec(bytes, DataFile::FieldCount);
    } catch (const std::bad_alloc &) {
        allocationFailed = true;
    }
    setrlimit(RLIMIT_AS, &old);
    QVERIFY(!allocationFailed);
    QCOMPARE(fields.size(), int(DataFile::FieldCount));
    QCOMPARE(fields.at(0), QStringLiteral("Version"));
    QVERIFY(fields.at(2).isNull());
    QCOMPARE(fields.at(3), QString::fromLatin1(""));
    QVERIFY(!fields.at(3).isNull());
#endif
}

void TestDataFile::junkAfterLastFieldIgnored()
{
    RadioConfig config;
    config.general.userDescription = QStringLiteral("yard 4");
    config.rows[499].label = QStringLiteral("last");
    const QStringList fields =
        DataFile::fieldsFromConfig(config, QStringLiteral("0000000000000001"));
    QByteArray bytes = written(fields);
    const int fileEnd = bytes.size();
    QRandomGenerator random(7);
    QByteArray junk(4 * 1024 * 1024, '\0');
    random.fillRange(reinterpret_cast<quint32 *>(junk.data()), junk.size() / 4);
    bytes += junk;

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QCOMPARE(DataFile::readFields(&buffer), fields);
    QCOMPARE(buffer.pos(), qint64(fileEnd));
}

void TestDataFile::header_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("verdict");

    const int accepted = int(DataFile::Verdict::Accepted);
    const int foreign = int(DataFile::Verdict::NotRecognized);
    const int newer = int(DataFile::Verdict::TooNew);
    QTest::newRow("as written") << "Version"
                                << "100" << accepted;
    QTest::newRow("identifier inside other text") << "My Version 2"
                                                  << "100" << accepted;
    QTest::newRow("lower case identifier") << "version"
                                           << "100" << foreign;
    QTest::newRow("upper case identifier") << "VERSION"
                                           << "100" << foreign;
    QTest::newRow("null identifier") << QString() << "100" << foreign;
    QTest::newRow("format 101") << "Version"
                                << "101" << newer;
    QTest::newRow("format 99") << "Version"
                               << "99" << accepted;
    QTest::newRow("empty format") << "Version" << QString::fromLatin1("") << accepted;
    QTest::newRow("null format") << "Version" << QString() << accepted;
    QTest::newRow("format not a number") << "Version"
                                         << "abc" << accepted;
    QTest::newRow("format number then text") << "Version"
                                             << "200x" << accepted;
    QTest::newRow("negative format") << "Version"
                                     << "-200" << accepted;
    QTest::newRow("identifier tested first") << "Versio"
                                             << "101" << foreign;
}

void TestDataFile::header()
{
    QFETCH(QString, identifier);
    QFETCH(QString, format);
    QFETCH(int, verdict);
    QCOMPARE(int(DataFile::checkHeader(identifier, format)), verdict);
}

void TestDataFile::featureWord_data()
{
    QTest::addColumn<QString>("checks");
    QTest::addColumn<int>("word");

    QTest::newRow("null") << QString() << 0;
    QTest::newRow("empty") << QString::fromLatin1("") << 0;
    QTest::newRow("three characters") << "101" << 0xFFFD;
    QTest::newRow("two characters") << "01" << 0x0001;
    QTest::newRow("one character") << "1" << 0xFFFF;
    QTest::newRow("sixteen") << "1000000000100011" << 0x8023;
    QTest::newRow("sixteen, bit 0 alone") << "0000000000000001" << 0x0001;
    QTest::newRow("fifteen") << "100000000000001" << 0xC001;
    // The first character gives bit 15, the last fifteen the rest.
    QTest::newRow("twenty") << "11111000000000000111" << 0x8007;
    QTest::newRow("other characters count as 0") << "2x1 000000000001" << 0x2001;
}

void TestDataFile::featureWord()
{
    QFETCH(QString, checks);
    QFETCH(int, word);
    QCOMPARE(int(DataFile::featureWordFromChecks(checks)), word);
}

void TestDataFile::checksOfWord_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("checks");

    QTest::newRow("none") << 0 << "0000000000000000";
    QTest::newRow("bit 0") << 0x0001 << "0000000000000001";
    QTest::newRow("bit 15") << 0x8000 << "1000000000000000";
    QTest::newRow("hidden and shown") << 0xA413 << "1010010000010011";
}

void TestDataFile::checksOfWord()
{
    QFETCH(int, word);
    QFETCH(QString, checks);
    QCOMPARE(DataFile::checksFromFeatureWord(quint16(word)), checks);
    QCOMPARE(int(DataFile::featureWordFromChecks(checks)), word);
}

void TestDataFile::failingDevice_data()
{
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<bool>("saved");

    QTest::newRow("nothing taken") << qint64(0) << false;
    QTest::newRow("inside the first length") << qint64(3) << false;
    QTest::newRow("after the header") << qint64(28) << false;
    QTest::newRow("inside a reserved field") << qint64(80) << false;
    QTest::newRow("one byte short") << qint64(10211) << false;
    QTest::newRow("exactly enough") << qint64(10212) << true;
}

void TestDataFile::failingDevice()
{
    QFETCH(qint64, budget);
    QFETCH(bool, saved);
    FailDevice device(budget);
    QVERIFY(device.open(QIODevice::WriteOnly));
    QCOMPARE(DataFile::writeFields(&device, smallestFields()), saved);
}

void TestDataFile::loadRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");

    QTest::newRow("directory") << QString() << "file to open is a directory";
    QTest::newRow("missing file") << "missing.dat"
                                  << "No such file or directory";
}

void TestDataFile::loadRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = name.isEmpty() ? dir.path() : dir.filePath(name);
    QStringList fields{QStringLiteral("untouched")};
    QString error;
    QVERIFY(!DataFile::loadFields(path, &fields, &error));
    QCOMPARE(error, reason);
    QCOMPARE(fields, QStringList{QStringLiteral("untouched")});
}

void TestDataFile::loadStopsAtForeignHeader_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("count");

    QTest::newRow("ours") << "Version"
                          << "100" << int(DataFile::FieldCount);
    QTest::newRow("foreign") << "Other"
                             << "100" << 2;
    QTest::newRow("newer") << "Version"
                           << "101" << 2;
}

void TestDataFile::loadStopsAtForeignHeader()
{
    QFETCH(QString, identifier);
    QFETCH(QString, format);
    QFETCH(int, count);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("file.dat"));
    QStringList written = smallestFields();
    written[0] = identifier;
    written[1] = format;
    written[2] = QStringLiteral("10.1.1.1");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(DataFile::writeFields(&file, written));
    file.close();

    QStringList fields;
    QString error;
    QVERIFY(DataFile::loadFields(path, &fields, &error));
    QCOMPARE(fields.size(), count);
    QCOMPARE(fields, written.mid(0, count));
}

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"
