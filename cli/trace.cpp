#include "cli/trace.h"

#include "cli/links.h"

bool Trace::open(const QString &path, QString *error)
{
    clock.start();
    file.setFileName(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return false;
}

void Trace::watch(UnitLink *link, const QString &name)
{
    names.insert(link, name);
    connect(link, SIGNAL(request(QByteArray)), this, SLOT(request(QByteArray)));
    connect(link, SIGNAL(response(QByteArray)), this, SLOT(response(QByteArray)));
}

void Trace::watch(UdpRouter *router)
{
    connect(router, SIGNAL(dropped(QHostAddress, QByteArray, QString)), this,
            SLOT(dropped(QHostAddress, QByteArray, QString)));
}

void Trace::close()
{
    if (!file.isOpen())
        return;
    file.write(QByteArray("# ") + QByteArray::number(droppedCount) +
               " datagrams dropped: not from a unit, or our own requests\n");
    file.close();
}

void Trace::line(const QString &unit, char direction, const QByteArray &bytes, const QString &note)
{
    if (!file.isOpen())
        return;
    QByteArray text = QByteArray::number(clock.elapsed()) + ' ' + unit.toUtf8() + ' ' + direction +
                      ' ' + bytes.toHex(' ');
    if (!note.isEmpty())
        text += "  (" + note.toUtf8() + ')';
    file.write(text + '\n');
}

void Trace::request(const QByteArray &s)
{
    line(names.value(sender()), '>', s);
}

void Trace::response(const QByteArray &s)
{
    line(names.value(sender()), '<', s);
}

void Trace::dropped(const QHostAddress &sender, const QByteArray &bytes, const QString &why)
{
    ++droppedCount;
    line(sender.toString(), 'x', bytes, QStringLiteral("dropped: ") + why);
}
