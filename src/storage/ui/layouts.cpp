#include "storage/ui/layouts.h"

#include <QAbstractItemModel>
#include <QHeaderView>
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

void LoadFormLayout(const QString& prefix, QWidget* window) {
    int top = ReadSettingInt(prefix + "_TOP", 0);
    int left = ReadSettingInt(prefix + "_LEFT", 0);
    int width = ReadSettingInt(prefix + "_WIDTH", 640);
    int height = ReadSettingInt(prefix + "_HEIGHT", 480);
    window->setGeometry(left, top, width, height);
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

}  // namespace horalog
