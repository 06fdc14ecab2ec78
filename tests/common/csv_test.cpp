#include "common/csv.h"

#include <gtest/gtest.h>

using namespace horalog;

namespace {

struct CsvCase {
    const char* name;
    QString text;
    std::vector<std::pair<int, QStringList>> records;  // line, fields
    QString error;                                     // expected error, empty when it reads
};

TEST(Csv, ReadsWhatOtherProgramsWrite) {
    const CsvCase cases[] = {
        {"comma, LF", "A,B\n1,2\n", {{1, {"A", "B"}}, {2, {"1", "2"}}}, {}},
        {"semicolon from the header, CR LF, no final line end",
         "A;B\r\n1;2,5\r\n3;4",
         {{1, {"A", "B"}}, {2, {"1", "2,5"}}, {3, {"3", "4"}}},
         {}},
        {"quotes: separator, doubled quote and a line end inside",
         "A,B\n\"x, y\",\"say \"\"hi\"\"\"\n\"two\nlines\",z\n",
         {{1, {"A", "B"}}, {2, {"x, y", "say \"hi\""}}, {3, {"two\nlines", "z"}}},
         {}},
        {"record after a multi-line field keeps its own line number",
         "A\n\"1\n2\"\nnext\n",
         {{1, {"A"}}, {2, {"1\n2"}}, {4, {"next"}}},
         {}},
        {"blank lines and a byte-order mark are skipped; empty fields kept",
         QString(QChar(0xFEFF)) + "A,B\n\n,\n",
         {{1, {"A", "B"}}, {3, {"", ""}}},
         {}},
        {"quote inside an unquoted field",
         "A\nab\"c\n",
         {},
         "line 2: a quote inside an unquoted field"},
        {"text after a closing quote", "A\n\"ab\"c\n", {}, "line 2: text after a closing quote"},
        {"file ends inside quotes",
         "A\n\"abc\n",
         {},
         "line 3: the file ends inside a quoted field"},
    };
    for (const CsvCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CsvRecord> records;
        QString error;
        const bool ok = ReadCsv(c.text, records, error);
        EXPECT_EQ(ok, c.error.isEmpty());
        EXPECT_EQ(error, c.error);
        if (!ok) continue;
        ASSERT_EQ(records.size(), c.records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].line, c.records[i].first) << i;
            EXPECT_EQ(records[i].fields, c.records[i].second) << i;
        }
    }
}

TEST(Csv, WrittenLinesReadBackTheSame) {
    const QStringList fields{"plain", "a,b", "say \"hi\"", "two\nlines", "", "ä€"};
    std::vector<CsvRecord> records;
    QString error;
    ASSERT_TRUE(ReadCsv(CsvLine(fields) + "\n", records, error)) << error.toStdString();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].fields, fields);
    EXPECT_EQ(CsvLine({"a", "b c"}), "a,b c");  // quoted only where needed
}

TEST(Csv, OverlongFieldIsRefusedNotGrownWithoutBound) {
    std::vector<CsvRecord> records;
    QString error;
    EXPECT_FALSE(ReadCsv("A\n" + QString(CsvReader::kMaxFieldLength + 1, u'x'), records, error));
    EXPECT_EQ(error, "line 2: a field is too long");
}

}  // namespace
