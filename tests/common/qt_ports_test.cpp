// The Qt message boxes come up over the window the operator is working in, also when the code
// that shows them was handed the main window.
#include "common/ui/qt_ports.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "common/ui/title_fit.h"

#include "support/modal_script.h"

using namespace horalog;
using horalog::testing::ModalScript;

namespace {

TEST(QtMessages, BoxIsParentedToTheDialogThatIsUp) {
    QWidget main;
    main.setWindowTitle("Main");
    main.show();
    QtMessages messages(&main);  // as every room hands it: the main window

    struct Case {
        const char* what;
        bool dialogUp;
        std::function<void()> show;
    };
    const Case cases[] = {
        {"error from a dialog", true, [&] { messages.error("Invalid input."); }},
        {"question from a dialog", true,
         [&] { EXPECT_TRUE(messages.confirm("Are you sure to delete this record?")); }},
        {"error with no dialog up", false, [&] { messages.error("No record."); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDialog dialog(&main);
        dialog.setWindowTitle("Card Information");
        QPointer<QWidget> boxParent;
        QString boxText;
        auto answerBox = [&](QDialog* box) {
            boxParent = box->parentWidget();
            boxText = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->defaultButton()->click();
        };
        if (c.dialogUp) {
            ModalScript script({{"Card Information",
                                 [&](QDialog* d) {
                                     c.show();
                                     d->accept();
                                 }},
                                {"Horalog", answerBox}});
            dialog.exec();
            EXPECT_TRUE(script.done());
            EXPECT_EQ(boxParent.data(), &dialog);
        } else {
            ModalScript script({{"Horalog", answerBox}});
            c.show();
            EXPECT_TRUE(script.done());
            EXPECT_EQ(boxParent.data(), &main);
        }
        EXPECT_FALSE(boxText.isEmpty());
    }
}

}  // namespace

namespace {

// A dialog too narrow for its title is widened as it is shown; a wide one is left alone.
TEST(TitleFit, DialogsAtLeastAsWideAsTheirTitles) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_TRUE(app);
    horalog::FitDialogsToTitles(*app);
    QDialog narrow;
    narrow.setWindowTitle("Work Group Information");
    narrow.resize(120, 80);
    narrow.show();
    EXPECT_GE(narrow.width(), horalog::TitleWidth(narrow));
    EXPECT_GT(horalog::TitleWidth(narrow), 200);
    QDialog wide;
    wide.setWindowTitle("Tiny");
    wide.resize(900, 80);
    wide.show();
    EXPECT_EQ(wide.width(), 900);
}

}  // namespace
