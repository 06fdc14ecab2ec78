#pragma once
// The scope options that the commands `horalog report` and `horalog export` share: persons,
// period, records of interest, records per line, blank lines, new page.

#include <QString>
#include <QStringList>
#include <optional>

#include "cli/command_options.h"
#include "attendance/report_parameters.h"

namespace horalog {

class ScopeOptions {
public:
    // Takes args[i] (and its value, moving i on) when it is a scope option; answers whether it
    // did. Throws BadOption.
    bool Take(const QStringList& args, int& i);
    // Checks how the options go together and writes them into p. Throws BadOption.
    void Apply(ReportParameters& p) const;

    bool help = false;
    std::optional<int> perLine;  // 2, 4, 6 or 8
    std::optional<bool> newPage;
    std::optional<RecordsOfInterest> records;

    // The option's value (the next word); throws when there is none.
    static QString Value(const QStringList& args, int& i);
    // A date YYYY-MM-DD as the value; throws when there is none or it does not parse.
    static DateTime DateValue(const QStringList& args, int& i);
    // A whole number lo..hi as the value.
    static int NumberValue(const QStringList& args, int& i, int lo, int hi);

    // The usage lines of the shared options.
    static QString Usage();

private:
    std::optional<PeriodChoice> period_;
    std::optional<DateTime> from_, to_;
    PersonsOptions persons_;
    bool blankLines_ = false;
};

}  // namespace horalog
