// The web pages of a server database that several stations share: a read is named
// "<station> <reader>" there, and by its reader's description alone while one station is all.
#include <gtest/gtest.h>

#include "net/web_pages.h"
#include "storage/log_table.h"
#include "storage/station_stores.h"

using namespace horalog;
using namespace horalog::testing;

namespace {

TEST(WebPagesOfStations, AReadCarriesItsStationOnlyWhenSeveralShareTheDatabase) {
    HORALOG_NEW_SERVER_DATABASE(url);
    StationStores stations;
    stations.url = url;
    const DateTime now = EncodeDate(2004, 6, 26).addSecs(12 * 3600);
    auto page = [&](Tdsrc& store, bool json) {
        PageSources s;
        s.att = &store.att();
        s.src = &store.src();
        s.readers = ReaderDescriptions(store.src());
        s.now = now;
        s.title = "T";
        PageRequest r = ParsePageRequest("/logs", {});
        r.json = json;
        return json ? QString::fromUtf8(BuildJson(r, s)) : BuildPage(r, s);
    };
    auto front = stations.open("Front gate");
    LogRecord a{0, now.addSecs(-60), 7, 1, 1, 0};
    LogTable(front->att()).append(a);
    const struct {
        const char* html;
        const char* json;
    } one{"<td>IN</td><td>COM1</td>", "\"reader\":\"COM1\""},
        several{"<td>IN</td><td>Front gate COM1</td>", "\"reader\":\"Front gate COM1\""};
    EXPECT_TRUE(page(*front, false).contains(one.html)) << page(*front, false).toStdString();
    EXPECT_TRUE(page(*front, true).contains(one.json)) << page(*front, true).toStdString();

    auto back = stations.open("Warehouse");
    LogRecord b{0, now.addSecs(-30), 8, 2, 1, 0};
    LogTable(back->att()).append(b);
    for (Tdsrc* store : {front.get(), back.get()}) {
        const QString html = page(*store, false), json = page(*store, true);
        EXPECT_TRUE(html.contains(several.html)) << html.toStdString();
        EXPECT_TRUE(html.contains("<td>OUT</td><td>Warehouse COM1</td>")) << html.toStdString();
        EXPECT_FALSE(html.contains("<td>COM1</td>")) << html.toStdString();
        EXPECT_TRUE(json.contains(several.json)) << json.toStdString();
        EXPECT_TRUE(json.contains("\"reader\":\"Warehouse COM1\"")) << json.toStdString();
    }
}

}  // namespace
