#ifndef VELMORA_LINK_ANSWERS_H
#define VELMORA_LINK_ANSWERS_H

#include "link/parameters.h"
#include "link/radioconfig.h"

#include <QByteArray>

/// What one answer of the unit means, worked out from its bytes alone.
struct Answer
{
    enum Kind
    {
        NoEffect,       ///< a write accepted, or nothing the tool understands
        ChannelError,   ///< "Channel parameter error detected"
        AddressError,   ///< "IP parameter error detected"
        ParameterError, ///< "Parameter error detected"
        /// A value answer, one kind for each Parameter: text, index or
        /// features as its row's format has it.
        FirstValue,
        HomeChannel = FirstValue + Parameters::Count, ///< record (1 to 500) and row
    };

    static Kind kindOf(Parameter parameter) { return Kind(FirstValue + int(parameter)); }
    /// True for a value answer of a general parameter.
    bool isValue() const { return kind >= FirstValue && kind < HomeChannel; }
    /// The parameter of a value answer.
    Parameter parameter() const { return Parameter(kind - FirstValue); }

    Kind kind = NoEffect;
    QString text;
    int index = 0;
    quint16 features = 0;
    int record = 0;
    HomeRow row;
};

/// Decodes one answer. Bytes the answer does not hold match nothing; no input
/// is read out of bounds.
Answer parseAnswer(const QByteArray &answer);

/// The status text of an error kind, untranslated; empty for other kinds.
const char *errorText(Answer::Kind kind);

/// Bytes from `from` up to the first 00 byte (or `to`), as UTF-8.
QString textUpToNul(const QByteArray &bytes, int from, int to);

#endif
