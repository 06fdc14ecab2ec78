#include "maintenance/absence_file.h"

#include <cmath>
#include <map>

#include "common/datetime.h"
#include "maintenance/table_file.h"
#include "people/absences.h"

namespace horalog {

namespace {

// A date as people write it, or a workbook's date cell (a day count since 1899-12-30).
QDate DateOfCell(const QString& text) {
    const QString t = text.trimmed();
    bool number = false;
    const double day = t.toDouble(&number);
    if (number) return day >= 1 && day < 2958466 ? DateTime(std::floor(day)).date() : QDate();
    return t.size() == 10 ? QDate::fromString(t, Qt::ISODate) : QDate();
}

QString Field(const CsvRecord& r, int column) {
    return column >= 0 && column < r.fields.size() ? r.fields[column].trimmed() : QString();
}

}  // namespace

QStringList AbsenceFileColumns() {
    return {"CARDNO", "FROM", "TO", "TYPE", "HALF", "NOTE"};
}

AbsenceImportResult ImportAbsences(Connection& src, const QString& path) {
    AbsenceImportResult result;
    std::vector<CsvRecord> records;
    if (!ReadTableFile(path, records, result.error)) return result;
    auto problem = [&](int line, const QString& why) {
        result.problems << QString("Line %1: %2").arg(line).arg(why);
    };
    if (records.empty()) {
        problem(1, "the file has no header row");
        return result;
    }
    const QStringList known = AbsenceFileColumns();
    std::map<QString, int> column;
    for (int i = 0; i < records.front().fields.size(); ++i) {
        const QString h = records.front().fields[i].trimmed().toUpper();
        if (h.isEmpty()) continue;
        if (!known.contains(h))
            problem(1, "unknown column " + records.front().fields[i].trimmed());
        else if (column.count(h))
            problem(1, "column " + h + " appears twice");
        else
            column[h] = i;
    }
    for (const char* required : {"CARDNO", "FROM", "TYPE"})
        if (!column.count(required)) problem(1, QString("no %1 column").arg(required));
    if (!result.problems.isEmpty()) return result;
    const auto at = [&](const char* name) { return column.count(name) ? column[name] : -1; };

    std::vector<Absence> absences;
    std::vector<int> lines;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const CsvRecord& r = records[i];
        Absence a;
        QStringList why;
        bool ok = false;
        a.cardno = Field(r, at("CARDNO")).toInt(&ok);
        if (!ok || a.cardno < 1 || a.cardno > 16777215)
            why << QString("card number \"%1\" is not a whole number from 1 to 16777215")
                       .arg(Field(r, at("CARDNO")));
        a.from = DateOfCell(Field(r, at("FROM")));
        if (!a.from.isValid())
            why << QString("FROM \"%1\" is not a date YYYY-MM-DD").arg(Field(r, at("FROM")));
        const QString to = Field(r, at("TO"));
        a.to = to.isEmpty() ? a.from : DateOfCell(to);
        if (!to.isEmpty() && !a.to.isValid())
            why << QString("TO \"%1\" is not a date YYYY-MM-DD").arg(to);
        a.type = Field(r, at("TYPE")).toUpper();
        const QString half = Field(r, at("HALF")).toLower();
        if (half == "first")
            a.half = HalfDay::First;
        else if (half == "second")
            a.half = HalfDay::Second;
        else if (!half.isEmpty())
            why << QString("HALF \"%1\" is not first or second").arg(Field(r, at("HALF")));
        a.note = Field(r, at("NOTE"));
        if (!why.isEmpty()) {
            problem(r.line, why.join("; "));
            continue;
        }
        absences.push_back(a);
        lines.push_back(r.line);
    }
    if (!result.problems.isEmpty()) return result;
    try {
        for (const auto& [index, message] : AbsenceStore(src).addAll(absences))
            problem(lines[index], message);
    } catch (const DbError& e) {
        result.error = e.text();
        return result;
    }
    result.ok = result.problems.isEmpty();
    if (result.ok) result.added = int(absences.size());
    return result;
}

QString AbsenceImportSummary(const AbsenceImportResult& r) {
    if (!r.error.isEmpty()) return "The file was not imported: " + r.error;
    if (!r.ok) return (QStringList{"The file was not imported."} + r.problems).join("\n");
    return QString("Added %1 absence(s)").arg(r.added);
}

int ExportAbsences(Connection& src, const QString& path, std::optional<int> cardno,
                   std::optional<QDate> from, std::optional<QDate> to, QString& error) {
    std::vector<QStringList> rows;
    try {
        for (const Absence& a : AbsenceStore(src).absences(cardno, from, to))
            rows.push_back({QString::number(a.cardno), a.from.toString(Qt::ISODate),
                            a.to.toString(Qt::ISODate), a.type,
                            a.half == HalfDay::First    ? "first"
                            : a.half == HalfDay::Second ? "second"
                                                        : "",
                            a.note});
    } catch (const DbError& e) {
        error = e.text();
        return -1;
    }
    if (!WriteTableFile(
            path, "ABSENCES", AbsenceFileColumns(), rows, [](int c) { return c == 0; }, error))
        return -1;
    return int(rows.size());
}

}  // namespace horalog
