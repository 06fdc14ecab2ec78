#include "reader/ui/reader_dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

#include "common/format.h"
#include "common/ports.h"
#include "reader/reader_ports.h"
#include "storage/ui/layouts.h"

namespace horalog {

namespace {

constexpr int kPictureSize = 16;

QPushButton* Button(const QString& caption, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    return b;
}

void DrawBox(QPainter& p) {
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 12, 12));
}

void DrawCamera(QPainter& p, QPointF at, qreal scale) {
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    p.setPen(QPen(QColor(32, 32, 32), 1));
    p.setBrush(QColor(70, 90, 140));
    p.drawRect(QRectF(0.5, 3.5, 12, 8));  // body
    p.drawRect(QRectF(3.5, 1.5, 4, 2));   // viewfinder
    p.setBrush(QColor(220, 230, 255));
    p.drawEllipse(QPointF(6.5, 7.5), 2.5, 2.5);  // lens
    p.restore();
}

QImage Draw(ReaderCellImage image) {
    QImage out(kPictureSize, kPictureSize, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
        case ReaderCellImage::Check: {
            DrawBox(p);
            p.setPen(QPen(QColor(0, 140, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            QPainterPath tick;
            tick.moveTo(4, 8);
            tick.lineTo(6.5, 11);
            tick.lineTo(12, 4);
            p.drawPath(tick);
            break;
        }
        case ReaderCellImage::Stop: {
            // A red octagon with a white bar: enabled in the table, but the port did not open.
            QPolygonF octagon;
            for (int i = 0; i < 8; ++i) {
                const qreal a = (22.5 + 45.0 * i) * 3.14159265358979 / 180.0;
                octagon << QPointF(8 + 7 * std::cos(a), 8 + 7 * std::sin(a));
            }
            p.setPen(QPen(QColor(120, 0, 0), 1));
            p.setBrush(QColor(210, 0, 0));
            p.drawPolygon(octagon);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4, 7, 8, 2));
            break;
        }
        case ReaderCellImage::Uncheck:
            DrawBox(p);
            break;
        case ReaderCellImage::Disable:
            p.setPen(QPen(QColor(128, 128, 128), 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
            p.drawLine(QPointF(4.2, 11.8), QPointF(11.8, 4.2));
            break;
        case ReaderCellImage::Camera:
            DrawCamera(p, QPointF(1.5, 1.5), 1.0);
            break;
        case ReaderCellImage::MCam:
            DrawCamera(p, QPointF(0, 0), 0.8);
            DrawCamera(p, QPointF(5, 5), 0.8);
            break;
    }
    return out;
}

}  // namespace

QImage ReaderCellPicture(ReaderCellImage image) {
    static const QImage pictures[] = {
        Draw(ReaderCellImage::Check),   Draw(ReaderCellImage::Stop),
        Draw(ReaderCellImage::Uncheck), Draw(ReaderCellImage::Disable),
        Draw(ReaderCellImage::Camera),  Draw(ReaderCellImage::MCam),
    };
    return pictures[int(image)];
}

const char* ReaderCellPictureName(ReaderCellImage image) {
    switch (image) {
        case ReaderCellImage::Check:
            return "BM_CHECK";
        case ReaderCellImage::Stop:
            return "BM_STOP";
        case ReaderCellImage::Uncheck:
            return "BM_UNCHECK";
        case ReaderCellImage::Disable:
            return "BM_DISABLE";
        case ReaderCellImage::Camera:
            return "BM_CAMERA";
        case ReaderCellImage::MCam:
            return "BM_MCAM";
    }
    return "";
}

// ---- the list's grid ----

ReaderListModel::ReaderListModel(Connection& src, const ReaderSetup& setup, QObject* parent)
    : QAbstractTableModel(parent), src_(src), setup_(setup) {
    reload();
}

void ReaderListModel::reload() {
    beginResetModel();
    rows_ = LoadReaderRows(src_);
    names_ = ReaderDescriptions(src_);
    endResetModel();
}

int ReaderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ReaderListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Motion + 1;
}

QVariant ReaderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const ReaderRow& r = rows_[std::size_t(index.row())];
    const bool linkOn = setup_.linkEnabled(r.portno);
    std::optional<ReaderCellImage> image;
    switch (index.column()) {
        case Enable:
            image = BooleanCellImage(r.enable, linkOn);
            break;
        case Apb:
            image = BooleanCellImage(r.apb, linkOn);
            break;
        case Capture:
            image = BooleanCellImage(r.capture, linkOn);
            break;
        case Motion:
            image = MotionCellImage(r.motion);
            break;
        default:
            break;
    }
    if (image) {
        if (role == kReaderImageRole) return int(*image);
        if (role == Qt::DecorationRole) return ReaderCellPicture(*image);
        if (role == Qt::ToolTipRole && !ReaderCellHint(*image).isEmpty())
            return ReaderCellHint(*image);
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case PortNo:
            return PortTitle(r.portno);
        case Desc:
            return r.desc;
        case Mode:
            return ModeName(r.mode);
        case OutPort:
            return ReaderName(r.outport, names_);
        case BpPort:
            return ReaderName(r.bpport, names_);
        case LockTime:
            return QString::number(r.locktime) + " SEC";
        default:
            return {};
    }
}

QVariant ReaderListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == kFieldKindRole) {
        switch (section) {
            case Enable:
            case Apb:
            case Capture:
                return int(FieldKind::Boolean);
            case Desc:
                return int(FieldKind::Text);
            default:
                return int(FieldKind::Other);
        }
    }
    if (role != Qt::DisplayRole) return {};
    static const char* titles[] = {"Reader On",   "Enabled",       "Description",  "Mode",
                                   "Card Action", "Bypass Action", "Release Time", "Anti Passback",
                                   "Capture",     "Motion"};
    return section >= 0 && section <= Motion ? QString(titles[section]) : QString();
}

void ReaderCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    painter->fillRect(opt.rect, selected ? opt.palette.highlight() : opt.palette.base());
    const QPoint at = opt.rect.topLeft() + QPoint(2, 2);
    const QVariant picture = index.data(kReaderImageRole);
    if (picture.isValid()) {
        painter->drawImage(at, ReaderCellPicture(ReaderCellImage(picture.toInt())));
    } else {
        painter->setPen(selected ? opt.palette.highlightedText().color()
                                 : opt.palette.text().color());
        const QRect text = opt.rect.adjusted(2, 2, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop, index.data().toString());
    }
    painter->restore();
}

// ---- the editor ----

Tcommedit::Tcommedit(ReaderSetup& setup, const ReaderEditorState& state,
                     const QStringList& lockChoices, QWidget* parent)
    : QDialog(parent), setup_(setup), port_(state.port) {
    setWindowTitle("RFID Reader");
    auto* layout = new QVBoxLayout(this);

    gbPort_ = new QGroupBox(PortTitle(state.port), this);
    auto* portLayout = new QVBoxLayout(gbPort_);
    auto* options = new QGroupBox("Quorvane's Reader Options", gbPort_);
    auto* optionsLayout = new QVBoxLayout(options);
    cbConnected_ = new QCheckBox("Reader is connected", options);
    cbConnected_->setToolTip(
        "Checked if Quorvane's RFID reader is connected to this communication port.");
    optionsLayout->addWidget(cbConnected_);
    portLayout->addWidget(options);

    auto* form = new QFormLayout;
    edDesc_ = new QLineEdit(gbPort_);
    edDesc_->setToolTip("Add a description to the reader for easy remember.");
    form->addRow("Description of the reader", edDesc_);
    cbMode_ = new QComboBox(gbPort_);
    for (int m = 0; m <= 2; ++m) cbMode_->addItem(ModeName(m));
    cbMode_->setToolTip(
        "Set the mode which will be logged into the database on each card reading.");
    form->addRow("Mode of operation", cbMode_);
    // The operating system's device behind "COM" and the port number.
    edDevice_ = new QLineEdit(gbPort_);
    edDevice_->setObjectName("edDevice");
    edDevice_->setToolTip("The serial device of this port.");
    form->addRow("Serial device", edDevice_);
    portLayout->addLayout(form);

    // The door: without a lock port an IN or OUT reader refuses every card, so these are
    // shown; the mode rule below disables them for a CLOCK reader.
    auto* door = new QGroupBox("Door", gbPort_);
    door->setObjectName("gbDoor");
    auto* doorLayout = new QFormLayout(door);
    cbApb_ = new QCheckBox("Enable Anti Passback", door);
    doorLayout->addRow(cbApb_);
    cbLock_ = new QComboBox(door);
    cbLock_->addItems(lockChoices);
    doorLayout->addRow("Present the authorised card, release lock on", cbLock_);
    cbBypass_ = new QComboBox(door);
    cbBypass_->addItems(lockChoices);
    doorLayout->addRow("Press the bypass switch, release lock on", cbBypass_);
    spRelease_ = new QSpinBox(door);
    spRelease_->setRange(kReleaseTimeMin, kReleaseTimeMax);
    doorLayout->addRow("Lock release time (in second)", spRelease_);
    portLayout->addWidget(door);

    // Carried but not shown: they keep the row's values and follow the same rules.
    auto* hidden = new QWidget(gbPort_);
    auto* hiddenLayout = new QFormLayout(hidden);
    auto* type = new QGroupBox("Reader Type", hidden);
    auto* typeLayout = new QVBoxLayout(type);
    cbType_ = new QComboBox(type);
    cbType_->addItems({"LT series", "PX series"});
    typeLayout->addWidget(cbType_);
    hiddenLayout->addRow(type);
    auto* photo = new QGroupBox("Photo Capture Options", hidden);
    auto* photoLayout = new QVBoxLayout(photo);
    cbCapRead_ = new QCheckBox("Capture on card read", photo);
    cbCapBypass_ = new QCheckBox("Capture on bypass pressed", photo);
    gbShots_ = new QGroupBox("Shot intervals", photo);
    auto* shotsLayout = new QHBoxLayout(gbShots_);
    rbSingle_ = new QRadioButton("Single Shot", gbShots_);
    rbMultiple_ = new QRadioButton("Multiple Shot", gbShots_);
    spSeconds_ = new QSpinBox(gbShots_);
    spSeconds_->setRange(1, kMotionSecondsMax);
    shotsLayout->addWidget(rbSingle_);
    shotsLayout->addWidget(rbMultiple_);
    shotsLayout->addWidget(new QLabel("Every", gbShots_));
    shotsLayout->addWidget(spSeconds_);
    shotsLayout->addWidget(new QLabel("seconds", gbShots_));
    photoLayout->addWidget(cbCapRead_);
    photoLayout->addWidget(cbCapBypass_);
    photoLayout->addWidget(gbShots_);
    hiddenLayout->addRow(photo);
    hidden->hide();
    portLayout->addWidget(hidden);
    layout->addWidget(gbPort_);

    auto* buttons = new QHBoxLayout;
    bConfirm_ = Button("Confirm", "Confirm the settings and exit.", this);
    bCancel_ = Button("Cancel", "Cancel the settings and exit.", this);
    bConfirm_->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(bConfirm_);
    buttons->addWidget(bCancel_);
    layout->addLayout(buttons);

    load(state);

    connect(cbMode_, &QComboBox::currentIndexChanged, this, [this] { applyModeRule(); });
    connect(cbType_, &QComboBox::currentIndexChanged, this, [this] { updateEnabled(); });
    connect(cbCapBypass_, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    connect(rbMultiple_, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    connect(bConfirm_, &QPushButton::clicked, this, &Tcommedit::confirm);
    connect(bCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void Tcommedit::load(const ReaderEditorState& s) {
    cbConnected_->setChecked(s.connected);
    cbLock_->setCurrentIndex(s.lockIndex);
    cbBypass_->setCurrentIndex(s.bypassIndex);
    cbMode_->setCurrentIndex(s.mode);
    edDesc_->setText(s.description);
    spRelease_->setValue(s.releaseTime);
    cbApb_->setChecked(s.apb);
    cbType_->setCurrentIndex(s.model);
    cbCapRead_->setChecked(s.captureOnRead);
    cbCapBypass_->setChecked(s.captureOnBypass);
    (s.multipleShot ? rbMultiple_ : rbSingle_)->setChecked(true);
    spSeconds_->setValue(s.seconds);
    edDevice_->setText(s.devicePath);
    updateEnabled();
}

ReaderEditorState Tcommedit::state() const {
    ReaderEditorState s;
    s.port = port_;
    s.connected = cbConnected_->isChecked();
    s.description = edDesc_->text();
    s.mode = std::max(cbMode_->currentIndex(), 0);
    s.lockIndex = std::max(cbLock_->currentIndex(), 0);
    s.bypassIndex = std::max(cbBypass_->currentIndex(), 0);
    s.releaseTime = spRelease_->value();
    s.apb = cbApb_->isChecked();
    s.model = std::max(cbType_->currentIndex(), 0);
    s.captureOnRead = cbCapRead_->isChecked();
    s.captureOnBypass = cbCapBypass_->isChecked();
    s.multipleShot = rbMultiple_->isChecked();
    s.seconds = spSeconds_->value();
    s.devicePath = edDevice_->text();
    return s;
}

void Tcommedit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    applyModeRule();
}

void Tcommedit::applyModeRule() {
    ReaderEditorState s = state();
    ApplyModeRule(s);
    cbApb_->setChecked(s.apb);
    cbLock_->setCurrentIndex(s.lockIndex);
    cbBypass_->setCurrentIndex(s.bypassIndex);
    updateEnabled();
}

void Tcommedit::updateEnabled() {
    const ReaderEditorEnabled e = EnabledControls(state());
    cbApb_->setEnabled(e.apb);
    cbLock_->setEnabled(e.lockLists);
    cbBypass_->setEnabled(e.lockLists);
    spRelease_->setEnabled(e.releaseTime);
    gbShots_->setEnabled(e.shotIntervals);
    spSeconds_->setEnabled(e.seconds);
}

void Tcommedit::confirm() {
    // The rule holds whether or not the editor was ever shown.
    applyModeRule();
    setup_.confirmEdit(state());
    accept();
}

// ---- the list ----

TSetReader::TSetReader(Connection& src, ReaderLinks& links, Messages& messages, QWidget* parent)
    : QDialog(parent), src_(src), messages_(messages), setup_(src, links) {
    setWindowTitle("Setup");
    auto* layout = new QVBoxLayout(this);
    model_ = new ReaderListModel(src, setup_, this);
    grid_ = new QTableView(this);
    grid_->setModel(model_);
    grid_->setItemDelegate(new ReaderCellDelegate(grid_));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->setToolTip("Double click to edit the pointed record.");
    grid_->setColumnWidth(ReaderListModel::Enable, 46);
    grid_->setColumnWidth(ReaderListModel::Desc, 74);
    grid_->setColumnWidth(ReaderListModel::Mode, 66);
    for (int c = ReaderListModel::OutPort; c <= ReaderListModel::Motion; ++c)
        grid_->setColumnHidden(c, true);
    // the header's menu brings the other columns back
    AllowColumnChoice(grid_);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* popup = new QMenu(grid_);
    QAction* editRecord = popup->addAction("Edit record");
    connect(editRecord, &QAction::triggered, this, &TSetReader::editCurrent);
    connect(grid_, &QWidget::customContextMenuRequested, this, [this, popup](const QPoint& pos) {
        popup->popup(grid_->viewport()->mapToGlobal(pos));
    });
    connect(grid_, &QTableView::doubleClicked, this, [this] { editCurrent(); });
    layout->addWidget(grid_);

    auto* buttons = new QHBoxLayout;
    bEdit_ = Button("Edit", "Edit the current record.", this);
    bConfirm_ = Button("Confirm", "Exit and activite the changes.", this);
    bEnableAll_ = Button("Enable All", QString(), this);
    buttons->addWidget(bEdit_);
    buttons->addWidget(bEnableAll_);
    buttons->addStretch();
    buttons->addWidget(bConfirm_);
    layout->addLayout(buttons);
    connect(bEdit_, &QPushButton::clicked, this, &TSetReader::editCurrent);
    connect(bConfirm_, &QPushButton::clicked, this, &TSetReader::confirmList);
    connect(bEnableAll_, &QPushButton::clicked, this, &TSetReader::enableAll);

    if (model_->rowCount() > 0) grid_->selectRow(0);
    LoadFormLayout("CommSetup", this);
    LoadGridLayout("GridCommSetup", grid_);
    FitColumnsToHeadings(grid_);  // headings stay readable whatever widths were stored
}

TSetReader::~TSetReader() {
    SaveFormLayout("CommSetup", this);
    SaveGridLayout("GridCommSetup", grid_);
}

void TSetReader::editCurrent() {
    const QModelIndex cur = grid_->currentIndex();
    if (!cur.isValid() || cur.row() >= int(model_->rows().size())) return;
    const int port = model_->rows()[std::size_t(cur.row())].portno;
    Tcommedit editor(setup_, setup_.editorFor(port), LockChoices(src_), this);
    editor.exec();
    const int row = cur.row();
    model_->reload();
    grid_->selectRow(row);
}

void TSetReader::confirmList() {
    setup_.confirmList(messages_);
    reject();
}

void TSetReader::enableAll() {
    if (setup_.enableAll()) {
        accept();
        return;
    }
    model_->reload();
}

int RunReadersCommand(Connection& src, ReaderLinks& links, const PortHooks& hooks,
                      Messages& messages, QWidget* parent) {
    TSetReader list(src, links, messages, parent);
    const int result = list.exec();
    ReopenAfterReaderList(result == QDialog::Accepted, list.setup().changed(), links, src, hooks,
                          messages);
    return result;
}

}  // namespace horalog
