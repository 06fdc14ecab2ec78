#include "storage/ui/layouts.h"

#include <QAbstractItemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <QWidget>

#include "storage/settings.h"

namespace horalog {

int DefaultColumnWidth(FieldKind kind) {
    switch (kind) {
    case FieldKind::Text: return 200;
    case FieldKind::Boolean: return 50;
    case FieldKind::DateTime: return 150;
    default: return 100;
    }
}

namespace {
FieldKind kindOf(const QAbstractItemModel* model, int column) {
    QVariant v = model->headerData(column, Qt::Horizontal, kFieldKindRole);
    if (v.isValid()) return static_cast<FieldKind>(v.toInt());
    if (model->rowCount() > 0) {
        switch (model->index(0, column).data(Qt::EditRole).metaType().id()) {
        case QMetaType::QString: return FieldKind::Text;
        case QMetaType::Bool: return FieldKind::Boolean;
        case QMetaType::QDateTime: return FieldKind::DateTime;
        default: break;
        }
    }
    return FieldKind::Other;
}
}  // namespace

QRect PlaceWindow(const std::optional<QRect>& saved, const QList<QRect>& screens, QSize firstSize) {
    if (screens.isEmpty()) return saved.value_or(QRect(QPoint(0, 0), firstSize));
    const QRect& primary = screens.front();
    const auto centred = [&](QSize size) {
        QRect r(QPoint(0, 0), size.boundedTo(primary.size() - QSize(0, kTitleBarHeight)));
        r.moveCenter(primary.center());
        r.moveTop(std::max(r.top(), primary.top() + kTitleBarHeight));
        return r;
    };
    if (!saved) return centred(firstSize);
    const QRect title(saved->left(), saved->top() - kTitleBarHeight, saved->width(),
                      kTitleBarHeight);
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(title);
        if (seen.height() == kTitleBarHeight && seen.width() >= std::min(100, title.width()))
            return QRect(saved->topLeft(), saved->size().boundedTo(screen.size()));
    }
    return centred(saved->size());
}

void LoadFormLayout(const QString& prefix, QWidget* window, QSize firstSize) {
    QList<QRect> screens;
    if (QGuiApplication::primaryScreen())
        screens << QGuiApplication::primaryScreen()->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) screens << screen->availableGeometry();
    if (SettingExists(prefix + "_WIDTH")) {
        const QRect saved(ReadSettingInt(prefix + "_LEFT", 0), ReadSettingInt(prefix + "_TOP", 0),
                          ReadSettingInt(prefix + "_WIDTH", 640),
                          ReadSettingInt(prefix + "_HEIGHT", 480));
        window->setGeometry(PlaceWindow(saved, screens, firstSize));
    } else if (firstSize.isValid()) {
        window->setGeometry(PlaceWindow(std::nullopt, screens, firstSize));
    } else {
        window->setGeometry(0, 0, 640, 480);
    }
    if (ReadSettingBool(prefix + "_MAX", false))
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    else
        window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
}

void SaveFormLayout(const QString& prefix, QWidget* window) {
    bool maximized = window->isMaximized();
    WriteSettingBool(prefix + "_MAX", maximized);
    if (maximized) return;
    QRect r = window->geometry();
    WriteSettingInt(prefix + "_TOP", r.top());
    WriteSettingInt(prefix + "_LEFT", r.left());
    WriteSettingInt(prefix + "_WIDTH", r.width());
    WriteSettingInt(prefix + "_HEIGHT", r.height());
}

void LoadGridLayout(const QString& prefix, QTableView* grid) {
    QAbstractItemModel* model = grid->model();
    if (!model || model->columnCount() == 0) return;
    for (int i = 0; i < model->columnCount(); ++i) {
        int def = DefaultColumnWidth(kindOf(model, i));
        grid->setColumnWidth(i, ReadSettingInt(prefix + "_" + QString::number(i), def));
    }
}

void SaveGridLayout(const QString& prefix, QTableView* grid) {
    QAbstractItemModel* model = grid->model();
    if (!model || model->columnCount() == 0) return;
    for (int i = 0; i < model->columnCount(); ++i)
        WriteSettingInt(prefix + "_" + QString::number(i), grid->columnWidth(i));
}

void FitColumnsToHeadings(QTableView* grid) {
    QHeaderView* header = grid->horizontalHeader();
    for (int c = 0; c < header->count(); ++c)
        if (grid->columnWidth(c) < header->sectionSizeHint(c))
            grid->setColumnWidth(c, header->sectionSizeHint(c));
}

QMenu* ColumnMenu(QTableView* grid) {
    auto* menu = new QMenu(grid);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QAbstractItemModel* model = grid->model();
    int shown = 0;
    for (int c = 0; c < model->columnCount(); ++c) shown += grid->isColumnHidden(c) ? 0 : 1;
    for (int c = 0; c < model->columnCount(); ++c) {
        QAction* a = menu->addAction(model->headerData(c, Qt::Horizontal).toString());
        a->setCheckable(true);
        a->setChecked(!grid->isColumnHidden(c));
        a->setEnabled(grid->isColumnHidden(c) || shown > 1);
        QObject::connect(a, &QAction::toggled, grid, [grid, c](bool on) {
            grid->setColumnHidden(c, !on);
            if (on) FitColumnsToHeadings(grid);
        });
    }
    return menu;
}

void AllowColumnChoice(QTableView* grid) {
    QHeaderView* header = grid->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(header, &QWidget::customContextMenuRequested, grid, [grid](const QPoint& pos) {
        ColumnMenu(grid)->popup(grid->horizontalHeader()->mapToGlobal(pos));
    });
}

}  // namespace horalog
