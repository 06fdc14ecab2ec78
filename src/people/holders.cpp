#include "people/holders.h"

namespace horalog {

QString AsciiCaseFolded(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return out;
}

bool SameHolderName(const QString& a, const QString& b) {
    return a.size() == b.size() && AsciiCaseFolded(a) == AsciiCaseFolded(b);
}

bool HolderNameBeginsWith(const QString& name, const QString& prefix) {
    return name.size() >= prefix.size() &&
           AsciiCaseFolded(name.left(prefix.size())) == AsciiCaseFolded(prefix);
}

QString HolderNameKey(const QString& name) {
    return AsciiCaseFolded(name);
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
    if (nameHasHolder) return HolderSave::RefuseDuplicate;
    return cardHasHolder ? HolderSave::Edit : HolderSave::Append;
}

HolderRecord HolderFromEditor(const HolderRecord* existing, int card, const QString& name,
                              int workgrp, const QString& remarksText, const QByteArray& photo) {
    HolderRecord h;
    if (existing) {
        h = *existing;
    } else {
        h.timegrp = h.accessgrp = 0;
        h.offline = h.picked = false;
        h.com.fill(false);
    }
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
