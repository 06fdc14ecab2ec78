#include "people/groups.h"

#include <algorithm>

#include "common/texts.h"
#include "people/holders.h"

namespace horalog {

namespace {

bool Later(DateTime a, DateTime b) {
    return CompareTimeOfDay(a, b) > 0;
}

// start <= t < end, by time of day.
bool LiesIn(DateTime t, const TimePeriod& p) {
    return CompareTimeOfDay(p.from, t) <= 0 && CompareTimeOfDay(t, p.to) < 0;
}

}  // namespace

WorkGroup NewWorkGroup() {
    WorkGroup g;
    g.wd_from_1 = g.sat_from_1 = EncodeTime(9, 0, 0);
    g.wd_to_1 = g.sat_to_1 = EncodeTime(13, 0, 0);
    g.wd_from_2 = g.sat_from_2 = EncodeTime(14, 0, 0);
    g.wd_to_2 = g.sat_to_2 = EncodeTime(17, 0, 0);
    g.ot_min = 15;
    g.ot_multi = 5;
    return g;
}

QString GroupNameInput(const QString& typed) {
    return typed.toUpper();
}

bool SameGroupName(const QString& a, const QString& b) {
    return SameHolderName(a, b);
}

InputCheck<GroupField> ConfirmGroupInput(WorkGroup& group,
                                         const std::function<bool(const QString&)>& groupExists,
                                         Messages& messages) {
    using Check = InputCheck<GroupField>;
    const QString invalid = text::kInvalidInput;
    group.descx = GroupNameInput(group.descx.trimmed());
    if (group.descx.isEmpty() || group.descx.size() > kGroupNameMaxLength)
        return Check::refuse(GroupField::Name, invalid);
    if (groupExists && groupExists(group.descx) && !messages.confirm(text::kConfirmOverwrite))
        return Check::refuse(GroupField::Name, QString());

    if (!Later(group.wd_to_1, group.wd_from_1)) return Check::refuse(GroupField::WdFrom1, invalid);
    if (!Later(group.wd_to_2, group.wd_from_2)) return Check::refuse(GroupField::WdFrom2, invalid);
    // Working days order only the starts: the sessions may overlap.
    if (CompareTimeOfDay(group.wd_from_2, group.wd_from_1) < 0)
        return Check::refuse(GroupField::WdFrom2, invalid);

    if (group.sat_enable_1 && !Later(group.sat_to_1, group.sat_from_1))
        return Check::refuse(GroupField::SatFrom1, invalid);
    if (group.sat_enable_2) {
        if (!group.sat_enable_1) return Check::refuse(GroupField::SatEnable1, invalid);
        if (!Later(group.sat_to_2, group.sat_from_2))
            return Check::refuse(GroupField::SatFrom2, invalid);
        // Saturday's second session begins after the first one ends.
        if (!Later(group.sat_from_2, group.sat_to_1))
            return Check::refuse(GroupField::SatFrom2, invalid);
    }

    if (group.ot_min < 0 || group.ot_min > kOtMinMax)
        return Check::refuse(GroupField::OtMin, invalid);
    if (group.ot_multi < 0 || group.ot_multi > kOtMultiMax)
        return Check::refuse(GroupField::OtMulti, invalid);

    for (DateTime* t : {&group.wd_from_1, &group.wd_to_1, &group.wd_from_2, &group.wd_to_2,
                        &group.sat_from_1, &group.sat_to_1, &group.sat_from_2, &group.sat_to_2})
        *t = t->timePart();
    return Check::accept();
}

QString GroupDeleteRefusal(int groupCount, int groupId) {
    if (groupCount <= 0) return text::kNoDataRecord;
    if (groupId == kDefaultGroupId) return text::kCannotDeleteDefaultGroup;
    return QString();
}

QString GroupDeleteQuestion(qint64 members, const QString& defaultGroupName) {
    if (members < 1) return text::kConfirmDelete;
    const QString who = members == 1 ? QString("1 card holder belongs")
                                     : QString("%1 card holders belong").arg(members);
    return QString("%1 to this group and will move to group %2 \"%3\". %4")
        .arg(who)
        .arg(kDefaultGroupId)
        .arg(defaultGroupName, text::kConfirmDelete);
}

int GroupChoiceIndex(std::span<const int> idsInNameOrder, int groupId) {
    if (groupId == 0) return idsInNameOrder.empty() ? -1 : 0;
    const auto it = std::find(idsInNameOrder.begin(), idsInNameOrder.end(), groupId);
    return it == idsInNameOrder.end() ? -1 : int(it - idsInNameOrder.begin());
}

bool PeriodsOverlap(const TimePeriod& added, const TimePeriod& existing) {
    return LiesIn(added.from, existing) || LiesIn(added.to, existing) ||
           LiesIn(existing.from, added) || LiesIn(existing.to, added);
}

InputCheck<PeriodField> CheckNewPeriod(const TimePeriod& added,
                                       std::span<const TimePeriod> existing) {
    using Check = InputCheck<PeriodField>;
    if (!Later(added.to, added.from)) return Check::refuse(PeriodField::From, text::kWrongTime);
    for (const TimePeriod& p : existing)
        if (PeriodsOverlap(added, p))
            return Check::refuse(PeriodField::From, text::kTimeOverlapped);
    return Check::accept();
}

}  // namespace horalog
