#include "stand_alone_reader.h"

#include <QFile>
#include <QStringList>

#include "offline/offline_codec.h"
#include "reader/frames.h"

namespace horalog::readersim {

namespace {

QByteArray Text16(const QString& s) {
    return DisplayLineBytes(s);
}

bool ParseMode(const QString& word, quint8& modeByte) {
    const QString w = word.toLower();
    if (w == "in")
        modeByte = RecordModeByte(1);
    else if (w == "out")
        modeByte = RecordModeByte(2);
    else if (w == "clock")
        modeByte = RecordModeByte(0);
    else
        return false;
    return true;
}

}  // namespace

StandAloneReader::StandAloneReader()
    : line1(Text16("QUORVANE LIMITED")), line2(Text16(" RFID Solutions ")), timetable(24, '\0') {}

int StandAloneReader::StoredCount() const {
    return int(std::min<size_t>(log.size(), 0xFFFF));
}

QByteArray StandAloneReader::ClockAnswer(quint8 id) const {
    if (badClock) return QByteArray(1, char(id)) + char(0x01) + QByteArray(7, '\0');
    QDateTime t = QDateTime::currentDateTime().addSecs(clockOffsetSecs);
    QByteArray d = ClockData(id, DateTime::fromQDateTime(t));
    d[1] = char(0x01);
    return d;
}

QByteArray StandAloneReader::SettingAnswer(quint8 id, quint8 s) const {
    QByteArray d;
    d.append(char(id));
    d.append(char(0x07));
    d.append(char(s));
    switch (ReaderSetting(s)) {
        case ReaderSetting::Line1:
            return d + line1;
        case ReaderSetting::Line2:
            return d + line2;
        case ReaderSetting::Options:
            return d + WordBytes(options);
        case ReaderSetting::Mode:
            return d + char(modeByte);
        case ReaderSetting::Timetable:
            return d + timetable;
        case ReaderSetting::LockTime:
            return d + char(lockTime);
        case ReaderSetting::Pin:
            return d + WordBytes(pin);
        case ReaderSetting::MasterPin:
            return d + WordBytes(masterPin);
    }
    return d;
}

bool StandAloneReader::WriteSetting(quint8 s, const QByteArray& v, QString& note) {
    auto word = [&] { return quint16(quint8(v[0]) | quint8(v[1]) << 8); };
    switch (ReaderSetting(s)) {
        case ReaderSetting::Line1:
        case ReaderSetting::Line2:
            if (v.size() != 16) return false;
            (s == 0 ? line1 : line2) = v;
            note = QString("line%1 \"%2\"").arg(s + 1).arg(QString::fromLatin1(v));
            return true;
        case ReaderSetting::Options:
            if (v.size() != 1) return false;
            options = quint8(v[0]);
            note = QString("options %1").arg(options, 2, 16, QChar('0'));
            return true;
        case ReaderSetting::Mode:
            if (v.size() != 1) return false;
            modeByte = quint8(v[0]);
            note = QString("mode %1").arg(modeByte, 2, 16, QChar('0'));
            return true;
        case ReaderSetting::Timetable:
            if (v.size() != 24) return false;
            timetable = v;
            note = "timetable";
            return true;
        case ReaderSetting::LockTime:
            if (v.size() != 1) return false;
            lockTime = quint8(v[0]);
            note = QString("lock time %1").arg(lockTime);
            return true;
        case ReaderSetting::Pin:
            if (v.size() != 2) return false;
            pin = word();
            note = QString("pin %1").arg(pin);
            return true;
        case ReaderSetting::MasterPin:
            if (v.size() != 2) return false;
            masterPin = word();
            note = QString("master pin %1").arg(masterPin);
            return true;
    }
    return false;
}

QByteArray StandAloneReader::AnswerPacket(const QByteArray& data, QString& note) {
    if (data.size() < 2) return data;
    const quint8 id = quint8(data[0]);
    const quint8 cmd = quint8(data[1]);
    auto word = [&](int i) {
        return i + 1 < data.size() ? quint16(quint8(data[i]) | quint8(data[i + 1]) << 8) : 0;
    };
    const QByteArray ack = data.left(data.size() >= 3 && cmd != offline_cmd::kWriteClock &&
                                             cmd != offline_cmd::kWriteSetting
                                         ? 3
                                         : 2);
    if (id == 0 && cmd == 0 && data.size() == 3) {
        // Lock state: 00 00 01 / 00 00 00.
        note = data[2] ? "locked" : "unlocked";
        return data.left(2);
    }
    switch (cmd) {
        case offline_cmd::kReadClock:
            return ClockAnswer(id);
        case offline_cmd::kWriteClock: {
            if (data.size() != 9) return ack;
            auto bcd = [&](int i) { return FromBcd(quint8(data[i])); };
            QDateTime t(QDate(2000 + bcd(8), bcd(7), bcd(6)), QTime(bcd(4), bcd(3), bcd(2)));
            if (t.isValid()) clockOffsetSecs = QDateTime::currentDateTime().secsTo(t);
            badClock = false;
            return ack;
        }
        case offline_cmd::kGetCapacity: {
            if (data.size() < 3) return ack;
            int count =
                quint8(data[2]) == offline_cmd::kAccessTable ? int(access.size()) : StoredCount();
            if (quint8(data[2]) == offline_cmd::kLogTable && capacityFlaky &&
                ++capacityCalls % 2 == 0)
                count = std::min(count + 1, 0xFFFF);
            note = QString("capacity %1, %2 records").arg(capacity).arg(count);
            return data.left(3) + WordBytes(capacity) + WordBytes(quint16(count));
        }
        case offline_cmd::kReadRecord: {
            if (data.size() < 5) return ack;
            const int n = word(3);
            QByteArray d = data.left(5);
            if (quint8(data[2]) == offline_cmd::kAccessTable) {
                const SimAccessEntry e =
                    n < int(access.size()) ? access[size_t(n)] : SimAccessEntry{};
                d.append(char(e.used ? e.flag : 0xFF));
                d.append(CardBytes(e.used ? e.card : 0xFFFFFF));
                d.append(QByteArray(2, char(0xFF)));
                d.append(e.used ? e.name : QByteArray(16, char(0xFF)));
                return d;
            }
            SimRecord r = n < int(log.size()) ? log[size_t(n)] : SimRecord{0, 0, 0};
            d.append(char(r.modeByte));
            d.append(CardBytes(r.card));
            for (int k = 0; k < 4; ++k) d.append(char(quint32(r.stamp) >> (8 * k)));
            return d;
        }
        case offline_cmd::kClearTable:
            if (data.size() >= 3 && quint8(data[2]) == offline_cmd::kAccessTable) {
                access.clear();
                note = "access table cleared";
            } else {
                note = QString("log cleared (%1 records)").arg(log.size());
                log.clear();
            }
            return data.left(3);
        case offline_cmd::kReadSetting:
            if (data.size() < 3) return ack;
            return SettingAnswer(id, quint8(data[2]));
        case offline_cmd::kWriteSetting:
            if (data.size() < 3 || !WriteSetting(quint8(data[2]), data.mid(3), note))
                note = "bad setting";
            return data.left(3);
        case offline_cmd::kWritePage:
            pendingPage = word(3);
            note = QString("page %1 follows").arg(pendingPage);
            return data.left(3);
        default:
            return ack;
    }
}

QByteArray StandAloneReader::AnswerPage(const QByteArray& page, QString& note) {
    if (pendingPage < 0) {
        note = "page without header";
        return QByteArray();
    }
    int used = 0;
    for (int slot = 0; slot < kPageRecords; ++slot) {
        const QByteArray r = page.mid(slot * kPageRecordBytes, kPageRecordBytes);
        SimAccessEntry e;
        e.flag = quint8(r[0]);
        e.card = quint32(quint8(r[1])) << 16 | quint32(quint8(r[2])) << 8 | quint8(r[3]);
        e.used = !(e.card == 0xFFFFFF && e.flag == 0xFF);
        e.name = r.mid(6, 16);
        used += e.used;
        const size_t at = size_t(pendingPage) * kPageRecords + size_t(slot);
        if (access.size() <= at) access.resize(at + 1);
        access[at] = e;
    }
    // Empty slots at the end are no entries.
    while (!access.empty() && !access.back().used) access.pop_back();
    note = QString("page %1: %2 holders").arg(pendingPage).arg(used);
    pendingPage = -1;
    return QByteArray();
}

char StandAloneReader::AnswerClearAccess() {
    access.clear();
    return 'G';
}

char StandAloneReader::AnswerAddCard(quint32 card) {
    if (refuseAdd) return 'B';
    SimAccessEntry e;
    e.used = true;
    e.flag = 1;
    e.card = card;
    e.name = QByteArray(16, ' ');
    access.push_back(e);
    return 'G';
}

void StandAloneReader::Generate(int n, const QDateTime& start, int stepSecs) {
    log.reserve(log.size() + size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        const QDateTime t = start.addSecs(qint64(i) * stepSecs);
        SimRecord r;
        r.modeByte = RecordModeByte(i % 3);
        r.card = quint32(1000 + i % 997);
        r.stamp = EncodeStamp(t.date().year(), t.date().month(), t.date().day(), t.time().hour(),
                              t.time().minute(), t.time().second());
        log.push_back(r);
    }
}

bool StandAloneReader::AddRecord(const QString& line, QString& error) {
    const QStringList w = line.simplified().split(' ', Qt::SkipEmptyParts);
    if (w.isEmpty() || w[0].startsWith('#')) return true;
    SimRecord r;
    bool ok = w.size() >= 2 && w.size() <= 3;
    const qlonglong card = ok ? w[1].toLongLong(&ok) : 0;
    ok = ok && card >= 0 && card <= 0xFFFFFF;
    if (ok && w.size() == 3) ok = ParseMode(w[2], r.modeByte);
    if (ok && w[0].toLower() != "invalid") {
        const QDateTime t = QDateTime::fromString(w[0], Qt::ISODate);
        ok = t.isValid();
        if (ok)
            r.stamp = EncodeStamp(t.date().year(), t.date().month(), t.date().day(),
                                  t.time().hour(), t.time().minute(), t.time().second());
    }
    if (!ok) {
        error = "bad record: " + line;
        return false;
    }
    r.card = quint32(card);
    log.push_back(r);
    return true;
}

bool StandAloneReader::Load(const QString& path, QString& error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = "cannot read " + path;
        return false;
    }
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!AddRecord(QString::fromUtf8(line), error)) return false;
    return true;
}

QString StandAloneReader::Describe() const {
    QStringList tt;
    for (int k = 0; k < kTimetableEntries; ++k)
        tt << QString("%1@%2:%3")
                  .arg(quint8(timetable[3 * k]))
                  .arg(FromBcd(quint8(timetable[3 * k + 1])), 2, 10, QChar('0'))
                  .arg(FromBcd(quint8(timetable[3 * k + 2])), 2, 10, QChar('0'));
    return QString(
               "state records %1 line1 \"%2\" line2 \"%3\" pin %4 master %5 options %6 "
               "locktime %7 mode %8 timetable %9 access %10")
        .arg(log.size())
        .arg(QString::fromLatin1(line1), QString::fromLatin1(line2))
        .arg(pin)
        .arg(masterPin)
        .arg(options, 2, 16, QChar('0'))
        .arg(lockTime)
        .arg(modeByte, 2, 16, QChar('0'))
        .arg(tt.join(','))
        .arg(access.size());
}

}  // namespace horalog::readersim
