#pragma once
// The answer of an input check behind a dialog's Confirm or Add: accepted, or the field that
// gets the keyboard focus and the error to show after moving it there.

#include <QString>

namespace horalog {

template <typename Field>
struct InputCheck {
    bool ok = true;
    Field focus{};
    QString message;  // shown as an error box; empty: refused without a message

    static InputCheck accept() { return {}; }
    static InputCheck refuse(Field field, const QString& text) { return {false, field, text}; }
    friend bool operator==(const InputCheck&, const InputCheck&) = default;
};

}  // namespace horalog
