#include "runtime/report/ReportDefinition.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>

namespace host {

namespace {

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

// One statement: its keyword, an optional number, an optional quoted text, attributes
// and flags.
struct Statement {
    int line = 0;
    std::string keyword;
    std::optional<int> number;
    std::optional<std::string> text;
    std::map<std::string, std::string> attributes;
    std::vector<std::string> flags;
};

// Splits a statement into words; quoted texts keep their blanks ("" is a quote inside).
// False when a quote is not closed.
bool splitWords(std::string_view source, std::vector<std::pair<std::string, bool>>& words) {
    std::size_t i = 0;
    while (i < source.size()) {
        while (i < source.size() && std::isspace(static_cast<unsigned char>(source[i])))
            ++i;
        if (i >= source.size())
            break;
        std::string word;
        bool quoted = false;
        while (i < source.size() && !std::isspace(static_cast<unsigned char>(source[i]))) {
            if (source[i] == '"') {
                quoted = true;
                ++i;
                for (;;) {
                    if (i >= source.size())
                        return false;
                    if (source[i] == '"') {
                        if (i + 1 < source.size() && source[i + 1] == '"') {
                            word += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    word += source[i++];
                }
            } else {
                word += source[i++];
            }
        }
        words.emplace_back(std::move(word), quoted);
    }
    return true;
}

std::optional<int> toInt(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::vector<int>> toInts(std::string_view text, std::size_t count) {
    std::vector<int> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::string_view part = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        auto value = toInt(part);
        if (!value)
            return std::nullopt;
        values.push_back(*value);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (values.size() != count)
        return std::nullopt;
    return values;
}

std::optional<Font> toFont(std::string_view text) {
    Font font;
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = text.find(',', start);
        parts.emplace_back(text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    font.face = parts[0];
    if (parts.size() > 1 && !parts[1].empty()) {
        auto size = toInt(parts[1]);
        if (!size || *size < 0)
            return std::nullopt;
        font.size = *size;
    }
    for (std::size_t i = 2; i < parts.size(); ++i) {
        std::string style = upper(parts[i]);
        if (style == "BOLD")
            font.bold = true;
        else if (style == "ITALIC")
            font.italic = true;
        else if (!style.empty())
            return std::nullopt;
    }
    return font;
}

class Parser {
public:
    Parser(std::string_view text, std::string_view module) : text_(text), module_(module) {}

    ReportParseResult run() {
        std::vector<Statement> statements;
        if (!readStatements(statements))
            return fail();
        for (const Statement& statement : statements) {
            if (!take(statement))
                return fail();
        }
        if (report_) {
            line_ = lastLine_;
            error_ = "report " + report_->name + " is not closed with end";
            return fail();
        }
        return std::move(result_);
    }

private:
    ReportParseResult fail() {
        ReportParseResult failed;
        failed.errorLine = line_;
        failed.error = error_;
        return failed;
    }

    bool readStatements(std::vector<Statement>& statements) {
        std::string pending;
        int pendingLine = 0;
        int line = 0;
        std::size_t start = 0;
        while (start <= text_.size()) {
            std::size_t end = text_.find('\n', start);
            std::string_view raw = text_.substr(
                start, end == std::string_view::npos ? std::string_view::npos : end - start);
            ++line;
            std::string current = stripComment(raw);
            while (!current.empty() && std::isspace(static_cast<unsigned char>(current.back())))
                current.pop_back();
            bool continues = !current.empty() && current.back() == '\\';
            if (continues)
                current.pop_back();
            if (pending.empty())
                pendingLine = line;
            pending += current;
            pending += ' ';
            if (!continues) {
                if (!parseStatement(pending, pendingLine, statements))
                    return false;
                pending.clear();
            }
            if (end == std::string_view::npos)
                break;
            start = end + 1;
        }
        lastLine_ = line;
        return true;
    }

    static std::string stripComment(std::string_view raw) {
        bool quoted = false;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '"')
                quoted = !quoted;
            else if (raw[i] == '#' && !quoted)
                return std::string(raw.substr(0, i));
        }
        return std::string(raw);
    }

    bool parseStatement(const std::string& source, int line, std::vector<Statement>& statements) {
        std::vector<std::pair<std::string, bool>> words;
        if (!splitWords(source, words)) {
            line_ = line;
            error_ = "a quoted text is not closed";
            return false;
        }
        if (words.empty())
            return true;
        Statement statement;
        statement.line = line;
        statement.keyword = upper(words[0].first);
        for (std::size_t i = 1; i < words.size(); ++i) {
            auto& [word, quoted] = words[i];
            std::size_t equals = word.find('=');
            if (quoted && equals == std::string::npos) {
                statement.text = word;
            } else if (equals != std::string::npos) {
                statement.attributes[upper(word.substr(0, equals))] = word.substr(equals + 1);
            } else if (auto number = toInt(word)) {
                statement.number = *number;
            } else {
                statement.flags.push_back(upper(word));
            }
        }
        statements.push_back(std::move(statement));
        return true;
    }

    bool error(const Statement& statement, std::string message) {
        line_ = statement.line;
        error_ = std::move(message);
        return false;
    }

    bool rect(const Statement& statement, const char* name, int& x, int& y, int& w, int& h) {
        auto found = statement.attributes.find(name);
        if (found == statement.attributes.end())
            return true;
        auto values = toInts(found->second, 4);
        if (!values || (*values)[2] < 0 || (*values)[3] < 0)
            return error(statement,
                         std::string(name) == "AT" ? "at= needs x,y,w,h" : "body= needs x,y,w,h");
        x = (*values)[0];
        y = (*values)[1];
        w = (*values)[2];
        h = (*values)[3];
        return true;
    }

    bool font(const Statement& statement, Font& target) {
        auto found = statement.attributes.find("FONT");
        if (found == statement.attributes.end())
            return true;
        auto parsed = toFont(found->second);
        if (!parsed)
            return error(statement, "font= needs \"Face,size,bold,italic\"");
        target = *parsed;
        return true;
    }

    bool known(const Statement& statement, std::initializer_list<const char*> names,
               std::initializer_list<const char*> flags) {
        for (const auto& [name, value] : statement.attributes) {
            if (std::none_of(names.begin(), names.end(),
                             [&](const char* known) { return name == known; }))
                return error(statement, "unknown attribute \"" + name + "\"");
        }
        for (const std::string& flag : statement.flags) {
            if (std::none_of(flags.begin(), flags.end(),
                             [&](const char* known) { return flag == known; }))
                return error(statement, "unknown word \"" + flag + "\"");
        }
        return true;
    }

    bool take(const Statement& statement) {
        const std::string& keyword = statement.keyword;
        if (!report_) {
            if (keyword != "REPORT")
                return error(statement, "expected report, found " + keyword);
            return openReport(statement);
        }
        if (keyword == "END") {
            if (band_) {
                report_->bands.push_back(std::move(*band_));
                band_.reset();
            } else {
                result_.reports.push_back(std::move(*report_));
                report_.reset();
            }
            return true;
        }
        if (!band_) {
            static const std::map<std::string, BandKind> kinds = {{"FORM", BandKind::Form},
                                                                  {"HEADER", BandKind::Header},
                                                                  {"DETAIL", BandKind::Detail},
                                                                  {"FOOTER", BandKind::Footer}};
            auto kind = kinds.find(keyword);
            if (kind == kinds.end())
                return error(statement,
                             "expected a band (form, header, detail, footer), found " + keyword);
            return openBand(statement, kind->second);
        }
        return addItem(statement);
    }

    bool openReport(const Statement& statement) {
        if (statement.flags.empty())
            return error(statement, "report needs a name");
        // The name is the first bare word.
        Statement rest = statement;
        rest.flags.erase(rest.flags.begin());
        if (!known(rest, {"PAGE", "BODY", "FONT", "TITLE"}, {}))
            return false;
        ReportDefinition report;
        report.name = statement.flags[0];
        report.module = std::string(module_);
        report.title = statement.text.value_or("");
        if (auto title = statement.attributes.find("TITLE"); title != statement.attributes.end())
            report.title = title->second;
        if (auto page = statement.attributes.find("PAGE"); page != statement.attributes.end()) {
            auto values = toInts(page->second, 2);
            if (!values || (*values)[0] <= 0 || (*values)[1] <= 0)
                return error(statement, "page= needs width,height");
            report.pageWidth = (*values)[0];
            report.pageHeight = (*values)[1];
        }
        if (!rect(statement, "BODY", report.bodyX, report.bodyY, report.bodyW, report.bodyH) ||
            !font(statement, report.font))
            return false;
        for (const ReportDefinition& other : result_.reports) {
            if (upper(other.name) == upper(report.name))
                return error(statement, "report " + report.name + " is defined twice");
        }
        report_ = std::move(report);
        return true;
    }

    bool openBand(const Statement& statement, BandKind kind) {
        if (!known(statement, {"AT", "FONT"}, {}))
            return false;
        ReportBand band;
        band.kind = kind;
        if (kind == BandKind::Detail) {
            if (!statement.number || *statement.number <= 0)
                return error(statement, "a detail band needs its number");
            if (report_->band(BandKind::Detail, *statement.number))
                return error(statement, "detail band " + std::to_string(*statement.number) +
                                            " is defined twice");
            band.number = *statement.number;
        } else if (report_->band(kind)) {
            return error(statement,
                         "the report has a " + upper(statement.keyword) + " band already");
        }
        if (!rect(statement, "AT", band.x, band.y, band.w, band.h) || !font(statement, band.font))
            return false;
        if (kind == BandKind::Detail && band.h <= 0)
            return error(statement, "a detail band needs a height (at=x,y,w,h)");
        band_ = std::move(band);
        return true;
    }

    bool addItem(const Statement& statement) {
        static const std::map<std::string, ReportItemKind> kinds = {
            {"STRING", ReportItemKind::String},
            {"TEXT", ReportItemKind::Text},
            {"IMAGE", ReportItemKind::Image},
            {"LINE", ReportItemKind::Line},
            {"BOX", ReportItemKind::Box}};
        auto kind = kinds.find(statement.keyword);
        if (kind == kinds.end())
            return error(statement, "unknown control kind " + statement.keyword);
        if (!known(statement, {"AT", "FONT", "USE", "PICTURE", "ALIGN", "WIDTH", "FILL", "FILE"},
                   {"PAGENO"}))
            return false;
        ReportItem item;
        item.kind = kind->second;
        item.line = statement.line;
        item.number = statement.number.value_or(0);
        item.text = statement.text.value_or("");
        if (auto file = statement.attributes.find("FILE"); file != statement.attributes.end())
            item.text = file->second;
        if (!rect(statement, "AT", item.x, item.y, item.w, item.h) || !font(statement, item.font))
            return false;
        if (auto use = statement.attributes.find("USE"); use != statement.attributes.end())
            item.use = upper(use->second);
        if (auto picture = statement.attributes.find("PICTURE");
            picture != statement.attributes.end())
            item.picture = picture->second;
        if (auto align = statement.attributes.find("ALIGN"); align != statement.attributes.end()) {
            std::string value = upper(align->second);
            if (value != "L" && value != "C" && value != "R" && value != "LEFT" &&
                value != "CENTER" && value != "RIGHT")
                return error(statement, "align= takes L, C or R");
            item.align = value[0];
        }
        if (auto width = statement.attributes.find("WIDTH"); width != statement.attributes.end()) {
            auto value = toInt(width->second);
            if (!value || *value < 0)
                return error(statement, "width= needs a number");
            item.lineWidth = *value;
        }
        if (auto fill = statement.attributes.find("FILL"); fill != statement.attributes.end()) {
            int colour = 0;
            auto [end, failed] = std::from_chars(
                fill->second.data(), fill->second.data() + fill->second.size(), colour, 16);
            if (failed != std::errc() || end != fill->second.data() + fill->second.size())
                return error(statement, "fill= needs a colour RRGGBB");
            item.fill = colour;
        }
        item.pageNumber = std::find(statement.flags.begin(), statement.flags.end(), "PAGENO") !=
                          statement.flags.end();
        if (item.kind == ReportItemKind::Text && item.use.empty() && !item.pageNumber)
            return error(statement, "a text control needs use= (or pageno)");
        if (item.number != 0) {
            for (const ReportBand& band : report_->bands) {
                for (const ReportItem& other : band.items)
                    if (other.number == item.number)
                        return error(statement, "control " + std::to_string(item.number) +
                                                    " is defined twice");
            }
            for (const ReportItem& other : band_->items)
                if (other.number == item.number)
                    return error(statement,
                                 "control " + std::to_string(item.number) + " is defined twice");
        }
        band_->items.push_back(std::move(item));
        return true;
    }

    std::string_view text_;
    std::string_view module_;
    ReportParseResult result_;
    std::optional<ReportDefinition> report_;
    std::optional<ReportBand> band_;
    int line_ = 0;
    int lastLine_ = 0;
    std::string error_;
};

} // namespace

const ReportBand* ReportDefinition::band(BandKind kind, int number) const {
    for (const ReportBand& band : bands) {
        if (band.kind == kind && (kind != BandKind::Detail || band.number == number))
            return &band;
    }
    return nullptr;
}

std::vector<std::string> ReportDefinition::boundNames() const {
    std::vector<std::string> names;
    for (const ReportBand& band : bands) {
        for (const ReportItem& item : band.items) {
            if (!item.use.empty() && std::find(names.begin(), names.end(), item.use) == names.end())
                names.push_back(item.use);
        }
    }
    return names;
}

std::string ReportParseResult::message() const {
    if (ok())
        return {};
    return "line " + std::to_string(errorLine) + ": " + error;
}

ReportParseResult ReportDefinitionParser::parse(std::string_view text, std::string_view module) {
    return Parser(text, module).run();
}

} // namespace host
