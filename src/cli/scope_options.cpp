#include "cli/scope_options.h"

#include <QDate>
#include <map>

namespace horalog {

namespace {

const std::map<QString, PeriodChoice> kPeriods = {
    {"this-week", PeriodChoice::ThisWeek},
    {"last-week", PeriodChoice::LastWeek},
    {"this-month", PeriodChoice::ThisMonth},
    {"last-month", PeriodChoice::LastMonth},
    {"all", PeriodChoice::All},
};

const std::map<QString, RecordsOfInterest> kRecords = {
    {"all", RecordsOfInterest::All},
    {"clock", RecordsOfInterest::Clock},
    {"inout", RecordsOfInterest::InOut},
};

}  // namespace

QString ScopeOptions::Value(const QStringList& args, int& i) {
    return OptionValue(args, i);
}

DateTime ScopeOptions::DateValue(const QStringList& args, int& i) {
    const QString option = args[i];
    const QString v = Value(args, i);
    const QDate d = QDate::fromString(v, Qt::ISODate);
    if (!d.isValid() || v.size() != 10)
        throw BadOption{"bad date for " + option + ": " + v + " (use YYYY-MM-DD)"};
    return DateTime::fromDate(d);
}

int ScopeOptions::NumberValue(const QStringList& args, int& i, int lo, int hi) {
    const QString option = args[i];
    const QString v = Value(args, i);
    bool ok = false;
    const int n = v.toInt(&ok);
    if (!ok || n < lo || n > hi) throw BadOption{"bad value for " + option + ": " + v};
    return n;
}

bool ScopeOptions::Take(const QStringList& args, int& i) {
    const QString& a = args[i];
    if (a == "--help" || a == "-h") {
        help = true;
    } else if (a == "--period") {
        const QString v = Value(args, i);
        auto it = kPeriods.find(v);
        if (it == kPeriods.end())
            throw BadOption{"bad period: " + v +
                            " (this-week, last-week, this-month, last-month, all)"};
        period_ = it->second;
    } else if (a == "--from") {
        from_ = DateValue(args, i);
    } else if (a == "--to") {
        to_ = DateValue(args, i);
    } else if (persons_.Take(args, i)) {
    } else if (a == "--records") {
        const QString v = Value(args, i);
        auto it = kRecords.find(v);
        if (it == kRecords.end()) throw BadOption{"bad records: " + v + " (all, clock, inout)"};
        records = it->second;
    } else if (a == "--per-line") {
        perLine = NumberValue(args, i, 2, 8);
        if (*perLine % 2) throw BadOption{"bad value for --per-line: " + QString::number(*perLine)};
    } else if (a == "--blank-lines") {
        blankLines_ = true;
    } else if (a == "--new-page") {
        newPage = true;
    } else if (a == "--no-new-page") {
        newPage = false;
    } else {
        return false;
    }
    return true;
}

void ScopeOptions::Apply(ReportParameters& p) const {
    if (period_) p.period = *period_;
    if (records) p.records = *records;
    p.blankLines = blankLines_;
    if (from_.has_value() != to_.has_value()) throw BadOption{"--from and --to go together"};
    if (from_) {
        if (period_) throw BadOption{"--period and --from/--to exclude each other"};
        p.period = PeriodChoice::Range;
        p.rangeFrom = *from_;
        p.rangeTo = *to_;
    }
    persons_.ApplyTo(p);
}

QString ScopeOptions::Usage() {
    return "  --period this-week|last-week|this-month|last-month|all   (default this-week)\n"
           "  --from YYYY-MM-DD --to YYYY-MM-DD    a date range instead of --period\n"
           + QString(PersonsOptions::Usage()) +
           "  --records all|clock|inout            records of interest (default all)\n";
}

}  // namespace horalog
