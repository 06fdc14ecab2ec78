#pragma once
// The reader's own state when it works stand-alone: clock, log, display lines, PINs, options,
// lock time, timetable, mode byte and (as a PX900) an access table. Answers the offline
// commands with the bytes at the positions the PC reads.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

namespace horalog::readersim {

struct SimRecord {
    quint8 modeByte = 0x80;
    quint32 card = 0;
    qint32 stamp = 0;  // 0: a record whose stamp is no date (invalid)
};

struct SimAccessEntry {
    bool used = false;
    quint8 flag = 0;
    quint32 card = 0;
    QByteArray name;  // 16 bytes
};

class StandAloneReader {
public:
    StandAloneReader();

    // Answer data of a packet command (framed by the caller), empty for none; note: a short
    // description of what the reader did, or empty.
    QByteArray AnswerPacket(const QByteArray& data, QString& note);
    // A raw 264-byte page: lands at the page announced by the last 0x09 header.
    QByteArray AnswerPage(const QByteArray& page, QString& note);
    // Tilde commands of the access table: the answer character, 0 for none.
    char AnswerCheck() const { return model; }
    char AnswerClearAccess();
    char AnswerAddCard(quint32 card);

    // The log: n generated records from start, one every stepSecs seconds, cards and modes
    // cycling; or read from a file of lines "2004-06-26T18:24:06 CARD MODE" or
    // "invalid CARD [MODE]" (MODE in, out, clock).
    void Generate(int n, const QDateTime& start, int stepSecs);
    bool AddRecord(const QString& line, QString& error);
    bool Load(const QString& path, QString& error);
    int StoredCount() const;  // what the capacity answer announces (16 bits)

    // One line of the whole state, for the operator.
    QString Describe() const;

    // State
    qint64 clockOffsetSecs = 0;  // reader clock = PC clock + offset
    bool badClock = false;       // answer clock fields that are no date
    std::vector<SimRecord> log;
    quint16 capacity = 0xFFFF;
    QByteArray line1, line2;  // 16 bytes each
    quint16 pin = 0;
    quint16 masterPin = 0;
    quint8 options = 0;
    quint8 lockTime = 1;
    quint8 modeByte = 0x80;
    QByteArray timetable;  // 24 bytes
    std::vector<SimAccessEntry> access;
    int pendingPage = -1;
    char model = '0';  // answer to "~@": '0' PX900, '1' RB01, '2' RB02, 0 none

    // Faults
    bool capacityFlaky = false;  // every second capacity answer announces one record more
    bool refuseAdd = false;      // "B" to every card of the access table
    int capacityCalls = 0;

private:
    QByteArray ClockAnswer(quint8 id) const;
    QByteArray SettingAnswer(quint8 id, quint8 s) const;
    bool WriteSetting(quint8 s, const QByteArray& value, QString& note);
};

}  // namespace horalog::readersim
