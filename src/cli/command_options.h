#pragma once
// Option words shared by the commands that print holders or reports.

#include <QString>
#include <QStringList>
#include <optional>

#include "attendance/report_parameters.h"

namespace horalog {

// A bad command line: the one line of its message goes to standard error, status 2.
struct BadOption {
    QString message;
};

// The word after args[i] (i moves on to it); BadOption when there is none.
QString OptionValue(const QStringList& args, int& i);

// "--persons all|group|list" and "--group NAME".
class PersonsOptions {
public:
    // Takes args[i] and its value when it is one of the two options; i moves past them.
    bool Take(const QStringList& args, int& i);
    // Sets persons and groupName; BadOption when the two options contradict each other.
    void ApplyTo(ReportParameters& p) const;

    static const char* Usage();

private:
    std::optional<QString> persons_, group_;
};

}  // namespace horalog
