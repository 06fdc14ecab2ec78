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

DateTime DateValue(const QString& option, const QString& value) {
    const QDate d = QDate::fromString(value, Qt::ISODate);
    if (!d.isValid() || value.size() != 10)
        throw BadOption{"bad date for " + option + ": " + value + " (use YYYY-MM-DD)", value};
    return DateTime::fromDate(d);
}

int NumberValue(const QString& option, const QString& value, int lo, int hi) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < lo || n > hi) throw BadOption{"bad value for " + option + ": " + value, value};
    return n;
}

void PersonsOptions::Add(CLI::App& app) {
    AddText(app, "--persons", persons_);
    AddText(app, "--group", group_);
}

void PersonsOptions::ApplyTo(ReportParameters& p) const {
    if (persons_ && *persons_ != "all" && *persons_ != "group" && *persons_ != "list")
        throw BadOption{"bad persons: " + *persons_ + " (all, group, list)", *persons_};
    if (group_) {
        if (persons_ && *persons_ != "group") throw BadOption{"--group goes with --persons group"};
        p.persons = PersonsChoice::Group;
        p.groupName = *group_;
    } else if (persons_ == "group") {
        throw BadOption{"--persons group needs --group NAME"};
    } else if (persons_ == "list") {
        p.persons = PersonsChoice::List;
    }
}

const char* PersonsOptions::Usage() {
    return "  --persons all|group|list             list: the holders of the pick list\n"
           "  --group NAME                         the holders of one work group\n";
}

void ScopeOptions::Add(CLI::App& app) {
    AddText(app, "--period", period_);
    AddText(app, "--from", from_);
    AddText(app, "--to", to_);
    AddText(app, "--month", month_);
    persons_.Add(app);
    AddText(app, "--records", records_);
    AddText(app, "--per-line", perLine_);
    app.add_flag("--blank-lines", blankLines_);
    AddSwitch(app, "--new-page", newPage, std::optional<bool>(true));
    AddSwitch(app, "--no-new-page", newPage, std::optional<bool>(false));
}

std::optional<int> ScopeOptions::perLine() const {
    if (!perLine_) return std::nullopt;
    const int n = NumberValue("--per-line", *perLine_, 2, 8);
    if (n % 2) throw BadOption{"bad value for --per-line: " + *perLine_, *perLine_};
    return n;
}

std::optional<RecordsOfInterest> ScopeOptions::records() const {
    if (!records_) return std::nullopt;
    auto it = kRecords.find(*records_);
    if (it == kRecords.end())
        throw BadOption{"bad records: " + *records_ + " (all, clock, inout)", *records_};
    return it->second;
}

void ScopeOptions::Apply(ReportParameters& p) const {
    if (period_) {
        auto it = kPeriods.find(*period_);
        if (it == kPeriods.end())
            throw BadOption{
                "bad period: " + *period_ + " (this-week, last-week, this-month, last-month, all)",
                *period_};
        p.period = it->second;
    }
    std::optional<DateTime> from, to;
    if (from_) from = DateValue("--from", *from_);
    if (to_) to = DateValue("--to", *to_);
    if (const auto r = records()) p.records = *r;
    perLine();
    p.blankLines = blankLines_;
    if (from.has_value() != to.has_value()) throw BadOption{"--from and --to go together"};
    if (from) {
        if (period_) throw BadOption{"--period and --from/--to exclude each other"};
        p.period = PeriodChoice::Range;
        p.rangeFrom = *from;
        p.rangeTo = *to;
    }
    if (month_) {
        const QDate first = QDate::fromString(*month_ + "-01", Qt::ISODate);
        if (!first.isValid() || month_->size() != 7)
            throw BadOption{"bad month: " + *month_ + " (use YYYY-MM)", *month_};
        if (period_ || from)
            throw BadOption{"--month, --period and --from/--to exclude each other"};
        p.period = PeriodChoice::Range;
        p.rangeFrom = DateTime::fromDate(first);
        p.rangeTo = DateTime::fromDate(first.addMonths(1).addDays(-1));
    }
    persons_.ApplyTo(p);
}

QString ScopeOptions::Usage() {
    return "  --period this-week|last-week|this-month|last-month|all   (default this-week)\n"
           "  --from YYYY-MM-DD --to YYYY-MM-DD    a date range instead of --period\n"
           "  --month YYYY-MM                      a calendar month instead of --period\n" +
           QString(PersonsOptions::Usage()) +
           "  --records all|clock|inout            records of interest (default all)\n";
}

}  // namespace horalog
