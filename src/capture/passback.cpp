#include "capture/passback.h"

namespace horalog {

namespace {

// One statement each, so the state is tested where it is changed: a second station waits for
// the first one's row and then finds the state already moved.
bool MoveState(Connection& src, int card, int mode) {
    auto u = src.prepare("UPDATE apb SET STATE = ? WHERE CARDNO = ? AND STATE <> ?");
    u.bindAll(mode, card, mode);
    u.exec();
    return src.changes() > 0;
}

bool FirstState(Connection& src, int card, int mode) {
    auto i = src.prepare(
        "INSERT INTO apb (CARDNO, STATE) SELECT ?, ? "
        "WHERE NOT EXISTS (SELECT 1 FROM apb WHERE CARDNO = ?)");
    i.bindAll(card, mode, card);
    i.exec();
    return src.changes() > 0;
}

}  // namespace

bool TakePassage(Connection& src, int card, int mode) {
    if (MoveState(src, card, mode)) return true;
    try {
        return FirstState(src, card, mode);
    } catch (const DbError&) {
        // Another station made the holder's first state at the same moment (the card is the
        // key): its state decides, as if it had come first.
        return MoveState(src, card, mode);
    }
}

}  // namespace horalog
