// The number format of a text file is decided once, from all its data lines:
// each layout is read right, asked about, or refused.
#include "io/field_data.h"
#include "io/input_files.h"
#include "io/point_file.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(NumberFormat, FieldDataLayoutsAreReadRightAskedAboutOrRefused)
{
    using V = std::vector<double>;
    struct Case {
        const char* what;
        std::string text;
        char decimal;              // the user's answer, 0 for none
        V x, g;                    // the stations (x empty: no stations)
        std::vector<int> skipped;  // lines said to give no station
        const char* outcome = "";  // "?" asked, or a part of the refusal
    };
    const Case cases[] = {
        {"grouped integers, blanks", "x g\n1,000 5\n2,500 7\n", 0, {1000, 2500}, {5, 7}, {}, "?"},
        {"the same, decimal point said", "x g\n1,000 5\n2,500 7\n", '.', {1000, 2500}, {5, 7}, {}},
        {"the same, decimal comma said", "x g\n1,000 5\n2,500 7\n", ',', {1, 2.5}, {5, 7}, {}},
        {"grouped, decimal points elsewhere", "x g\n1,000 5.5\n2,500 7\n", 0, {1000, 2500}, {5.5, 7}, {}, "?"},
        {"grouped with both marks", "x g\n1,000.0 5\n2,500 7\n", 0, {1000, 2500}, {5, 7}, {}},
        {"decimal commas, blanks", "x g\n1,5 2,25\n3,5 4\n", 0, {1.5, 3.5}, {2.25, 4}, {}},
        {"quoted decimal commas in CSV", "x,g\n0,\"-1,250\"\n10,\"-1,25\"\n", 0, {0, 10}, {-1.25, -1.25}, {}},
        {"quoted, all three decimals", "x,g\n0,\"-1,250\"\n10,\"-2,500\"\n", 0, {0, 10}, {-1250, -2500}, {}, "?"},
        {"quoted thousands in CSV", "x,g\n\"1,250.5\",3\n\"2,000\",4\n", 0, {1250.5, 2000}, {3, 4}, {}},
        {"unquoted thousands in CSV", "x,g\n2,500.0,-9.64\n3,100.5,-9.2\n", 0, {}, {}, {},
         "Line 2 of \"f\" holds a number with a thousands separator"},
        {"CSV confirmed by a plain line", "x,g,h\n2,500.0,1\n3,12.5,1\n", 0, {2, 3}, {500, 12.5}, {}},
        {"points group, semicolons", "x;g\n2.500;-9,64\n3.750;-9,5\n", 0, {2.5, 3.75}, {-9.64, -9.5}, {}, "?"},
        {"points group, decimal comma said", "x;g\n2.500;-9,64\n3.750;-9,5\n", ',', {2500, 3750}, {-9.64, -9.5}, {}},
        {"blanks group, semicolons", "x;g\n2 500;-9,64\n750;-9,5\n", 0, {750, 2500}, {-9.5, -9.64}, {}},
        {"nan on the first line", "0,nan\n5,1.5\n10,2.5\n", 0, {5, 10}, {1.5, 2.5}, {1}},
        {"empty first cell", ",1.5\n5,1.5\n10,2.5\n", 0, {5, 10}, {1.5, 2.5}, {1}},
        {"Unicode minus after the heading", "x g\n\xE2\x88\x92" "5 1.5\n10 2.5\n20 3\n", 0, {10, 20}, {2.5, 3}, {2}},
        {"empty cell between tabs", "x\tg\th\n0\t1.5\t100\n5\t\t101\n10\t2.5\t102\n", 0, {0, 10}, {1.5, 2.5}, {3}},
        {"aligned with tab runs", "0\t\t1.5\t\t100\n5\t\t2\t\t101\n", 0, {0, 5}, {1.5, 2}, {}},
        {"a cell too many", "x,g\n0,1.5\n10,2,5\n20,3.5\n", 0, {0, 20}, {1.5, 3.5}, {3}},
        {"points alone are decimal points", "10.125 -9.375\n11.250 -9.5\n", 0, {10.125, 11.25}, {-9.375, -9.5}, {}},
        {"nothing reads every line", "1,5 2,5\n0.25,1.5\n", 0, {}, {}, {}, "as many data lines"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result<FieldDataTable> read = readFieldDataText(c.text, "f", c.decimal);
        const std::string outcome = c.outcome;
        if (outcome != "" && outcome != "?") {
            EXPECT_NE(read.message().find(outcome), std::string::npos) << read.message();
            EXPECT_TRUE(read.value_or({}).lines.empty());
            continue;
        }
        ASSERT_EQ(read.message(), "");
        const FieldDataTable& t = *read;
        EXPECT_EQ(t.question.has_value(), outcome == "?");
        ColumnChoice choice{1, 2, 2, 0, false};
        choice.commentLines = leadingNonStationLines(t, choice);
        const StationList s = stationsFromTable(t, choice);
        EXPECT_EQ(s.x, c.x);
        EXPECT_EQ(s.g, c.g);
        EXPECT_EQ(s.skipped, c.skipped);
        if (t.question) {
            // Said the other way, the numbers are the other reading's.
            const FieldDataTable other = readFieldDataText(c.text, "f", ',').value();
            EXPECT_FALSE(other.question.has_value());
            const StationList o = stationsFromTable(other, choice);
            EXPECT_TRUE(o.x != s.x || o.g != s.g);
        }
    }
}

TEST(NumberFormat, PointFilesDecideForTheWholeFile)
{
    struct Case {
        const char* text;
        std::vector<DataPoint> points;   // empty: refused
        const char* error = "";
    };
    const Case cases[] = {
        {"1,5;2,5;well A\n", {{1.5, 2.5, "well A"}}},
        {"1,000.5 2 a\n3 4.5 b\n", {{1000.5, 2, "a"}, {3, 4.5, "b"}}},
        {"x,z,name\n20,3,Well 2 base\n21,3.5,Well 3\n", {{20, 3, "Well 2 base"}, {21, 3.5, "Well 3"}}},
        {"1,000 5 a\n2,500 7 b\n", {}, "The numbers of \"p.txt\" can be read in two ways: line 1 holds \"1,000\""},
        {"1,5 2 a\n0.5,1 b\n", {}, "Line 2 of p.txt"},   // read with decimal commas as line 1 is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto r = readPointFile(c.text, "/d/p.txt");
        EXPECT_EQ(r ? *r : std::vector<DataPoint>{}, c.points);
        EXPECT_EQ(r.message().rfind(c.error, 0), 0u) << r.message();
    }
}

TEST(NumberFormat, EachFormatReadsItsOwnNumbersOnly)
{
    const NumberFormat point = NumberFormat::Separate, grouping = NumberFormat::Grouping,
                       either = NumberFormat::Decimal, comma{',', '.', false}, blanks{',', ' ', false};
    struct Case {
        const char* field;
        NumberFormat format;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"1,000.5", point, 1000.5},       {"1,5", point, std::nullopt},
        {"-1,234,567", grouping, -1234567}, {"0,957", grouping, std::nullopt},   // no group starts with 0
        {"12,34", grouping, std::nullopt}, {"1,000", either, 1.0},
        {"2.5", either, 2.5},             {"1.000,5", either, 1000.5},
        {"1,000.5", either, std::nullopt}, // in a decimal-comma file the comma comes last
        {"2.500", comma, 2500},           {"2.5", comma, std::nullopt},
        {"-2.500,75", comma, -2500.75},   {"2 500,5", blanks, 2500.5},
        {"2  500", blanks, std::nullopt}, {"2,5e3", comma, 2500},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatValue(c.field, c.format), c.value) << c.field;

    using V = std::vector<std::string_view>;
    NumberFormat tabs = point;
    tabs.tabsDelimit = true;
    struct Split {
        const char* line;
        NumberFormat format;
        V fields;
    };
    const Split splits[] = {
        {"2 500 ; -9,64", blanks, {"2 500", "-9,64"}},
        {"2 500;-9,64", comma, {"2", "500", "-9,64"}},
        {"5\t\t101", tabs, {"5", "", "101"}},
        {"\t5\t101", tabs, {"", "5", "101"}},
        {"5\t\t101", point, {"5", "101"}},
        {"\"1,5\" , 2", point, {"1,5", "2"}},
    };
    for (const Split& s : splits)
        EXPECT_EQ(formatFields(s.line, s.format, 8), s.fields) << s.line;
}

TEST(NumberFormat, BodyAndBoreholeFilesThatReadTwoWaysAreRefused)
{
    // Corners "1,000 2,000": thousands, or 1 and 2 with decimal commas.
    const std::string body = "b\nb\n               1\n               0.1\n               3\n"
                             "               1,000 2,000\n               1,500 2,000\n               1,250 3,000\n";
    Workspace ws;
    const int bodies = ws.model.NumBodies, holes = ws.model.NumHoles;
    const std::string msg = readBodyFile(ws, body, "d.bod").message();
    EXPECT_EQ(msg.rfind("The numbers of \"d.bod\" can be read in two ways: line 6 holds \"1,000\"", 0), 0u) << msg;
    EXPECT_EQ(ws.model.NumBodies, bodies);
    const std::string hole = readBoreholeFile(ws, "w\n\n\n1,000 2,500\n1,500 3,000\n", "h.hol").message();
    EXPECT_EQ(hole.rfind("The numbers of \"h.hol\" can be read in two ways", 0), 0u) << hole;
    EXPECT_EQ(ws.model.NumHoles, holes);
}
