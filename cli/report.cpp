#include "cli/report.h"

#include "cli/unitjob.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QByteArray jsonLine(const UnitJob &job)
{
    QJsonObject object{{"unit", job.unit.name},
                       {"link", job.unit.serial ? "serial" : "udp"},
                       {"result", job.result},
                       {"ok", job.ok},
                       {"changed", job.changed},
                       {"failed", !job.ok},
                       {"msg", QStringLiteral("%1: %2").arg(job.unit.name, job.result)},
                       {"seconds", qRound(job.seconds * 1000) / 1000.0}};
    if (!job.file.isEmpty())
        object.insert(QStringLiteral("file"), job.file);
    if (!job.backup.isEmpty())
        object.insert(QStringLiteral("backup_file"), job.backup);
    QJsonArray differences;
    for (const TextForm::Difference &d : job.differences)
        differences << QJsonObject{{"field", TextForm::fieldName(d.field)},
                                   {"before", QJsonValue(d.first)},
                                   {"after", QJsonValue(d.second)}};
    if (!differences.isEmpty())
        object.insert(QStringLiteral("differences"), differences);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

void report(const QList<UnitJob *> &jobs, bool json)
{
    int width = 0;
    for (const UnitJob *job : jobs)
        width = qMax(width, job->unit.name.size());
    for (const UnitJob *job : jobs) {
        QByteArray line;
        if (json) {
            line = jsonLine(*job);
        } else {
            line = QStringLiteral("%1  %2  %3 s\n")
                       .arg(job->unit.name, -width)
                       .arg(job->result)
                       .arg(job->seconds, 0, 'f', 2)
                       .toUtf8();
            for (const TextForm::Difference &d : job->differences)
                line += "  " + d.text().toUtf8() + '\n';
        }
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    std::fflush(stdout);
}
