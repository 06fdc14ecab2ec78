#include "people/ui/holder_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "common/ports.h"
#include "common/texts.h"
#include "people/ui/absences_window.h"
#include "storage/ui/layouts.h"

namespace horalog {

void ShowPicture(QLabel* label, const Picture& picture) {
    if (picture.isEmpty()) {
        label->clear();
        return;
    }
    label->setPixmap(QPixmap::fromImage(ToImage(picture))
                         .scaled(label->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

namespace {
// A field that cannot be edited looks so: the window's grey instead of the white of input.
// Tab passes it by, so the dialog opens with the focus on what can be typed.
void LookReadOnly(QLineEdit* field) {
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    QPalette p = field->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    field->setPalette(p);
}
}  // namespace

// ---- Card Information ----

Tnadd::Tnadd(Connection& src, int card, Messages& messages, FileDialogs& files, Progress& progress,
             QWidget* parent)
    : QDialog(parent),
      src_(src),
      messages_(messages),
      files_(files),
      progress_(progress),
      state_(LoadHolderEditor(src, card)) {
    setWindowTitle("Card Information");
    auto* layout = new QHBoxLayout(this);
    auto* fields = new QGridLayout;
    auto* edCard = new QLineEdit(QString::number(card), this);
    edCard->setObjectName("edCard");
    LookReadOnly(edCard);
    edName_ = new QLineEdit(state_.name, this);
    edName_->setObjectName("edName");
    edName_->setMaxLength(kHolderNameMaxLength);
    // The column takes 16 characters: say so as the name reaches them, rather than cut.
    nameCount_ = new QLabel(this);
    nameCount_->setObjectName("lbNameCount");
    auto countName = [this] {
        const int n = int(edName_->text().size());
        nameCount_->setText(n >= kHolderNameMaxLength
                                ? QString("%1/%1, the longest a name can be").arg(n)
                                : QString("%1/%2").arg(n).arg(kHolderNameMaxLength));
        nameCount_->setStyleSheet(n >= kHolderNameMaxLength ? "color: #b00020" : QString());
    };
    connect(edName_, &QLineEdit::textChanged, this, countName);
    countName();
    cbGroup_ = new QComboBox(this);
    cbGroup_->addItems(state_.groups.names);
    cbGroup_->setCurrentIndex(state_.groupIndex);
    memo_ = new QPlainTextEdit(state_.remarks, this);
    fields->addWidget(new QLabel("Card Number", this), 0, 0);
    fields->addWidget(edCard, 0, 1);
    fields->addWidget(new QLabel("Name", this), 1, 0);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(edName_, 1);
    nameRow->addWidget(nameCount_);
    fields->addLayout(nameRow, 1, 1);
    fields->addWidget(new QLabel("Member of", this), 2, 0);
    fields->addWidget(cbGroup_, 2, 1);
    cbProfile_ = new QComboBox(this);
    cbProfile_->setObjectName("cbProfile");
    cbProfile_->addItems(state_.profileNames);
    cbProfile_->setCurrentIndex(state_.profileIndex);
    fields->addWidget(new QLabel("Access schedule", this), 3, 0);
    fields->addWidget(cbProfile_, 3, 1);
    fields->addWidget(new QLabel("Remarks", this), 4, 0, Qt::AlignTop);
    fields->addWidget(memo_, 4, 1);
    auto* doorBox = new QGroupBox("May pass at", this);
    doorBox->setObjectName("gbDoors");
    auto* doorGrid = new QGridLayout(doorBox);
    for (int p = 1; p <= 8; ++p) {
        auto* box = new QCheckBox(state_.doorCaptions[std::size_t(p - 1)], doorBox);
        box->setObjectName(QString("cbCOM%1").arg(p));
        box->setChecked(state_.rights[std::size_t(p - 1)]);
        doorGrid->addWidget(box, (p - 1) % 4, (p - 1) / 4);
        doors_[std::size_t(p - 1)] = box;
    }
    fields->addWidget(doorBox, 5, 0, 1, 2);
    absences_ = new HolderAbsencesBox(src, card, state_.existing.has_value(), messages,
                                      SystemClock()().date(), this);
    fields->addWidget(absences_, 6, 0, 1, 2);
    layout->addLayout(fields, 1);

    auto* right = new QVBoxLayout;
    photo_ = new QLabel(this);
    photo_->setFixedSize(120, 160);
    photo_->setFrameShape(QFrame::Box);
    photo_->setCursor(Qt::PointingHandCursor);
    photo_->installEventFilter(this);
    right->addWidget(photo_);
    auto* bLoad = new QPushButton("Load Photo", this);
    auto* bRotate = new QPushButton("Rotate", this);
    auto* bClear = new QPushButton("Clear", this);
    bConfirm_ = new QPushButton("Confirm", this);
    bConfirm_->setDefault(true);
    bDelete_ = new QPushButton("Delete", this);
    auto* bCancel = new QPushButton("Cancel", this);
    for (auto* b : {bLoad, bRotate, bClear, bConfirm_, bDelete_, bCancel}) right->addWidget(b);
    right->addStretch();
    layout->addLayout(right);

    connect(bLoad, &QPushButton::clicked, this, &Tnadd::loadPhoto);
    connect(bRotate, &QPushButton::clicked, this, &Tnadd::rotatePhoto);
    connect(bClear, &QPushButton::clicked, this, &Tnadd::clearPhoto);
    connect(bConfirm_, &QPushButton::clicked, this, &Tnadd::confirm);
    connect(bDelete_, &QPushButton::clicked, this, &Tnadd::deleteHolder);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowPicture(photo_, state_.picture);
}

bool Tnadd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == photo_ && event->type() == QEvent::MouseButtonRelease) {
        loadPhoto();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tnadd::loadPhoto() {
    if (LoadPictureFile(state_.picture, 0, 0, files_, messages_))
        ShowPicture(photo_, state_.picture);
}

void Tnadd::rotatePhoto() {
    RotatePicture(state_.picture, progress_);
    ShowPicture(photo_, state_.picture);
}

void Tnadd::clearPhoto() {
    ClearPicture(state_.picture);
    ShowPicture(photo_, state_.picture);
}

void Tnadd::takeFields() {
    state_.name = edName_->text();
    state_.groupIndex = cbGroup_->currentIndex();
    state_.profileIndex = cbProfile_->currentIndex();
    state_.remarks = memo_->toPlainText();
    for (int p = 1; p <= 8; ++p) state_.rights[std::size_t(p - 1)] = doorBox(p)->isChecked();
}

void Tnadd::confirm() {
    takeFields();
    const auto check = ConfirmHolderEditor(src_, state_);
    edName_->setText(state_.name);
    ShowPicture(photo_, state_.picture);
    if (!check.ok) {
        edName_->setFocus();
        messages_.error(check.message);
        return;
    }
    accept();
}

void Tnadd::deleteHolder() {
    takeFields();
    if (!RequestHolderDelete(state_, messages_)) return;
    edName_->clear();
    accept();
}

// ---- Card Information List ----

TCardInfo::TCardInfo(Connection& src, Messages& messages, std::function<bool(int)> editHolder,
                     QWidget* parent)
    : QDialog(parent), src_(src), messages_(messages), editHolder_(std::move(editHolder)) {
    setWindowTitle("Card Information List");
    auto* layout = new QVBoxLayout(this);
    box_ = new QGroupBox(this);
    auto* boxLayout = new QHBoxLayout(box_);
    model_ = new HolderListModel(src, this);
    grid_ = new QTableView(box_);
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->setToolTip("Double click to edit the record.");
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    boxLayout->addWidget(grid_, 1);
    preview_ = new QLabel(box_);
    preview_->setFixedSize(120, 160);
    preview_->setFrameShape(QFrame::Box);
    boxLayout->addWidget(preview_, 0, Qt::AlignTop);
    layout->addWidget(box_);

    auto* buttons = new QHBoxLayout;
    auto* bEdit = new QPushButton("Edit", this);
    bEdit->setToolTip("Edit the record.");
    auto* bClose = new QPushButton("Close", this);
    bClose->setToolTip("Return to main program.");
    buttons->addWidget(bEdit);
    buttons->addSpacing(16);
    edNewCard_ = new QLineEdit(this);
    edNewCard_->setObjectName("edNewCard");
    edNewCard_->setPlaceholderText("card number");
    edNewCard_->setMaximumWidth(110);
    auto* bAdd = new QPushButton("Add holder", this);
    bAdd->setToolTip("Enter a holder for a card that has not been read yet.");
    buttons->addWidget(edNewCard_);
    buttons->addWidget(bAdd);
    connect(bAdd, &QPushButton::clicked, this, &TCardInfo::addHolder);
    connect(edNewCard_, &QLineEdit::returnPressed, this, &TCardInfo::addHolder);
    buttons->addStretch();
    buttons->addWidget(bClose);
    layout->addLayout(buttons);

    connect(bEdit, &QPushButton::clicked, this, &TCardInfo::editCurrent);
    connect(grid_, &QTableView::doubleClicked, this, &TCardInfo::editCurrent);
    connect(bClose, &QPushButton::clicked, this, &TCardInfo::closeList);
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        const int card = currentCard();
        model_->sortByColumn(column);
        selectCard(card);
    });
    connect(grid_, &QTableView::clicked, this, &TCardInfo::refreshPreview);

    box_->setTitle(HolderListCaption(model_->rowCount()));
    LoadFormLayout("CardInfoForm", this);
    LoadGridLayout("CardInfoMemberGrid", grid_);
    if (model_->rowCount() > 0) grid_->selectRow(0);
    refreshPreview();
}

bool TCardInfo::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            if (watched == grid_ || watched == grid_->viewport()) {
                const bool handled = QDialog::eventFilter(watched, event);
                refreshPreview();
                return handled;
            }
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

int TCardInfo::currentCard() const {
    const QModelIndex i = grid_->currentIndex();
    if (!i.isValid() || i.row() >= model_->rowCount()) return 0;
    return model_->row(i.row()).cardno;
}

void TCardInfo::selectCard(int card) {
    const int row = model_->rowOfCard(card);
    if (model_->rowCount() > 0) grid_->selectRow(row >= 0 ? row : 0);
    refreshPreview();
}

void TCardInfo::refreshPreview() {
    Picture picture;
    const int card = currentCard();
    if (card != 0 && model_->photoOf(card, picture))
        ShowPicture(preview_, picture);
    else
        preview_->clear();
}

void TCardInfo::editCurrent() {
    if (model_->rowCount() == 0) {
        messages_.error(text::kNoRecord);
        return;
    }
    const int card = currentCard() != 0 ? currentCard() : model_->row(0).cardno;
    if (editHolder_(card)) afterEdit(card);
}

void TCardInfo::addHolder() {
    const auto card = CheckNewHolderCard(src_, edNewCard_->text(), messages_);
    if (!card) {
        edNewCard_->setFocus();
        return;
    }
    if (!editHolder_(*card)) return;
    edNewCard_->clear();
    afterEdit(*card);
}

void TCardInfo::afterEdit(int card) {
    changed_ = true;
    model_->reload();
    box_->setTitle(HolderListCaption(model_->rowCount()));
    selectCard(card);
}

void TCardInfo::closeList() {
    SaveFormLayout("CardInfoForm", this);
    SaveGridLayout("CardInfoMemberGrid", grid_);
    done(changed_ ? QDialog::Accepted : QDialog::Rejected);
}

}  // namespace horalog
