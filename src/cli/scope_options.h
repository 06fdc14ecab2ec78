#pragma once
// The options that choose whose records a command prints, and over which days: shared by
// `horalog report`, `horalog export`, `horalog cards` and `horalog member-list`.

#include <QString>
#include <optional>

#include "attendance/report_parameters.h"
#include "cli/parsing.h"

namespace horalog {

// "--persons all|group|list" and "--group NAME".
class PersonsOptions {
public:
    void Add(CLI::App& app);
    // Sets persons and groupName; BadOption when a value is wrong or the two options
    // contradict each other.
    void ApplyTo(ReportParameters& p) const;

    static const char* Usage();

private:
    std::optional<QString> persons_, group_;
};

// Persons, period, records of interest, records per line, blank lines, new page.
class ScopeOptions {
public:
    void Add(CLI::App& app);
    // Checks the values and how the options go together, and writes them into p. Throws
    // BadOption.
    void Apply(ReportParameters& p) const;

    std::optional<int> perLine() const;  // 2, 4, 6 or 8; throws BadOption
    std::optional<RecordsOfInterest> records() const;
    std::optional<bool> newPage;

    // The usage lines of the shared options.
    static QString Usage();

private:
    std::optional<QString> period_, from_, to_, month_, records_, perLine_;
    PersonsOptions persons_;
    bool blankLines_ = false;
};

// A date YYYY-MM-DD given to option; BadOption when it does not parse.
DateTime DateValue(const QString& option, const QString& value);
// A whole number lo..hi given to option.
int NumberValue(const QString& option, const QString& value, int lo, int hi);

}  // namespace horalog
