#pragma once
// What every command shares in reading its words: one CLI11 parser per command, option
// values kept as text (each command checks them with its own messages), and the first word
// without a place reported by name.

#include <CLI/CLI.hpp>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace horalog {

// A bad command line: message is the one line for standard error, word the word at fault
// (an option without its value: the option).
struct BadOption {
    BadOption(QString message, QString word = QString())
        : message(std::move(message)), word(std::move(word)) {}
    QString message;
    QString word;
};

// A parser for one command's words: no help flag of its own (each command prints its own
// usage), a repeated option keeps its last value, and a word it has no place for is kept
// for ParseWords to report.
void PrepareParser(CLI::App& app);

// Parses words with app and answers the words it had no place for, in their order. Throws
// BadOption "X needs a value" for an option at the end without its value.
QStringList ParseKnown(CLI::App& app, const QStringList& words);

// Parses words with app, less a leading own (the command's word) when given. Throws BadOption:
// "unknown option X" for an option the command does not know, "unexpected argument X" for a
// word too many, "X needs a value" for an option at the end without its value.
void ParseWords(CLI::App& app, QStringList words, const QString& own = QString());

// "horalog <command>: bad word "<word>" (see --help)" on err: status 2.
int BadWord(QTextStream& err, const char* command, const QString& word);

// The words of a command that names a bad word so: parses them (the command's own word
// first) with a --help flag. Answers the exit status when the run ends here: 0 after the
// usage for --help, 2 after a bad word; nothing when the command goes on.
std::optional<int> ReadWords(CLI::App& parser, const QStringList& words, const char* command,
                             const char* usage, QTextStream& out, QTextStream& err);

// An option whose value is kept as text (the last one given).
CLI::Option* AddText(CLI::App& app, const std::string& name, QString& target);
CLI::Option* AddText(CLI::App& app, const std::string& name, std::optional<QString>& target);
// A flag that sets target to value when given.
template <typename T>
CLI::Option* AddSwitch(CLI::App& app, const std::string& name, T& target, T value) {
    return app.add_flag_callback(name, [&target, value] { target = value; });
}

// Whether words hold option, alone or as "option=value": for what must be known before the
// application object exists (a PDF needs fonts).
bool HasOption(const QStringList& words, const QString& option);

// The words as the program got them.
QStringList Words(int argc, char** argv);

}  // namespace horalog
