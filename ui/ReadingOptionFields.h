#pragma once

#include <QString>

/// The import dialog's fields for the reading options of the command line, in one table: the
/// caption each option has in the dialog, and reader messages retold in those captions. The
/// readers name their options as a command-line user types them ("give it with --fps"); in the
/// dialog the same advice names the field to fill in.
class ReadingOptionFields {
public:
    /// The dialog's caption of a reading option ("--fps" gives "Frames per second"); empty for
    /// any other text.
    static QString caption(const QString& option);
    /// `message` with every reading option it names replaced by the field that sets it:
    /// "--fps" by `the "Frames per second" field`, "--fps 25" by
    /// `25 in the "Frames per second" field`, "--from/--to" by `the "From (s)" and "To (s)"
    /// fields`.
    static QString inDialogTerms(const QString& message);
};
