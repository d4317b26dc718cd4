// The card's texts on the report's page: its files are ISO-8859-1 (the French and German
// language files give labels such as "Arrivée"), the page is UTF-8 XHTML.
#include <gtest/gtest.h>

#include <string>

#include "tools/kelvaro-report/page.h"

namespace kelvaro::report {
namespace {

TEST(ReportPage, CardTextsBecomeUtf8FitForXml) {
    struct Row {
        const char* legend;
        std::string latin1;
        std::string shown;
    };
    const Row rows[] = {
        {"plain", "Start : 12/06/2024", "Start : 12/06/2024"},
        {"accented",
         "Arriv\xe9"
         "e \xfc"
         "ber",
         "Arriv\xc3\xa9"
         "e \xc3\xbc"
         "ber"},
        {"markup", "<b>&\"", "&lt;b&gt;&amp;&quot;"},
        {"line end and C1 control",
         "a\r\nb\x85"
         "c",
         "a  b c"},
        {"no-break space and y with diaeresis", "\xa0\xff", "\xc2\xa0\xc3\xbf"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(htmlText(row.latin1), row.shown);
    }
}

TEST(ReportPage, ACardWithoutLogsSaysSoAndNamesWhatItCouldNotRead) {
    ReportInput input;
    input.title = "card & co";
    input.unreadable.push_back("/card/itn/<fifo>.itn");
    const std::string page = reportPage(input);
    EXPECT_NE(page.find("No track log."), std::string::npos);
    EXPECT_NE(page.find("Not read: /card/itn/&lt;fifo&gt;.itn"), std::string::npos);
    EXPECT_NE(page.find("From card &amp; co."), std::string::npos);
    EXPECT_NE(page.find("the program's defaults"), std::string::npos);
}

TEST(ReportPage, TheFiguresShowTheLocalDateBesideTheLocalTime) {
    struct Row {
        double gmtoffset;
        const char* start;
        const char* end;
    };
    // The midnight drive: 23:56 UTC on 30/06/2024 to 00:04 UTC on 01/07/2024.
    for (const Row& row : {Row{5.5, "01/07/2024 05:26:00", "01/07/2024 05:34:00"},
                           Row{-5.0, "30/06/2024 18:56:00", "30/06/2024 19:04:00"}}) {
        SCOPED_TRACE(row.gmtoffset);
        ReportInput input;
        input.settings.gmtoffset = row.gmtoffset;
        input.logs.emplace_back();
        for (const int64_t utc : {1719791760, 1719792240}) {
            LoggedPoint p;
            p.lat = 48.0;
            p.hasUtc = true;
            p.utcSeconds = utc;
            input.logs[0].points.push_back(p);
        }
        finishLogs(&input);
        const std::string page = reportPage(input);
        EXPECT_NE(page.find(std::string("<th>Start</th><td>") + row.start), std::string::npos);
        EXPECT_NE(page.find(std::string("<th>End</th><td>") + row.end), std::string::npos);
    }
}

}  // namespace
}  // namespace kelvaro::report
