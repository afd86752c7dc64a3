// Report definitions as text, and the pages a report makes: bands in the body, page
// breaks with the footer of the page's end, page files read back as written.
#include "runtime/report/Report.h"
#include "runtime/base/Queue.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/base/TypedRef.h"
#include "runtime/base/Value.h"
#include "runtime/report/PageFile.h"
#include "runtime/report/PrintService.h"
#include "runtime/report/ReportDefinition.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using host::FieldType;

// A page of 3 detail bands: the body is 300 high, each band 100.
constexpr std::string_view listing = R"(
report T$LIST "Listing" page=1000,1000 body=0,100,1000,300 font="Courier New,9"
  form
    string "Shop" at=0,900,500,50
  end
  header at=0,0,1000,100
    string 4 "<-- Time Stamp -->" at=0,0,500,50
  end
  detail 8 at=0,0,1000,100
    text use=LOC:NAME picture=@s10 at=0,0,400,100
    text use=LOC:PRICE picture=@n-10.2 at=400,0,300,100 align=R
  end
  footer at=0,800,1000,100
    text use=LOC:NOTE at=0,0,600,100
    text 20 pageno at=700,0,100,100
  end
end
)";

std::shared_ptr<const host::ReportDefinition> parse(std::string_view text) {
    auto result = host::ReportDefinitionParser::parse(text, "test");
    EXPECT_TRUE(result.ok()) << result.message();
    if (!result.ok())
        return nullptr;
    return std::make_shared<const host::ReportDefinition>(result.reports.at(0));
}

class RecordingOutput : public host::PageOutput {
public:
    host::PrintResult print(const std::vector<std::string>& pages, std::string_view,
                            bool) override {
        for (const std::string& page : pages)
            printed.push_back(host::PageFile::read(page)->texts());
        if (refuse)
            return {false, "The printer refused the job.", 0};
        return {true, {}, static_cast<int>(pages.size())};
    }
    host::PrintResult savePdf(const std::vector<std::string>&, const std::string&) override {
        return {false, "no", 0};
    }
    std::vector<std::string> printed;
    bool refuse = false;
};

struct Printing : ::testing::Test {
    void SetUp() override { host::PrintService::install(&output); }
    void TearDown() override { host::PrintService::install(nullptr); }

    RecordingOutput output;
    host::Variable name{FieldType::text(20)};
    host::Variable price{FieldType::decimal(7, 2)};
    host::Variable note{FieldType::text(25)};
    host::Queue queue{std::make_shared<const host::RecordLayout>(
        host::RecordLayout{{"FILENAME", FieldType::text(128)}})};

    std::unique_ptr<host::Report> open() {
        auto report = std::make_unique<host::Report>(parse(listing));
        report->bind("LOC:NAME", name);
        report->bind("LOC:PRICE", price);
        report->bind("LOC:NOTE", note);
        report->open();
        return report;
    }
    std::string pageText(std::size_t page) {
        queue.get(page);
        return host::PageFile::read(host::clip(queue.buffer().field(1).text()))->texts();
    }
};

TEST(ReportDefinitionTest, MistakesAreToldWithTheirLine) {
    struct Case {
        std::string_view text;
        std::string message;
    };
    const Case cases[] = {
        {"report R\n detail at=0,0,10,10\n end\nend", "line 2: a detail band needs its number"},
        {"report R\n detail 8 at=0,0,10\n end\nend", "line 2: at= needs x,y,w,h"},
        {"report R\n detail 8 at=0,0,10,10\n  text at=0,0,1,1\n end\nend",
         "line 3: a text control needs use= (or pageno)"},
        {"report R\n header\n  circle at=0,0,1,1\n end\nend",
         "line 3: unknown control kind CIRCLE"},
        {"report R\n footer\n end\n footer\n end\nend",
         "line 4: the report has a FOOTER band already"},
        {"report R font=\"Arial,big\"\nend", "line 1: font= needs \"Face,size,bold,italic\""},
        {"report R\n header\n end\n", "line 4: report R is not closed with end"},
    };
    for (const Case& c : cases) {
        auto result = host::ReportDefinitionParser::parse(c.text);
        EXPECT_EQ(result.message(), c.message) << c.text;
        EXPECT_TRUE(result.reports.empty());
    }
}

TEST(PageFileTest, PagesReadBackAsWrittenAndDamageIsTold) {
    host::PageDrawing page;
    page.width = 8500;
    page.marks.push_back({host::PageMark::Text,
                          1,
                          2,
                          3,
                          4,
                          {"Times New Roman", 9, true, false},
                          'R',
                          "Tab\there\\ and\nnew line",
                          0,
                          -1});
    page.marks.push_back({host::PageMark::Box, 0, 0, 10, 10, {}, 'L', "", 5, 0x808080});
    page.marks.push_back({host::PageMark::Image, 0, 0, 10, 10, {}, 'L', "a b.gif", 0, -1});
    auto back = host::PageFile::decode(host::PageFile::encode(page));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->marks, page.marks);

    std::string error;
    EXPECT_FALSE(host::PageFile::decode("EIPPAGE 1 10 10\nT\t1\t2\n", &error));
    EXPECT_EQ(error, "page line 2 is damaged");
    EXPECT_FALSE(host::PageFile::decode("%PDF-1.4", &error));
    EXPECT_FALSE(host::PageFile::read("/nonexistent/page.eippage", &error));
    EXPECT_NE(error.find("cannot read /nonexistent/page.eippage"), std::string::npos);
}

TEST_F(Printing, FooterShowsTheValuesOfThePagesLastBand) {
    auto report = open();
    report->setPreviewQueue(&queue);
    report->setText(4, "09:00");
    for (int line = 1; line <= 7; ++line) {
        name.assign(host::Value("Item " + std::to_string(line)));
        price.assign(host::Value(host::Decimal(line)));
        note.assign(host::Value(line < 7 ? "Continued next page..." : "Total"));
        ASSERT_TRUE(report->print(8));
    }
    report->endPage();
    ASSERT_EQ(queue.count(), 3u);
    EXPECT_EQ(pageText(1), "Shop\n09:00\nItem 1\n1.00\nItem 2\n2.00\nItem 3\n3.00\n"
                           "Continued next page...\n1\n");
    EXPECT_EQ(pageText(2), "Shop\n09:00\nItem 4\n4.00\nItem 5\n5.00\nItem 6\n6.00\n"
                           "Continued next page...\n2\n");
    EXPECT_EQ(pageText(3), "Shop\n09:00\nItem 7\n7.00\nTotal\n3\n");
    EXPECT_FALSE(report->print(9)) << "no such band";

    // Previewed pages print only when the preview says so; the files go either way.
    std::vector<std::string> files = report->pageFiles();
    EXPECT_FALSE(report->close().printed);
    EXPECT_TRUE(output.printed.empty());
    for (const std::string& file : files)
        EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(Printing, PagesLeftOutAreNotPrintedAndARefusalIsTold) {
    auto report = open();
    report->setPreviewQueue(&queue);
    for (int line = 1; line <= 4; ++line)
        report->print(8);
    report->endPage();
    ASSERT_EQ(report->pageCount(), 2);
    std::filesystem::remove(report->pageFiles()[0]);
    report->setFlush(true);
    output.refuse = true;
    host::Report::CloseResult closed = report->close();
    EXPECT_FALSE(closed.printed);
    EXPECT_EQ(closed.message, "The printer refused the job.");
    ASSERT_EQ(output.printed.size(), 1u);
    EXPECT_NE(output.printed[0].find("\n2\n"), std::string::npos) << "page 2's number";
}

TEST_F(Printing, AFieldThatDoesNotExistPrintsBlankAndIsNamed) {
    auto report = std::make_unique<host::Report>(parse(listing));
    EXPECT_FALSE(report->bind("LOC:NOSUCH", name));
    report->bind("LOC:NAME", name);
    EXPECT_EQ(report->unboundNames(), (std::vector<std::string>{"LOC:PRICE", "LOC:NOTE"}));
    report->open();
    name.assign(host::Value("Only"));
    report->print(8);
    EXPECT_TRUE(report->close().printed) << "without a preview the pages print on close";
    ASSERT_EQ(output.printed.size(), 1u);
    EXPECT_EQ(output.printed[0], "Shop\n<-- Time Stamp -->\nOnly\n1\n");
}

} // namespace
