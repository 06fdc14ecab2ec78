#pragma once
// Window and grid layouts kept in the settings store under a prefix.

#include <QString>

class QWidget;
class QTableView;

namespace horalog {

// Role a model answers in headerData(section, Qt::Horizontal, ...) with the column's
// FieldKind, so grids get the width default of the column's type.
inline constexpr int kFieldKindRole = 0x0100 + 77;  // Qt::UserRole + 77
enum class FieldKind { Text = 1, Boolean = 2, DateTime = 3, Other = 4 };
int DefaultColumnWidth(FieldKind kind);

void LoadFormLayout(const QString& prefix, QWidget* window);
void SaveFormLayout(const QString& prefix, QWidget* window);
void LoadGridLayout(const QString& prefix, QTableView* grid);
void SaveGridLayout(const QString& prefix, QTableView* grid);

}  // namespace horalog
