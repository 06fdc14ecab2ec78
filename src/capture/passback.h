#pragma once
// Anti-passback: a holder who passed IN must pass OUT before passing IN again, and back. The
// test of the holder's passage state and its change are one step on the database, so two
// doors served by two stations can never both admit the same IN.

#include "storage/database.h"

namespace horalog {

// Moves the holder's passage state to mode when it is not there already and answers whether
// it moved (the holder may pass). A holder without a state passes and gets one. Throws
// DbError when the database cannot answer.
bool TakePassage(Connection& src, int card, int mode);

}  // namespace horalog
