#include "cli/parsing.h"

#include <algorithm>

namespace horalog {

void PrepareParser(CLI::App& app) {
    app.set_help_flag();
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

QStringList ParseKnown(CLI::App& app, const QStringList& words) {
    std::vector<std::string> args;  // CLI11 takes them last word first
    for (auto it = words.crbegin(); it != words.crend(); ++it) args.push_back(it->toStdString());
    try {
        app.parse(args);
    } catch (const CLI::ArgumentMismatch& e) {
        // "--pdf: 1 required TEXT missing": the option is what stands before the colon
        const QString option = QString::fromStdString(e.what()).section(':', 0, 0);
        throw BadOption{option + " needs a value", option};
    } catch (const CLI::ParseError& e) {
        throw BadOption{QString::fromStdString(e.what()), QString()};
    }
    QStringList rest;
    for (const std::string& w : app.remaining(true)) rest << QString::fromStdString(w);
    return rest;
}

void ParseWords(CLI::App& app, QStringList words, const QString& own) {
    if (!own.isEmpty() && !words.isEmpty() && words.front() == own) words.pop_front();
    const QStringList rest = ParseKnown(app, words);
    if (rest.isEmpty()) return;
    const QString& word = rest.front();
    throw BadOption{(word.startsWith('-') ? "unknown option " : "unexpected argument ") + word,
                    word};
}

int BadWord(QTextStream& err, const char* command, const QString& word) {
    err << "horalog " << command << ": bad word \"" << word << "\" (see --help)" << Qt::endl;
    return 2;
}

std::optional<int> ReadWords(CLI::App& parser, const QStringList& words, const char* command,
                             const char* usage, QTextStream& out, QTextStream& err) {
    bool help = false;
    parser.add_flag("--help,-h", help);
    try {
        ParseWords(parser, words, command);
    } catch (const BadOption& bad) {
        if (!help) return BadWord(err, command, bad.word);
    }
    if (!help) return std::nullopt;
    out << usage;
    return 0;
}

CLI::Option* AddText(CLI::App& app, const std::string& name, QString& target) {
    return app.add_option_function<std::string>(
        name, [&target](const std::string& v) { target = QString::fromStdString(v); });
}

CLI::Option* AddText(CLI::App& app, const std::string& name, std::optional<QString>& target) {
    return app.add_option_function<std::string>(
        name, [&target](const std::string& v) { target = QString::fromStdString(v); });
}

bool HasOption(const QStringList& words, const QString& option) {
    for (const QString& w : words)
        if (w == option || w.startsWith(option + '=')) return true;
    return false;
}

QStringList Words(int argc, char** argv) {
    QStringList list;
    for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
}

}  // namespace horalog
