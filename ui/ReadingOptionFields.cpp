#include "ui/ReadingOptionFields.h"

#include <QRegularExpression>

namespace {

struct Field {
    const char* option;
    const char* caption;
    const char* value;  ///< what may follow the option as its value in a message
};

const char* const number = R"(\d+(?:\.\d+)?)";

// Every reading option that a reader's message may name, with the dialog field that sets it.
const Field fields[] = {
    {"--format", "Format", "[a-z][a-z0-9]*"},
    {"--fps", "Frames per second", number},
    {"--unit", "Length unit", "mm|cm|m"},
    {"--stride", "Keep every k-th frame", R"(\d+)"},
    {"--from", "From (s)", number},
    {"--to", "To (s)", number},
    {"--max-gap", "Longest gap filled (s)", number},
    {"--obstacles", "Obstacle file", R"([\w./-]*\w\.\w+)"},
};

const Field* fieldOf(const QString& option) {
    for (const Field& field : fields) {
        if (option == field.option) {
            return &field;
        }
    }
    return nullptr;
}

QString theField(const Field& field) {
    return QString("the \"%1\" field").arg(field.caption);
}

// An option at the start of a sentence starts it with a capital.
bool startsSentence(const QString& message, int position) {
    const QString before = message.left(position).trimmed();
    return before.isEmpty() || before.endsWith('.') || before.endsWith('!') || before.endsWith('?');
}

}  // namespace

QString ReadingOptionFields::caption(const QString& option) {
    const Field* field = fieldOf(option);
    return field ? QString(field->caption) : QString();
}

QString ReadingOptionFields::inDialogTerms(const QString& message) {
    // "--from/--to" before "--from"; an option is a whole word, so "--to" is not "--total".
    static const QRegularExpression mention(
        R"((?<![\w-])(--from/--to|--[a-z]+(?:-[a-z]+)*)(?![\w-])(?: ([^\s,;:()]+))?)");
    QString told;
    int done = 0;
    QRegularExpressionMatchIterator matches = mention.globalMatch(message);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QString option = match.captured(1);
        QString replacement;
        int length = match.capturedLength(1);
        if (option == "--from/--to") {
            replacement = QString("the \"%1\" and \"%2\" fields")
                              .arg(fieldOf("--from")->caption, fieldOf("--to")->caption);
        } else if (const Field* field = fieldOf(option)) {
            // A value at the end of a sentence does not take its full stop with it.
            QString value = match.captured(2);
            while (value.endsWith('.')) {
                value.chop(1);
            }
            const QRegularExpression valueForm(
                QRegularExpression::anchoredPattern(QString(field->value)));
            if (!value.isEmpty() && valueForm.match(value).hasMatch()) {
                replacement = value + " in " + theField(*field);
                length += 1 + value.size();
            } else {
                replacement = theField(*field);
            }
        } else {
            continue;
        }
        const int start = match.capturedStart(1);
        if (replacement.startsWith("the ") && startsSentence(message, start)) {
            replacement[0] = replacement[0].toUpper();
        }
        told += message.mid(done, start - done) + replacement;
        done = start + length;
    }
    return told + message.mid(done);
}
