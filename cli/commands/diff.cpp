#include "cli/commands/commands.h"

#include "cli/command.h"
#include "cli/options.h"
#include "cli/textform.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

class Diff : public Command
{
public:
    Diff()
        : Command("diff", {"FILE1", "FILE2"}, false, {},
                  "lists each field that differs between the files: NAME: \"first\" -> "
                  "\"second\"")
    {}

    int run(const Options &options) const override
    {
        QStringList first, second;
        QString error;
        if (!TextForm::load(options.files.at(0), QStringList(), &first, &error) ||
            !TextForm::load(options.files.at(1), QStringList(), &second, &error))
            return refuse(error);
        const QList<TextForm::Difference> found =
            TextForm::differences(first, TextForm::opened(first), second, TextForm::opened(second));
        for (const TextForm::Difference &d : found) {
            if (!options.json) {
                print(d.text());
                continue;
            }
            const QJsonObject object{{"field", TextForm::fieldName(d.field)},
                                     {"first", QJsonValue(d.first)},
                                     {"second", QJsonValue(d.second)}};
            print(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
        }
        return found.isEmpty() ? 0 : 1;
    }
};

} // namespace

const Command &Commands::diff()
{
    static const Diff command;
    return command;
}
