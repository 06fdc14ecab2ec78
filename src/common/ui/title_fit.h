#pragma once
// Dialogs wide enough for their titles: a window manager cuts a title that does not fit
// ("Work Group In…tion"), so every dialog, as it is first shown, is made at least as wide as
// its title and the title bar's buttons need.

class QApplication;
class QWidget;

namespace horalog {

// The width a window needs for its title in the title bar (the application's name added).
int TitleWidth(const QWidget& window);

// Watches every dialog of the application as it is shown.
void FitDialogsToTitles(QApplication& app);

}  // namespace horalog
