// The rooms of the source tree include each other in one direction only: the order of the
// README's layout table, so that a newcomer can trust it.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include "support/temp_data.h"

using namespace horalog::testing;

namespace {

// The rooms of the layout table, top first.
QStringList RoomOrder() {
    QFile readme(SourcePath("README.md"));
    EXPECT_TRUE(readme.open(QIODevice::ReadOnly));
    QStringList rooms;
    static const QRegularExpression row("^src/([a-z]+)/ ");
    for (const QString& line : QString::fromUtf8(readme.readAll()).split('\n'))
        if (const auto m = row.match(line); m.hasMatch()) rooms << m.captured(1);
    return rooms;
}

TEST(Rooms, IncludeOnlyTheRoomsAboveThem) {
    const QStringList order = RoomOrder();
    ASSERT_GE(order.size(), 10) << "no layout table in README.md";
    static const QRegularExpression include("^#include \"([a-z]+)/([^\"]+)\"",
                                            QRegularExpression::MultilineOption);
    QStringList wrong;
    const QDir src(SourcePath("src"));
    QDirIterator it(src.path(), {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
    int files = 0;
    while (it.hasNext()) {
        const QString path = src.relativeFilePath(it.next());
        const QStringList parts = path.split('/');
        if (parts.size() < 2) continue;  // main.cpp joins everything
        ++files;
        const QString room = parts[0];
        const bool ui = parts.size() > 2 && parts[1] == "ui";
        EXPECT_TRUE(order.contains(room)) << room.toStdString() << " is not in the table";
        QFile f(it.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        auto matches = include.globalMatch(QString::fromUtf8(f.readAll()));
        while (matches.hasNext()) {
            const auto m = matches.next();
            const QString other = m.captured(1);
            const bool otherUi = m.captured(2).startsWith("ui/");
            if (!order.contains(other)) continue;
            const bool fine =
                ui ? other == room || (other != "cli" && !(other == "shell" && otherUi))
                   : !otherUi && order.indexOf(other) <= order.indexOf(room);
            if (!fine) wrong << path + " includes " + m.captured(0);
        }
    }
    EXPECT_GT(files, 100);
    EXPECT_EQ(wrong, QStringList());
}

}  // namespace
