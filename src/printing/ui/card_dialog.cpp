#include "printing/ui/card_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "people/ui/holder_dialogs.h"
#include "attendance/ui/persons_box.h"

namespace horalog {

namespace {

// The small drawing beside a style button: the card's outline, its photo and value lines.
QPixmap StyleDrawing(CardStyle style) {
    const bool h = style == CardStyle::Horizontal;
    const QSize size = h ? QSize(51, 33) : QSize(33, 51);
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    p.fillRect(h ? QRect(3, 11, 13, 18) : QRect(11, 7, 12, 17), Qt::gray);
    for (int i = 0; i < (h ? 5 : 6); ++i) {
        const int y = h ? 11 + i * 4 : 28 + i * 4;
        p.drawLine(h ? 27 : 10, y, size.width() - 4, y);
    }
    return pixmap;
}

QPushButton* Button(const QString& text, QWidget* parent, const QString& hint = {}) {
    auto* b = new QPushButton(text, parent);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}

}  // namespace

TDlgPersons::TDlgPersons(Connection& src, Messages& messages, FileDialogs& files,
                         Progress& progress, QWidget* parent)
    : QDialog(parent), messages_(messages), files_(files), progress_(progress) {
    setWindowTitle("Print Member Card");
    persons_ = new TPersonsBox(src, this);

    // "Card Background"
    auto* backBox = new QGroupBox("Card Background", this);
    backView_ = new QLabel(backBox);
    backView_->setFrameShape(QFrame::Box);
    bLoadBack_ = Button("Load Image", backBox, "Load a bitmap as card background.");
    auto* bClearBack = Button("Clear", backBox);
    auto* bRotateBack = Button("Rotate", backBox);
    cbFrame_ = new QCheckBox("Print Frame", backBox);
    auto* backButtons = new QVBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{bLoadBack_, bClearBack, bRotateBack, cbFrame_})
        backButtons->addWidget(w);
    backButtons->addStretch();
    auto* backLayout = new QHBoxLayout(backBox);
    backLayout->addWidget(backView_, 0, Qt::AlignTop);
    backLayout->addLayout(backButtons);

    // "Card Logo"
    auto* logoBox = new QGroupBox("Card Logo", this);
    logoView_ = new QLabel(logoBox);
    logoView_->setFrameShape(QFrame::Box);
    logoView_->setFixedSize(64, 64);
    bLoadLogo_ = Button("Load Logo", logoBox, "Load a bitmap as card logo.");
    auto* bClearLogo = Button("Clear", logoBox);
    auto* bRotateLogo = Button("Rotate", logoBox);
    cbLogo_ = new QCheckBox("Print Logo", logoBox);
    auto* logoButtons = new QVBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{bLoadLogo_, bClearLogo, bRotateLogo, cbLogo_})
        logoButtons->addWidget(w);
    logoButtons->addStretch();
    auto* logoLayout = new QHBoxLayout(logoBox);
    logoLayout->addWidget(logoView_, 0, Qt::AlignTop);
    logoLayout->addLayout(logoButtons);

    // "Options"
    auto* optionsBox = new QGroupBox("Options", this);
    auto* options = new QGridLayout(optionsBox);
    cbTitle_ = new QCheckBox("Title Line", optionsBox);
    edTitle_ = new QLineEdit(optionsBox);
    options->addWidget(cbTitle_, 0, 0);
    options->addWidget(edTitle_, 0, 1);
    for (int k = 0; k < 4; ++k) {
        cbRemark_[k] = new QCheckBox(QString("Remark Line %1").arg(k + 1), optionsBox);
        edRemark_[k] = new QLineEdit(optionsBox);
        options->addWidget(cbRemark_[k], k + 1, 0);
        options->addWidget(edRemark_[k], k + 1, 1);
    }
    cbTransparent_ = new QCheckBox("Transparent Background", optionsBox);
    cbPreview_ = new QCheckBox("Print Preview", optionsBox);
    options->addWidget(cbTransparent_, 5, 0, 1, 2);
    options->addWidget(cbPreview_, 6, 0, 1, 2);

    // "Style"
    auto* styleBox = new QGroupBox("Style", this);
    auto* style = new QHBoxLayout(styleBox);
    rbHorizontal_ = new QRadioButton(styleBox);
    rbVertical_ = new QRadioButton(styleBox);
    auto* styles = new QButtonGroup(this);
    styles->addButton(rbHorizontal_);
    styles->addButton(rbVertical_);
    for (int i = 0; i < 2; ++i) {
        auto* drawing = new QLabel(styleBox);
        drawing->setPixmap(StyleDrawing(i == 0 ? CardStyle::Horizontal : CardStyle::Vertical));
        style->addWidget(i == 0 ? rbHorizontal_ : rbVertical_);
        style->addWidget(drawing);
        style->addSpacing(24);
    }
    style->addStretch();

    bConfirm_ = Button("Confirm", this);
    bCancel_ = Button("Cancel", this);
    bSave_ = Button("Save", this);
    bConfirm_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {bConfirm_, bCancel_, bSave_}) buttons->addWidget(b);

    auto* left = new QVBoxLayout;
    left->addWidget(persons_);
    left->addWidget(backBox);
    left->addWidget(logoBox);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(optionsBox);
    right->addWidget(styleBox);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* top = new QVBoxLayout(this);
    top->addLayout(columns);
    top->addLayout(buttons);

    connect(bLoadBack_, &QPushButton::clicked, this, [this] {
        if (LoadPictureFile(layout_.background, 0, 0, files_, messages_)) showPictures();
    });
    connect(bClearBack, &QPushButton::clicked, this, [this] {
        ClearPicture(layout_.background);
        showPictures();
    });
    connect(bRotateBack, &QPushButton::clicked, this, [this] {
        RotatePicture(layout_.background, progress_);
        showPictures();
    });
    connect(bLoadLogo_, &QPushButton::clicked, this, [this] {
        if (LoadPictureFile(layout_.logo, 0, 0, files_, messages_)) showPictures();
    });
    connect(bClearLogo, &QPushButton::clicked, this, [this] {
        ClearPicture(layout_.logo);
        showPictures();
    });
    connect(bRotateLogo, &QPushButton::clicked, this, [this] {
        RotatePicture(layout_.logo, progress_);
        showPictures();
    });
    connect(rbHorizontal_, &QRadioButton::clicked, this,
            [this] { applyStyle(CardStyle::Horizontal); });
    connect(rbVertical_, &QRadioButton::clicked, this, [this] { applyStyle(CardStyle::Vertical); });
    connect(bConfirm_, &QPushButton::clicked, this, &QDialog::accept);
    connect(bCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(bSave_, &QPushButton::clicked, this, &TDlgPersons::save);

    layout_.Load();
    showOptions(layout_.options);
    (layout_.options.style == CardStyle::Horizontal ? rbHorizontal_ : rbVertical_)
        ->setChecked(true);
    applyStyle(layout_.options.style);
}

void TDlgPersons::showOptions(const CardOptions& o) {
    cbFrame_->setChecked(o.frame);
    cbLogo_->setChecked(o.logo);
    cbTitle_->setChecked(o.title);
    edTitle_->setText(o.titleText);
    for (int k = 0; k < 4; ++k) {
        cbRemark_[k]->setChecked(o.remark[k]);
        edRemark_[k]->setText(o.remarkText[k]);
    }
    cbTransparent_->setChecked(o.transparent);
    cbPreview_->setChecked(o.preview);
}

CardLayout TDlgPersons::layout() const {
    CardLayout l = layout_;
    CardOptions& o = l.options;
    o.style = rbHorizontal_->isChecked() ? CardStyle::Horizontal : CardStyle::Vertical;
    o.frame = cbFrame_->isChecked();
    o.logo = cbLogo_->isChecked();
    o.title = cbTitle_->isChecked();
    o.titleText = edTitle_->text();
    for (int k = 0; k < 4; ++k) {
        o.remark[k] = cbRemark_[k]->isChecked();
        o.remarkText[k] = edRemark_[k]->text();
    }
    o.transparent = cbTransparent_->isChecked();
    o.preview = cbPreview_->isChecked();
    return l;
}

void TDlgPersons::applyStyle(CardStyle style) {
    layout_.SetStyle(style);
    const int w = BackgroundPreviewWidth(style);
    const CardGeometry& g = CardGeometryOf(style);
    backView_->setFixedSize(w, int(w * g.height / g.width + 0.5));
    showPictures();
}

void TDlgPersons::showPictures() {
    ShowPicture(backView_, layout_.background);
    ShowPicture(logoView_, layout_.logo);
}

void TDlgPersons::save() {
    layout().Save(messages_);
}

}  // namespace horalog
