#include "runtime/report/PageFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

namespace host {

namespace {

void escapeInto(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find('\t', start);
        result.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos
                                                                          : tab - start));
        if (tab == std::string_view::npos)
            return result;
        start = tab + 1;
    }
}

bool number(std::string_view text, int& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

void appendNumber(std::string& out, int value) {
    out += '\t';
    out += std::to_string(value);
}

} // namespace

std::string PageDrawing::texts() const {
    std::string result;
    for (const PageMark& mark : marks) {
        if (mark.kind == PageMark::Text) {
            result += mark.text;
            result += '\n';
        }
    }
    return result;
}

std::string PageFile::encode(const PageDrawing& page) {
    std::string out =
        "EIPPAGE 1 " + std::to_string(page.width) + " " + std::to_string(page.height) + "\n";
    for (const PageMark& mark : page.marks) {
        static const char* names[] = {"T", "L", "B", "I"};
        out += names[mark.kind];
        for (int value : {mark.x, mark.y, mark.w, mark.h})
            appendNumber(out, value);
        switch (mark.kind) {
        case PageMark::Text:
            out += '\t';
            escapeInto(out, mark.font.face);
            appendNumber(out, mark.font.size);
            appendNumber(out, (mark.font.bold ? 1 : 0) | (mark.font.italic ? 2 : 0));
            out += '\t';
            out += mark.align;
            out += '\t';
            escapeInto(out, mark.text);
            break;
        case PageMark::Line:
            appendNumber(out, mark.lineWidth);
            break;
        case PageMark::Box:
            appendNumber(out, mark.lineWidth);
            appendNumber(out, mark.fill);
            break;
        case PageMark::Image:
            out += '\t';
            escapeInto(out, mark.text);
            break;
        }
        out += '\n';
    }
    return out;
}

std::optional<PageDrawing> PageFile::decode(std::string_view text, std::string* error) {
    auto fail = [&](std::string message) -> std::optional<PageDrawing> {
        if (error)
            *error = std::move(message);
        return std::nullopt;
    };
    std::size_t end = text.find('\n');
    std::string_view head = text.substr(0, end);
    PageDrawing page;
    {
        std::istringstream in{std::string(head)};
        std::string magic;
        int version = 0;
        if (!(in >> magic >> version >> page.width >> page.height) || magic != "EIPPAGE" ||
            version != 1 || page.width <= 0 || page.height <= 0)
            return fail("not a page file");
    }
    int lineNumber = 1;
    while (end != std::string_view::npos) {
        std::size_t start = end + 1;
        end = text.find('\n', start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        ++lineNumber;
        if (line.empty())
            continue;
        auto parts = fields(line);
        PageMark mark;
        std::size_t want = 0;
        if (parts[0] == "T") {
            mark.kind = PageMark::Text;
            want = 10;
        } else if (parts[0] == "L") {
            mark.kind = PageMark::Line;
            want = 6;
        } else if (parts[0] == "B") {
            mark.kind = PageMark::Box;
            want = 7;
        } else if (parts[0] == "I") {
            mark.kind = PageMark::Image;
            want = 6;
        } else {
            return fail("page line " + std::to_string(lineNumber) + " is damaged");
        }
        if (parts.size() != want || !number(parts[1], mark.x) || !number(parts[2], mark.y) ||
            !number(parts[3], mark.w) || !number(parts[4], mark.h))
            return fail("page line " + std::to_string(lineNumber) + " is damaged");
        bool ok = true;
        switch (mark.kind) {
        case PageMark::Text: {
            int style = 0;
            mark.font.face = unescape(parts[5]);
            ok =
                number(parts[6], mark.font.size) && number(parts[7], style) && parts[8].size() == 1;
            mark.font.bold = (style & 1) != 0;
            mark.font.italic = (style & 2) != 0;
            if (ok)
                mark.align = parts[8][0];
            mark.text = unescape(parts[9]);
            break;
        }
        case PageMark::Line:
            ok = number(parts[5], mark.lineWidth);
            break;
        case PageMark::Box:
            ok = number(parts[5], mark.lineWidth) && number(parts[6], mark.fill);
            break;
        case PageMark::Image:
            mark.text = unescape(parts[5]);
            break;
        }
        if (!ok)
            return fail("page line " + std::to_string(lineNumber) + " is damaged");
        page.marks.push_back(std::move(mark));
    }
    return page;
}

bool PageFile::write(const std::string& path, const PageDrawing& page, std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        std::string text = encode(page);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (out)
            return true;
    }
    if (error)
        *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
}

std::optional<PageDrawing> PageFile::read(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot read " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string problem;
    auto page = decode(text.str(), &problem);
    if (!page && error)
        *error = path + ": " + problem;
    return page;
}

bool PageFile::isPageFile(std::string_view path) {
    return path.size() > Extension.size() &&
           path.substr(path.size() - Extension.size()) == Extension;
}

} // namespace host
