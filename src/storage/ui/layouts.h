#pragma once
// Window and grid layouts kept in the settings store under a prefix.

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

class QWidget;
class QMenu;
class QTableView;

namespace horalog {

// Role a model answers in headerData(section, Qt::Horizontal, ...) with the column's
// FieldKind, so grids get the width default of the column's type.
inline constexpr int kFieldKindRole = 0x0100 + 77;  // Qt::UserRole + 77
enum class FieldKind { Text = 1, Boolean = 2, DateTime = 3, Other = 4 };
int DefaultColumnWidth(FieldKind kind);

// Restores a window's saved bounds, moved back onto a screen when no screen shows its title bar
// any more. Without saved bounds: firstSize centred on the primary screen when given, else
// the corner at 640 x 480.
void LoadFormLayout(const QString& prefix, QWidget* window, QSize firstSize = QSize());
void SaveFormLayout(const QString& prefix, QWidget* window);
void LoadGridLayout(const QString& prefix, QTableView* grid);
// Widens every column that is narrower than its heading.
void FitColumnsToHeadings(QTableView* grid);
// A menu on the grid's header, as file managers have, that shows or hides each column (the
// last shown column stays). ColumnMenu builds it for the header's request; tests call it.
void AllowColumnChoice(QTableView* grid);
QMenu* ColumnMenu(QTableView* grid);
void SaveGridLayout(const QString& prefix, QTableView* grid);

// Where a window's client area goes: saved as it is while the title bar above it (and a grip's
// width of it) lies on one of the screens (available geometries, primary first); otherwise
// centred on the primary screen. Never larger than that screen. Without saved bounds,
// firstSize centred on the primary screen.
inline constexpr int kTitleBarHeight = 32;
QRect PlaceWindow(const std::optional<QRect>& saved, const QList<QRect>& screens, QSize firstSize);

}  // namespace horalog
