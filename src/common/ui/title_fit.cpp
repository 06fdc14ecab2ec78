#include "common/ui/title_fit.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>

namespace horalog {

namespace {

// Room beside the title for the bar's icon and its three buttons.
constexpr int kTitleBarButtons = 130;

class TitleFitter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && dialog->isWindow()) {
                const int width = TitleWidth(*dialog);
                if (dialog->minimumWidth() < width) dialog->setMinimumWidth(width);
            }
        }
        return false;
    }
};

}  // namespace

int TitleWidth(const QWidget& window) {
    QFont bold = window.font();
    bold.setBold(true);
    QString title = window.windowTitle();
    title.remove("[*]");
    if (!QApplication::applicationDisplayName().isEmpty())
        title += " — " + QApplication::applicationDisplayName();
    return QFontMetrics(bold).horizontalAdvance(title) + kTitleBarButtons;
}

void FitDialogsToTitles(QApplication& app) {
    app.installEventFilter(new TitleFitter(&app));
}

}  // namespace horalog
