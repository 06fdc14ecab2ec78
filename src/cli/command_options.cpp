#include "cli/command_options.h"

namespace horalog {

QString OptionValue(const QStringList& args, int& i) {
    if (i + 1 >= args.size()) throw BadOption{args[i] + " needs a value"};
    return args[++i];
}

bool PersonsOptions::Take(const QStringList& args, int& i) {
    const QString& a = args[i];
    if (a == "--persons") {
        persons_ = OptionValue(args, i);
        if (*persons_ != "all" && *persons_ != "group" && *persons_ != "list")
            throw BadOption{"bad persons: " + *persons_ + " (all, group, list)"};
        return true;
    }
    if (a == "--group") {
        group_ = OptionValue(args, i);
        return true;
    }
    return false;
}

void PersonsOptions::ApplyTo(ReportParameters& p) const {
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

}  // namespace horalog
