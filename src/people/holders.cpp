#include "people/holders.h"

namespace horalog {

bool SameHolderName(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool HolderNameBeginsWith(const QString& name, const QString& prefix) {
    return name.startsWith(prefix, Qt::CaseInsensitive);
}

QString HolderNameKey(const QString& name) {
    return name.toCaseFolded();
}

bool IsHolderCard(qint64 card) {
    return card >= kMinHolderCard && card <= kMaxHolderCard;
}

InputCheck<HolderField> ConfirmHolder(QString& name, Picture& picture, bool existingHolder,
                                      const std::function<bool(const QString&)>& nameTaken) {
    using Check = InputCheck<HolderField>;
    name = name.trimmed();
    if (name.isEmpty() || name.size() > kHolderNameMaxLength)
        return Check::refuse(HolderField::Name, text::kIncorrectName);
    ResamplePicture(picture, kPhotoWidth, kPhotoHeight);
    if (existingHolder) return Check::accept();
    if (nameTaken && nameTaken(name)) return Check::refuse(HolderField::Name, text::kNameUsed);
    return Check::accept();
}

HolderSave HolderSaveAction(const QString& name, bool cardHasHolder, bool nameHasHolder) {
    if (name.isEmpty()) return cardHasHolder ? HolderSave::Delete : HolderSave::Nothing;
    if (cardHasHolder) return HolderSave::Edit;
    if (nameHasHolder) return HolderSave::RefuseDuplicate;
    return HolderSave::Append;
}

Holder HolderFromEditor(const Holder* existing, int card, const QString& name, int workgrp,
                        const QString& remarksText, const QByteArray& photo) {
    Holder h = existing ? *existing : Holder{};
    h.cardno = card;
    h.name = name;
    h.workgrp = workgrp;
    h.memo = MemoFromText(remarksText);
    h.photo = photo;
    return h;
}

QString MemoFromText(const QString& boxText) {
    if (boxText.isEmpty()) return QString();
    QString text = boxText;
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    QStringList lines = text.split('\n');
    // A box that ends with a line break has no empty last line.
    if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
    return lines.join("\r\n") + "\r\n";
}

QString TextFromMemo(const QString& memo) {
    QString text = memo;
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    if (text.endsWith('\n')) text.chop(1);
    return text;
}

}  // namespace horalog
