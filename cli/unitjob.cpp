#include "cli/unitjob.h"

#include "cli/links.h"
#include "link/answers.h"

#include <QCoreApplication>

UnitJob::UnitJob(const UnitTarget &unit, UnitLink *link, const Options &options, QObject *parent)
    : QObject(parent), unit(unit), link(link), options(options)
{
    connect(link, SIGNAL(response(QByteArray)), this, SLOT(processResponse(QByteArray)));
    connect(link, SIGNAL(finished(LinkOutcome)), this, SLOT(processEnd(LinkOutcome)));
}

void UnitJob::run(const QString &type, const QString &label, const RadioConfig &values)
{
    // Interrupted between two walks: the next one is never started.
    if (stopRequested)
        return finish(interrupted());
    this->type = type;
    step = label;
    answers = 0;
    expected = walkLength(type, options.homeBypass);
    parameterError.clear();
    if (type == QLatin1String("Read"))
        read = ConfigModel();
    running = true;
    link->start(type, options.homeBypass, values);
}

void UnitJob::processResponse(const QByteArray &s)
{
    // A late answer to a walk that has ended changes nothing here.
    if (!running)
        return;
    ++answers;
    const Answer answer = parseAnswer(s);
    if (answer.kind == Answer::ChannelError || answer.kind == Answer::AddressError ||
        answer.kind == Answer::ParameterError)
        parameterError = QCoreApplication::translate("LinkDialog", errorText(answer.kind));
    else if (type == QLatin1String("Read"))
        applyAnswer(answer, read);
}

void UnitJob::processEnd(const LinkOutcome &outcome)
{
    if (!running)
        return;
    running = false;
    switch (outcome.kind) {
    case LinkOutcome::Complete:
        transactionDone();
        break;
    case LinkOutcome::Timeout:
        finish(QStringLiteral("timeout"));
        break;
    case LinkOutcome::WriteTimeout:
        finish(QStringLiteral("write timeout"));
        break;
    case LinkOutcome::CannotOpen:
        finish(QStringLiteral("cannot open: ") + outcome.reason);
        break;
    case LinkOutcome::Stopped:
        finish(interrupted());
        break;
    }
}

void UnitJob::interrupt()
{
    stopRequested = true;
    if (running)
        link->stop();
}

void UnitJob::finish(const QString &text, bool success)
{
    if (done)
        return;
    done = true;
    running = false;
    ok = success;
    result = text;
    emit finished();
}

void UnitJob::finishCompared()
{
    if (differences.isEmpty())
        finish(QStringLiteral("ok"), true);
    else
        finish(QStringLiteral("verify: %1 fields differ").arg(differences.size()));
}

bool UnitJob::saveOrFail(const QString &path, const QStringList &fields)
{
    QString error;
    if (!TextForm::save(path, fields, &error)) {
        finish(QStringLiteral("cannot write %1: %2").arg(path, error));
        return false;
    }
    return true;
}
