#include "shell/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QVBoxLayout>

#include "common/format.h"
#include "common/paths.h"
#include "common/ports.h"
#include "common/texts.h"
#include "people/holders.h"
#include "people/ui/password_dialogs.h"
#include "shell/clock_face.h"
#include "shell/live_log_model.h"
#include "shell/menu_table.h"
#include "shell/ui/about_box.h"
#include "shell/ui/clock_face_widget.h"
#include "storage/audit.h"
#include "storage/log_table.h"
#include "storage/settings.h"
#include "storage/store.h"
#include "storage/ui/layouts.h"

namespace horalog {

namespace {

constexpr const char* kTitle = "Horalog";
constexpr const char* kFormPrefix = "MainForm";
constexpr QSize kFirstStartSize(960, 680);
constexpr const char* kGridPrefix = "InfoGrid";

// A column's width on first start: its title and the widest text it shows, in the grid's own
// font, so no font or locale cuts a date or a name. The last shown column (the reader)
// stretches to the window's width.
int ColumnWidthFor(int column, const QTableView& grid) {
    const QFontMetrics cell = grid.fontMetrics();
    const QHeaderView& header = *grid.horizontalHeader();
    const QFontMetrics title = header.fontMetrics();
    QStringList samples;
    switch (column) {
        case LiveLogModel::ColTime:
            // Every month and weekday name, at the widest hours of both halves of the day.
            for (int month = 1; month <= 12; ++month)
                for (int day = 22; day <= 28; ++day)
                    for (int hour : {0, 12})
                        samples << LiveLogModel::timeText(
                            EncodeDateTime(2026, month, day, hour, 58, 58));
            break;
        case LiveLogModel::ColCard:
            samples << "[16777215]";
            samples << QString(kHolderNameMaxLength, 'n') + ", DEFAULT";
            break;
        case LiveLogModel::ColMode:
            for (int mode : {0, 1, 2, 5}) samples << ModeName(mode);
            break;
        default:
            samples << "COM8"
                    << "ERROR";
            break;
    }
    int width = 0;
    for (const QString& s : samples) width = std::max(width, cell.horizontalAdvance(s));
    width += 2 + 8;  // text starts 2 pixels in; room on the right before the next column
    const QString caption = grid.model()->headerData(column, Qt::Horizontal).toString();
    const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    return std::max(width, title.horizontalAdvance(caption) + 2 * margin + 8);
}

// Cell text 2 pixels right of and below the cell's top left corner.
class LiveLogDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        QStyle* style = o.widget ? o.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
        p->save();
        p->setPen(o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                   : QPalette::Text));
        p->setFont(o.font);
        p->drawText(o.rect.adjusted(2, 2, -1, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    text);
        p->restore();
    }
};

// The notification icon's images: a small clock face whose hand goes round.
QList<QIcon> trayImages() {
    QList<QIcon> images;
    for (int quarter = 0; quarter < 4; ++quarter) {
        QPixmap pm(32, 32);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 0, 128), 2));
        p.setBrush(Qt::white);
        p.drawEllipse(QRect(2, 2, 28, 28));
        const ClockFace f = ClockFaceGeometry(QSize(32, 32), QTime(0, 0, quarter * 15));
        p.setPen(QPen(Qt::red, 2));
        p.drawLine(f.centre, ClockPoint(f.centre, 12, f.second.angle));
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(f.centre, ClockPoint(f.centre, 8, 0));
        images << QIcon(pm);
    }
    return images;
}

}  // namespace

TTimeRec::TTimeRec(Tdsrc& store, Messages& messages, PasswordPrompts* prompts, Clock clock,
                   QWidget* parent)
    : QMainWindow(parent), store_(store), messages_(messages), clock_(std::move(clock)) {
    if (!prompts) {
        ownPrompts_ = std::make_unique<QtPasswordPrompts>(this);
        prompts = ownPrompts_.get();
    }
    prompts_ = prompts;
    setWindowTitle(kTitle);
    setMinimumSize(320, 504);
    buildWindow();
    buildCommands();
    buildTray();
    connect(&login_, &LoginState::changed, this, &TTimeRec::applyLogin);
    applyLogin(false);

    tickTimer_.setInterval(1000);
    connect(&tickTimer_, &QTimer::timeout, this, &TTimeRec::secondTick);

    QPointer<TTimeRec> self(this);
    store_.addCloseHook([self] {
        if (!self) return;
        if (self->hooks_.closeReaderLinks) self->hooks_.closeReaderLinks();
        if (self->hooks_.clearFeedback) self->hooks_.clearFeedback();
        self->RefreshLiveLog(false);
        QApplication::processEvents();
    });
    store_.addReopenHook([self] {
        if (!self) return;
        self->OpenReaderPorts();
        self->RefreshLiveLog(true);
    });
}

TTimeRec::~TTimeRec() = default;

void TTimeRec::ShowStoreAlarm(const QString& text) {
    storeAlarm_->setText(text);
    storeAlarm_->setVisible(!text.isEmpty());
}

void TTimeRec::buildWindow() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    storeAlarm_ = new QLabel(central);
    storeAlarm_->setObjectName("storeAlarm");
    storeAlarm_->setStyleSheet(
        "QLabel { background: #c00000; color: white; font-weight: bold; padding: 6px; }");
    storeAlarm_->setWordWrap(true);
    storeAlarm_->hide();
    layout->addWidget(storeAlarm_);

    auto* band = new QWidget(central);
    band->setFixedHeight(319);
    auto* bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(0, 0, 0, 0);
    bandLayout->setSpacing(0);

    // Webcam column: never shown in this system (CamEnable is stored false at every start).
    webcam_ = new QWidget(band);
    webcam_->setFixedWidth(173);
    auto* camLayout = new QVBoxLayout(webcam_);
    camLayout->addWidget(new QGroupBox("Webcam", webcam_));
    captureGroup_ = new QGroupBox("Capture", webcam_);
    auto* captureLayout = new QVBoxLayout(captureGroup_);
    captureLayout->setContentsMargins(2, 2, 2, 2);
    capture_ = new QLabel(captureGroup_);
    capture_->setFixedSize(160, 120);
    capture_->setScaledContents(true);
    captureLayout->addWidget(capture_, 0, Qt::AlignCenter);
    captureGroup_->hide();  // shown only while it holds a picture
    camLayout->addWidget(captureGroup_);
    webcam_->hide();
    bandLayout->addWidget(webcam_);

    clock_face_ = new ClockFaceWidget(clock_, band);
    clock_face_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    bandLayout->addWidget(clock_face_, 1);

    auto* right = new QWidget(band);
    right->setFixedWidth(133);
    auto* rightLayout = new QVBoxLayout(right);
    // The photo (120 wide) and the group's frame need 126 of the 133.
    rightLayout->setContentsMargins(2, 2, 2, 2);
    rightLayout->setSpacing(3);
    photoGroup_ = new QGroupBox("Photo", right);
    auto* photoLayout = new QVBoxLayout(photoGroup_);
    photoLayout->setContentsMargins(0, 0, 0, 0);
    photo_ = new QLabel(photoGroup_);
    photo_->setFixedSize(120, 160);
    photo_->setScaledContents(true);
    photo_->hide();  // shown only while it holds a holder's photo
    photoLayout->addWidget(photo_, 0, Qt::AlignCenter);
    photoGroup_->setFixedHeight(160 + 24);
    rightLayout->addWidget(photoGroup_);

    inOut_ = new QLabel("OUT", right);
    inOut_->setObjectName("IOPanel");
    inOut_->setAlignment(Qt::AlignCenter);
    QFont io("Arial Black");
    io.setPointSize(16);
    io.setWeight(QFont::Black);
    inOut_->setFont(io);
    inOut_->setFrameShape(QFrame::Panel);
    inOut_->setFrameShadow(QFrame::Sunken);
    inOut_->installEventFilter(this);
    inOut_->hide();
    rightLayout->addWidget(inOut_);
    SetIOState(false);

    doorOpen_ = new QPushButton("DOOR OPEN", right);
    doorOpen_->setObjectName("bDoorOpen");
    doorOpen_->hide();
    connect(doorOpen_, &QPushButton::clicked, this, [this] {
        if (hooks_.doorOpenClicked) hooks_.doorOpenClicked();
    });
    rightLayout->addWidget(doorOpen_);
    bLogin_ = new QPushButton("Login", right);
    bOffline_ = new QPushButton("Offline Reader", right);
    bLogout_ = new QPushButton("Logout", right);
    for (auto* b : {bLogin_, bOffline_, bLogout_}) rightLayout->addWidget(b);
    rightLayout->addStretch(1);
    bandLayout->addWidget(right);
    layout->addWidget(band);

    portProblems_ = new QLabel(central);
    portProblems_->setObjectName("portProblems");
    portProblems_->setStyleSheet("QLabel { color: #b00000; padding: 2px 4px; }");
    portProblems_->hide();
    layout->addWidget(portProblems_);

    logGroup_ = new QGroupBox("no record", central);
    auto* logLayout = new QVBoxLayout(logGroup_);
    logLayout->setContentsMargins(2, 2, 2, 2);
    model_ = new LiveLogModel(store_, this);
    grid_ = new QTableView(logGroup_);
    grid_->setObjectName("InfoGrid");
    grid_->setModel(model_);
    grid_->setItemDelegate(new LiveLogDelegate(grid_));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    grid_->setToolTip(QString());  // "Double click to add name and access control." is not shown
    grid_->verticalHeader()->hide();
    // Fixed row heights: the view never measures a million rows.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->horizontalHeader()->setStretchLastSection(true);
    for (int c = 0; c < LiveLogModel::ColumnCount; ++c)
        grid_->setColumnWidth(c, ColumnWidthFor(c, *grid_));
    grid_->setColumnHidden(LiveLogModel::ColLock, true);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    connect(grid_, &QTableView::clicked, this, &TTimeRec::currentRowFeedback);
    logLayout->addWidget(grid_);
    layout->addWidget(logGroup_, 1);
    setCentralWidget(central);

    statusClock_ = new QLabel(this);
    statusClock_->setFixedWidth(300);
    mailPanel_ = new QLabel(this);
    mailPanel_->setFixedWidth(50);
    statusBar()->addWidget(statusClock_);
    statusBar()->addWidget(mailPanel_);
    statusBar()->setSizeGripEnabled(true);
}

QMenu* TTimeRec::menuFor(const QString& path) {
    if (auto it = menus_.constFind(path); it != menus_.constEnd()) return *it;
    const int cut = path.indexOf('>');
    QMenu* menu = nullptr;
    if (cut < 0) {
        menu = menuBar()->addMenu(path);
    } else {
        const int last = path.lastIndexOf('>');
        menu = menuFor(path.left(last))->addMenu(path.mid(last + 1));
    }
    menu->setSeparatorsCollapsible(true);
    menus_.insert(path, menu);
    menuOrder_ << menu;
    return menu;
}

void TTimeRec::buildCommands() {
    logMenu_ = new QMenu(this);
    trayMenu_ = new QMenu(this);
    for (const MenuRow& row : MenuTable()) {
        const QString path = row.menu;
        QMenu* menu = path == kLiveLogMenu ? logMenu_
                      : path == kTrayMenu  ? trayMenu_
                      : path == kNoMenu    ? nullptr
                                           : menuFor(path);
        if (!row.name) {
            if (menu) menu->addSeparator();
            continue;
        }
        QAction* a = actions_.value(row.name);
        if (!a) {
            a = new QAction(row.caption, this);
            a->setObjectName(row.name);
            a->setCheckable(row.checkable);
            a->setVisible(false);
            actions_.insert(row.name, a);
        }
        if (menu) menu->addAction(a);
    }
    setCommand(kActLogin, [this] { Login(); });
    setCommand(kActTrayLogin, [this] { Login(); });
    setCommand(kActLogout, [this] { Logout(); });
    setCommand(kActSetPassword, [this] { SetPassword(); });
    setCommand(kActHideToSystray, [this] { HideToSystray(); });
    setCommand(kActExit, [this] { Exit(); });
    setCommand(kActAbout, [this] { About(); });
    setCommand(kActShowMe, [this] { ShowMe(); });
    setCommand(kActHideOnStartup, [this] {
        WriteSettingBool("HideOnStartup", action(kActHideOnStartup)->isChecked());
    });

    auto follow = [](QPushButton* b, QAction* a) {
        auto sync = [b, a] {
            b->setEnabled(a->isEnabled());
            b->setVisible(a->isVisible());
        };
        QObject::connect(a, &QAction::changed, b, sync);
        QObject::connect(b, &QPushButton::clicked, a, &QAction::trigger);
        sync();
    };
    follow(bLogin_, action(kActLogin));
    follow(bLogout_, action(kActLogout));
    follow(bOffline_, action(kActOffline));

    connect(grid_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        for (QAction* a : logMenu_->actions())
            if (a->isVisible()) {
                logMenu_->popup(grid_->viewport()->mapToGlobal(pos));
                return;
            }
    });
}

void TTimeRec::setCommand(const QString& name, std::function<void()> handler) {
    QAction* a = action(name);
    const MenuRow* row = FindCommand(name);
    if (!a || !row) return;
    if (handled_.value(name)) disconnect(a, &QAction::triggered, this, nullptr);
    connect(a, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    handled_.insert(name, true);
    a->setVisible(!row->hidden);
    updateMenus();
}

QAction* TTimeRec::action(const QString& name) const {
    return actions_.value(name);
}

void TTimeRec::updateMenus() {
    // Deepest menus first, so a parent sees whether its sub-menus are shown.
    for (auto it = menuOrder_.rbegin(); it != menuOrder_.rend(); ++it) {
        bool any = false;
        for (QAction* a : (*it)->actions())
            if (!a->isSeparator() && a->isVisible()) any = true;
        (*it)->menuAction()->setVisible(any);
    }
}

void TTimeRec::applyLogin(bool loggedIn) {
    for (const MenuRow& row : MenuTable())
        if (row.name) actions_.value(row.name)->setEnabled(EnabledWhen(row.gate, loggedIn));
}

void TTimeRec::buildTray() {
    trayImages_ = trayImages();
    tray_ = new QSystemTrayIcon(trayImages_.first(), this);
    tray_->setToolTip(kTitle);
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick) ShowMe();
            });
    trayTimer_.setInterval(500);
    connect(&trayTimer_, &QTimer::timeout, this, [this] {
        trayImage_ = (trayImage_ + 1) % trayImages_.size();
        tray_->setIcon(trayImages_[trayImage_]);
    });
}

bool TTimeRec::trayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TTimeRec::start() {
    statusClock_->setText(StatusClockText(clock_()));  // no blank panel until the first tick
    tickTimer_.start();
    // Notification icon step
    try {
        if (!store_.isOpen()) store_.OpenStore();
    } catch (const StoreError& e) {
        tickTimer_.stop();
        messages_.plain(e.what());
        return false;
    }
    if (hooks_.createReaderLinks) hooks_.createReaderLinks();
    OpenReaderPorts();
    action(kActHideOnStartup)->setChecked(ReadSettingBool("HideOnStartup", false));
    // The first start shows the live log's columns, the photo and the buttons, centred.
    LoadFormLayout(kFormPrefix, this, sizeHint().expandedTo(kFirstStartSize));
    // The widths measured from the font stand until the operator has stored others.
    for (int c = 0; c < LiveLogModel::ColumnCount; ++c) {
        const QString name = gridWidthSetting(c);
        if (SettingExists(name))
            grid_->setColumnWidth(c, ReadSettingInt(name, grid_->columnWidth(c)));
    }
    grid_->setColumnHidden(LiveLogModel::ColLock, true);
    RefreshLiveLog(true);
    if (trayAvailable()) {
        tray_->show();
        trayTimer_.start();
    }
    // Without a notification area there is no way back from hiding: always show then.
    if (!action(kActHideOnStartup)->isChecked() || !trayAvailable()) show();
    ShowRecordCount();
    if (hooks_.armMailTimer) hooks_.armMailTimer();

    windowCreationStep();
    return true;
}

void TTimeRec::windowCreationStep() {
    Logout();
    WriteSettingBool("CamEnable", false);
    // EmailEnabled is stored false by the mail queue's start step (armMailTimer).
    inOut_->setVisible(ReadSettingBool("AutoInOut", false));

    const QString photos = PhotosFolder();
    if (!QDir(photos).exists() && !QDir().mkpath(photos)) {
        messages_.error("Cannot create directory: " + photos);
        return;  // the rest of the creation is skipped for this run
    }
    clock_face_->start();
    webcam_->setVisible(ReadSettingBool("CamEnable", false));
    action(kActHideWebcam)->setChecked(!webcam_->isVisible());
    if (model_->count() > 0) {
        if (auto last = model_->record(int(model_->count() - 1)); last && hooks_.showFeedback)
            hooks_.showFeedback(last->cardno, last->systime);
    }
    if (hooks_.evaluateAutoIO) hooks_.evaluateAutoIO(clock_());

    doorOpen_->setVisible(ReadSettingBool("DoorOpenEnable", false));
    const int port = ReadSettingInt("DoorOpenPortNo", 1);
    if (hooks_.readerDesc && port >= 1 && port <= 8)
        doorOpen_->setText(hooks_.readerDesc(port) + "->OPEN");  // as after the set-up

    action(kActSpeech)->setChecked(ReadSettingBool("SpeechEnable", false));
    const bool web = ReadSettingBool("WebEnabled", false);
    action(kActWebReporter)->setChecked(web);
    if (web && hooks_.startWebReporter) hooks_.startWebReporter();
}

void TTimeRec::SetPortProblem(int port, const QString& problem) {
    if (problem.isEmpty())
        portProblemLines_.remove(port);
    else
        portProblemLines_[port] = problem;
    const QStringList lines = portProblemLines_.values();
    portProblems_->setText(lines.join('\n'));
    portProblems_->setVisible(!lines.isEmpty());
}

void TTimeRec::OpenReaderPorts() {
    bool whole = false;
    try {
        whole = ReaderTableOk(store_.src());
    } catch (const DbError&) {
    }
    if (!whole) {
        messages_.error(kReaderTableError);
        return;
    }
    if (hooks_.openReaderPorts) hooks_.openReaderPorts();
}

void TTimeRec::secondTick() {
    tickTimer_.stop();
    const DateTime now = clock_();
    statusClock_->setText(StatusClockText(now));
    if (hooks_.tickAutoIO) hooks_.tickAutoIO(now);
    if (!closedDone_) tickTimer_.start();
}

void TTimeRec::ShowRecordCount() {
    qint64 n = 0;
    try {
        if (store_.isOpen()) n = LogTable(store_.att()).count();
    } catch (const DbError&) {
    }
    showCount(n);
}

void TTimeRec::showCount(qint64 n) {
    QString title = n < 1 ? QString("no record") : QString("%1 record(s)").arg(n);
    if (repeatsToday_ > 0) title += QString(", %1 repeat read(s) ignored today").arg(repeatsToday_);
    if (!scheduleNote_.isEmpty()) title += ", " + scheduleNote_;
    logGroup_->setTitle(title);
}

void TTimeRec::ShowOutsideSchedule(int card, int port) {
    scheduleNote_ = QString("card %1 at COM%2 outside schedule").arg(card).arg(port);
    ShowRecordCount();
}

void TTimeRec::ShowRepeatCount(int repeatsToday) {
    repeatsToday_ = repeatsToday;
    ShowRecordCount();
}

void TTimeRec::RefreshLiveLog(bool show) {
    if (!show) {
        grid_->hide();
        model_->detach();
        return;
    }
    model_->reload();
    positionAtNewest();
    ShowRecordCount();
    grid_->show();
    grid_->viewport()->update();
}

void TTimeRec::ShowAppendedRows() {
    if (!model_->attached()) return;
    model_->refreshAppended();
    positionAtNewest();
    showCount(model_->count());  // every new row, bypass rows too
}

void TTimeRec::positionAtNewest() {
    if (model_->rowCount() == 0) return;
    const QModelIndex last = model_->index(model_->rowCount() - 1, 0);
    grid_->setCurrentIndex(last);
    grid_->scrollTo(last, QAbstractItemView::PositionAtBottom);
}

bool TTimeRec::NoRecordCheck() {
    qint64 n = 0;
    try {
        n = LogTable(store_.att()).count();
    } catch (const DbError&) {
    }
    if (n >= 1) return false;
    messages_.error(text::kNoRecord);
    return true;
}

void TTimeRec::SetIOState(bool in) {
    inOut_->setText(in ? "IN" : "OUT");
    QPalette pal = inOut_->palette();
    pal.setColor(QPalette::WindowText, in ? QColor(0, 0, 255) : QColor(255, 0, 0));
    inOut_->setPalette(pal);
}

void TTimeRec::ShowPhoto(const QImage& photo) {
    if (photo.isNull()) {
        photo_->hide();
        photo_->clear();
        return;
    }
    photo_->setPixmap(QPixmap::fromImage(photo));
    photo_->show();
}

void TTimeRec::ShowCapturedPicture(const QImage& picture) {
    if (picture.isNull()) {
        captureGroup_->hide();
        capture_->clear();
        return;
    }
    capture_->setPixmap(QPixmap::fromImage(picture));
    captureGroup_->show();
}

void TTimeRec::EndRun(const QString& message) {
    endedOnError_ = true;
    messages_.plain(message);
    close();
}

void TTimeRec::currentRowFeedback() {
    if (!model_->attached() || model_->count() < 1) return;
    const QModelIndex cur = grid_->currentIndex();
    if (!cur.isValid()) return;
    if (auto r = model_->record(cur.row()); r && hooks_.showFeedback)
        hooks_.showFeedback(r->cardno, r->systime);
}

void TTimeRec::liveLogDoubleClicked() {
    if (!login_.loggedIn()) {
        messages_.information(kFeatureDisabled);
        return;
    }
    if (!hooks_.openHolderEditor) return;
    std::optional<int> card;
    const QModelIndex cur = grid_->currentIndex();
    if (model_->attached() && model_->count() > 0 && cur.isValid())
        if (auto r = model_->record(cur.row())) card = r->cardno;
    hooks_.openHolderEditor(card);
}

bool TTimeRec::eventFilter(QObject* watched, QEvent* event) {
    if (watched == inOut_ && event->type() == QEvent::MouseButtonPress) {
        if (hooks_.inOutPanelClicked) hooks_.inOutPanelClicked();
        return true;
    }
    // Also on an empty grid, where the view itself reports no double click.
    if (grid_ && watched == grid_->viewport() && event->type() == QEvent::MouseButtonDblClick)
        QTimer::singleShot(0, this, &TTimeRec::liveLogDoubleClicked);
    if (grid_ && ((watched == grid_ && event->type() == QEvent::KeyRelease) ||
                  (watched == grid_->viewport() && event->type() == QEvent::MouseButtonRelease)))
        currentRowFeedback();
    return QMainWindow::eventFilter(watched, event);
}

void TTimeRec::Login() {
    try {
        if (RunLogin(store_.src(), messages_, *prompts_, login_)) ShowMe();
    } catch (const DbError&) {
        messages_.error(text::kDatabaseError);
    }
}

void TTimeRec::Logout() {
    if (login_.loggedIn()) {
        try {
            AuditLog(store_.src()).write(audit::kLogout, QString());
        } catch (const DbError&) {
            // logging out never fails
        }
    }
    login_.setLoggedIn(false);
    applyLogin(false);
}

void TTimeRec::SetPassword() {
    try {
        RunSetPassword(store_.src(), messages_, *prompts_);
    } catch (const DbError&) {
        messages_.error(text::kUpdateFailed);
    }
}

void TTimeRec::Exit() {
    if (hooks_.readerPortOpen && hooks_.readerPortOpen() && !messages_.confirm(kExitQuestion))
        return;
    close();
}

void TTimeRec::ShowMe() {
    ShowRecordCount();
    showNormal();
    raise();
    activateWindow();
}

void TTimeRec::HideToSystray() {
    // Without a notification area nothing would bring the window back: minimize instead.
    if (trayAvailable() && tray_->isVisible())
        hide();
    else
        showMinimized();
}

void TTimeRec::About() {
    TAboutBox box(this);
    box.exec();
}

void TTimeRec::closeSteps() {
    if (closedDone_) return;
    closedDone_ = true;
    store_.CloseStore();
    if (hooks_.freeReaderLinks) hooks_.freeReaderLinks();
    if (hooks_.stopTimers) hooks_.stopTimers();
    tickTimer_.stop();
    clock_face_->stop();
    WriteSettingBool("HideOnStartup", action(kActHideOnStartup)->isChecked());
    SaveFormLayout(kFormPrefix, this);
    saveColumnWidths();
    trayTimer_.stop();
    tray_->hide();
    emit closed();
}

QString TTimeRec::gridWidthSetting(int column) {
    return QString("%1_%2").arg(kGridPrefix).arg(column);
}

void TTimeRec::saveColumnWidths() {
    // Only what the operator has changed is stored, so a measured width follows the font
    // until then. The stretched last column and the hidden lock column have no width of
    // their own.
    for (int c = 0; c < LiveLogModel::ColReader; ++c) {
        const QString name = gridWidthSetting(c);
        const int width = grid_->columnWidth(c);
        if (SettingExists(name) || width != ColumnWidthFor(c, *grid_)) WriteSettingInt(name, width);
    }
}

void TTimeRec::closeEvent(QCloseEvent* event) {
    closeSteps();
    event->accept();
}

}  // namespace horalog
